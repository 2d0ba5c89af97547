#include "emulator_fixture.h"

#include <chrono>

namespace tavimo::emu::test {

namespace {

using Clock = std::chrono::steady_clock;

const std::string kFile = "/view/song/small/p1770101_192k.mp3";

long long millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

} // namespace

// A delay holds the whole answer back.
TEST_F(EmulatorTest, DelayHoldsTheAnswer)
{
    emulator.setFault("/mine", Fault::of(FaultKind::Delay, 300));
    const auto start = Clock::now();
    ASSERT_TRUE(get(ServiceHost::Radio, "/mine"));
    EXPECT_GE(millisecondsSince(start), 300);
}

// A stall pauses halfway through the body, and the body still arrives whole.
TEST_F(EmulatorTest, StallPausesInTheBody)
{
    emulator.setMp3Size(20000);
    emulator.setFault(kFile, Fault::of(FaultKind::Stall, 300));
    std::vector<size_t> pausedAt; // how much had arrived before each long gap
    auto last = Clock::now();
    std::string received;
    const auto start = Clock::now();
    const httplib::Result result =
        client(ServiceHost::Audio).Get(kFile, [&](const char *data, size_t length) {
            if (millisecondsSince(last) >= 250)
                pausedAt.push_back(received.size());
            received.append(data, length);
            last = Clock::now();
            return true;
        });
    ASSERT_TRUE(result);
    EXPECT_GE(millisecondsSince(start), 300);
    EXPECT_EQ(received, emulator.expectedMp3("1770101", true));
    EXPECT_NE(std::find(pausedAt.begin(), pausedAt.end(), 10000u), pausedAt.end());
}

// Dropped connections and short bodies end the body before its Content-Length; the log tells how much went out.
TEST_F(EmulatorTest, BodiesCutShort)
{
    emulator.setMp3Size(100000);
    struct Case {
        Fault fault;
        uint64_t sent;
    };
    for (const Case &c : {Case{Fault::of(FaultKind::Drop), 50000}, Case{Fault::of(FaultKind::Drop, 1234), 1234},
                          Case{Fault::of(FaultKind::ShortBody, 10), 99990}, Case{Fault::of(FaultKind::ShortBody), 50000}}) {
        emulator.clearFaults();
        emulator.clearRequestLog();
        emulator.setFault(kFile, c.fault);
        std::string received;
        const httplib::Result result = client(ServiceHost::Audio).Get(kFile, [&](const char *data, size_t length) {
            received.append(data, length);
            return true;
        });
        EXPECT_FALSE(result) << c.sent;
        EXPECT_EQ(received.size(), c.sent);
        EXPECT_EQ(received, emulator.expectedMp3("1770101", true).substr(0, c.sent));
        const std::vector<RequestRecord> log = emulator.requestLog();
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].bodyBytesSent, c.sent);
    }
}

// A bandwidth limit slows the body down to about the given rate.
TEST_F(EmulatorTest, BandwidthLimitsTheRate)
{
    emulator.setMp3Size(40000);
    emulator.setFault(kFile, Fault::of(FaultKind::Bandwidth, 100000));
    const auto start = Clock::now();
    const httplib::Result result = get(ServiceHost::Audio, kFile);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->body.size(), 40000u);
    EXPECT_GE(millisecondsSince(start), 350);
}

// With the range fault a Range request gets the whole file and 200.
TEST_F(EmulatorTest, IgnoredRangeSendsTheWholeFile)
{
    emulator.setMp3Size(5000);
    emulator.setFault(kFile, Fault::of(FaultKind::IgnoreRange, 0, 1));
    const httplib::Headers range{{"Range", "bytes=1000-"}};
    const httplib::Result whole = get(ServiceHost::Audio, kFile, range);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->status, 200);
    EXPECT_FALSE(whole->has_header("Content-Range"));
    EXPECT_EQ(whole->body, emulator.expectedMp3("1770101", true));
    EXPECT_EQ(get(ServiceHost::Audio, kFile, range)->status, 206);
}

// Fault options from the command line: known kinds with arguments and counts, and nothing else.
TEST(FaultOption, ReadsPrefixKindArgumentAndTimes)
{
    const auto stall = parseFaultOption("/view/=stall:2000:3");
    ASSERT_TRUE(stall);
    EXPECT_EQ(stall->first, "/view/");
    EXPECT_EQ(stall->second.kind, FaultKind::Stall);
    EXPECT_EQ(stall->second.arg, 2000);
    EXPECT_EQ(stall->second.times, 3);
    const auto first = parseFaultOption("/j/mine/playlist=fail-first:4");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->second.kind, FaultKind::Status);
    EXPECT_EQ(first->second.arg, 503);
    EXPECT_EQ(first->second.times, 4);
    const auto withEquals = parseFaultOption("/mine?type=liked=empty");
    ASSERT_TRUE(withEquals);
    EXPECT_EQ(withEquals->first, "/mine?type=liked");
    for (const char *bad : {"/x", "/x=unknown", "/x=delay:abc", "/x=delay:1:2:3", "/x=status:5x"})
        EXPECT_FALSE(parseFaultOption(bad)) << bad;
}

// Stopping while a reply is held in a delay ends at once, and the emulator starts again.
TEST_F(EmulatorTest, StopsDuringALongDelay)
{
    emulator.setFault("/", Fault::of(FaultKind::Delay, 60000));
    std::thread waiting([port = emulator.port(ServiceHost::Radio)] {
        httplib::Client radio("127.0.0.1", port);
        radio.Get("/");
    });
    ASSERT_TRUE(emulator.waitForRequests(1));
    const auto start = Clock::now();
    emulator.stop();
    EXPECT_LT(millisecondsSince(start), 3000);
    waiting.join();
    emulator.clearFaults();
    ASSERT_TRUE(emulator.start());
    EXPECT_EQ(get(ServiceHost::Radio, "/")->status, 200);
}

// An idle keep-alive connection does not hold up stop().
TEST_F(EmulatorTest, StopsPromptlyWithIdleConnections)
{
    httplib::Client radio = client(ServiceHost::Radio);
    radio.set_keep_alive(true);
    ASSERT_TRUE(radio.Get("/"));
    ASSERT_TRUE(radio.Get("/mine"));
    const auto start = Clock::now();
    emulator.stop();
    EXPECT_LT(millisecondsSince(start), 500);
    EXPECT_FALSE(emulator.isRunning());
}

} // namespace tavimo::emu::test
