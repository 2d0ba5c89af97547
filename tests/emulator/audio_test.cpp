#include "emulator_fixture.h"

namespace tavimo::emu::test {

namespace {

std::string fileTarget(const std::string &songId, bool highBitRate)
{
    return "/view/song/small/p" + songId + (highBitRate ? "_192k" : "") + ".mp3";
}

// Walks the file: an ID3v2 tag, then MPEG-1 Layer III frames of one length up to the end.
::testing::AssertionResult isMp3(const std::string &bytes, size_t frameLength, int bitrateIndex)
{
    if (bytes.size() < 10 || bytes.compare(0, 3, "ID3") != 0)
        return ::testing::AssertionFailure() << "no ID3 tag";
    size_t tag = 10;
    for (int i = 6; i < 10; ++i)
        tag += static_cast<size_t>(static_cast<unsigned char>(bytes[static_cast<size_t>(i)])) << (7 * (9 - i));
    size_t frames = 0;
    for (size_t at = tag; at < bytes.size(); at += frameLength, ++frames) {
        const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
        if (at + frameLength > bytes.size())
            return ::testing::AssertionFailure() << "partial frame at " << at;
        if (byte(0) != 0xff || (byte(1) & 0xfe) != 0xfa || (byte(2) >> 4) != bitrateIndex || (byte(2) & 0x0c) != 0)
            return ::testing::AssertionFailure() << "bad frame header at " << at;
    }
    if (frames == 0)
        return ::testing::AssertionFailure() << "no frame";
    return ::testing::AssertionSuccess();
}

} // namespace

// Both bit rates are valid MP3 files of the configured size, different per song and rate.
TEST_F(EmulatorTest, Mp3FilesAreFramedAndSized)
{
    const std::string songId = emulator.catalogue().album(AlbumCase::Plain).tracks[0].songId;
    for (uint64_t size : {uint64_t(200 * 1024), uint64_t(5000), uint64_t(1)}) {
        emulator.setMp3Size(size);
        const httplib::Result high = get(ServiceHost::Audio, fileTarget(songId, true));
        const httplib::Result low = get(ServiceHost::Audio, fileTarget(songId, false));
        ASSERT_TRUE(high && low);
        EXPECT_EQ(high->status, 200);
        EXPECT_EQ(high->get_header_value("Content-Type"), "audio/mpeg");
        EXPECT_EQ(high->body, emulator.expectedMp3(songId, true));
        EXPECT_EQ(low->body, emulator.expectedMp3(songId, false));
        EXPECT_TRUE(isMp3(high->body, 626, 11));
        EXPECT_TRUE(isMp3(low->body, 417, 9));
        if (size > 1000) {
            EXPECT_EQ(high->body.size(), size);
            EXPECT_EQ(low->body.size(), size);
        }
        EXPECT_EQ(high->get_header_value("Content-Length"), std::to_string(high->body.size()));
        EXPECT_NE(high->body, low->body);
    }
    EXPECT_NE(emulator.expectedMp3("1", true), emulator.expectedMp3("2", true));
}

// A Range request gets 206 with Content-Range and exactly those bytes; one past the end gets 416;
// a list of ranges gets the whole file.
TEST_F(EmulatorTest, RangesResumeDownloads)
{
    emulator.setMp3Size(10000);
    const std::string expected = emulator.expectedMp3("42", true);
    struct Case {
        std::string range;
        int status;
        std::string contentRange;
        size_t first, length;
    };
    const std::vector<Case> cases = {
        {"bytes=100-199", 206, "bytes 100-199/10000", 100, 100},
        {"bytes=9000-", 206, "bytes 9000-9999/10000", 9000, 1000},
        {"bytes=9990-20000", 206, "bytes 9990-9999/10000", 9990, 10},
        {"bytes=-10", 206, "bytes 9990-9999/10000", 9990, 10},
        {"bytes=10000-", 416, "bytes */10000", 0, 0},
        {"bytes=-20000", 206, "bytes 0-9999/10000", 0, 10000},
        {"bytes=-0", 416, "bytes */10000", 0, 0},
        {"bytes=0-0,5-6", 200, "", 0, 10000},
    };
    for (const Case &c : cases) {
        const httplib::Result result = get(ServiceHost::Audio, fileTarget("42", true), {{"Range", c.range}});
        ASSERT_TRUE(result) << c.range;
        EXPECT_EQ(result->status, c.status) << c.range;
        EXPECT_EQ(result->get_header_value("Content-Range"), c.contentRange) << c.range;
        if (c.status != 416) {
            EXPECT_EQ(result->body, expected.substr(c.first, c.length)) << c.range;
        }
    }
}

// The proxy port takes a request in origin form by its Host header, answers
// 502 for a host it does not serve, and logs the address in full. (Absolute
// addresses through it show in the tests of the proxy settings.)
TEST_F(EmulatorTest, ProxyPortRoutesByHostHeader)
{
    httplib::Client direct("127.0.0.1", emulator.proxyPort());
    const httplib::Result file = direct.Get(fileTarget("7", false), {{"Host", "audio.tavimo.com"}});
    ASSERT_TRUE(file);
    EXPECT_EQ(file->body, emulator.expectedMp3("7", false));
    const httplib::Result stranger = direct.Get("/", {{"Host", "elsewhere.example"}});
    ASSERT_TRUE(stranger);
    EXPECT_EQ(stranger->status, 502);

    const std::vector<RequestRecord> log = emulator.requestLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].address, "http://audio.tavimo.com" + fileTarget("7", false));
    EXPECT_TRUE(log[0].viaProxy);
}

} // namespace tavimo::emu::test
