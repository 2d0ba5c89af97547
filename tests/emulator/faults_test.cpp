#include "emulator_fixture.h"

#include <chrono>
#include <optional>

namespace tavimo::emu::test {

namespace {

using Clock = std::chrono::steady_clock;

const std::string kFile = "/view/song/small/p1770101_192k.mp3";

long long millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

} // namespace

struct FaultRow {
    const char *name;
    Fault fault;
    bool whole;        // the body arrives complete
    uint64_t sent;     // body bytes that went out, as the log tells too
    long long takesMs; // the answer takes at least this long
    std::optional<size_t> pausedAt = std::nullopt; // how much had arrived before the longest gap
    int status = 200;
    httplib::Headers headers = {};
};

// Each fault kind misbehaves as it says: a delay holds the whole answer back,
// a stall pauses halfway through the body, which still arrives whole; dropped
// connections and short bodies end the body before its Content-Length; a
// bandwidth limit slows the body to about the given rate; with the range
// fault a Range request gets the whole file and 200.
TEST_F(EmulatorTest, FaultKindsMisbehaveAsTheySay)
{
    const uint64_t size = 40000;
    emulator.setMp3Size(size);
    const FaultRow rows[] = {
        {"delay", Fault::of(FaultKind::Delay, 300), true, size, 300, 0},
        {"stall", Fault::of(FaultKind::Stall, 300), true, size, 300, size / 2},
        {"drop at half", Fault::of(FaultKind::Drop), false, size / 2, 0},
        {"drop after", Fault::of(FaultKind::Drop, 1234), false, 1234, 0},
        {"short by", Fault::of(FaultKind::ShortBody, 10), false, size - 10, 0},
        {"short by half", Fault::of(FaultKind::ShortBody), false, size / 2, 0},
        {"bandwidth", Fault::of(FaultKind::Bandwidth, 100000), true, size, 350},
        {"range ignored", Fault::of(FaultKind::IgnoreRange), true, size, 0, std::nullopt, 200, {{"Range", "bytes=1000-"}}},
    };
    for (const FaultRow &row : rows) {
        SCOPED_TRACE(row.name);
        emulator.clearFaults();
        emulator.clearRequestLog();
        emulator.setFault(kFile, row.fault);
        std::string received;
        size_t pausedAt = 0;
        long long longestGap = -1;
        const auto start = Clock::now();
        auto last = start;
        const httplib::Result result = client(ServiceHost::Audio).Get(kFile, row.headers, [&](const char *data, size_t length) {
            if (millisecondsSince(last) > longestGap) {
                longestGap = millisecondsSince(last);
                pausedAt = received.size();
            }
            received.append(data, length);
            last = Clock::now();
            return true;
        });
        EXPECT_EQ(bool(result), row.whole);
        if (result) {
            EXPECT_EQ(result->status, row.status);
        }
        EXPECT_GE(millisecondsSince(start), row.takesMs);
        EXPECT_EQ(received, emulator.expectedMp3("1770101", true).substr(0, row.sent));
        if (row.pausedAt) {
            EXPECT_EQ(pausedAt, *row.pausedAt);
        }
        const std::vector<RequestRecord> log = emulator.requestLog();
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].bodyBytesSent, row.sent);
    }
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
