#include "net/request_pacing.h"
#include "support/tavimo_dl_runner.h"

namespace tavimo::cli::test {
namespace {

// Seconds or an HTTP date; anything else is no Retry-After at all.
TEST(RetryAfter, SecondsOrAnHttpDate)
{
    const QDateTime now = QDateTime::fromString(QStringLiteral("2026-12-09T10:00:00Z"), Qt::ISODate);
    const QList<QPair<QByteArray, std::optional<qint64>>> rows = {
        {"120", 120},
        {" 7 ", 7},
        {"Wed, 09 Dec 2026 10:01:30 GMT", 90},
        {"Tue, 01 Dec 2026 10:00:00 GMT", 0},
        {"99999999999999999999999", std::numeric_limits<qint64>::max()},
        {"-5", std::nullopt},
        {"soon", std::nullopt},
        {"", std::nullopt},
        {"Wed, 09 Dec 2026 25:00:00 GMT", std::nullopt},
    };
    for (const auto &[value, seconds] : rows)
        EXPECT_EQ(RetryAfterSeconds(value, now), seconds) << value.toStdString();
}

// A 429 or a 503 with Retry-After, on a track or on a page, holds the next
// request that long and not much longer, and the run says so once; a wait over
// ten minutes fails the track at once with that reason.
TEST_F(TavimoDlTest, RetryAfterIsHeededOrRefused)
{
    const emu::Album &album = emulator.catalogue().album(emu::AlbumCase::Plain);
    const emu::Artist &artist = emulator.catalogue().artist(emu::ArtistCase::Plain);
    const std::string track = "/view/song/small/p" + album.tracks.at(1).songId;
    const struct {
        const char *name;
        std::string target;
        emu::FaultKind kind;
        QStringList command;
    } rows[] = {
        {"429 on a track",
         track,
         emu::FaultKind::RetryAfter,
         {QStringLiteral("album"), albumAddress(emu::AlbumCase::Plain)}},
        {"503 on a track",
         track,
         emu::FaultKind::Unavailable,
         {QStringLiteral("album"), albumAddress(emu::AlbumCase::Plain)}},
        {"429 on a listing page",
         "/musician/" + artist.id + "/albums?start=0&",
         emu::FaultKind::RetryAfter,
         {QStringLiteral("artist"), artistAddress(emu::ArtistCase::Plain)}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const tavimo::test::TempRoot folder;
        emulator.clearRequestLog();
        emulator.clearFaults();
        emulator.setFault(row.target, emu::Fault::of(row.kind, 1, 1));
        const RunResult heeded = run(row.command, folder);
        EXPECT_EQ(heeded.exitCode, 0) << heeded.err.toStdString();
        EXPECT_EQ(heeded.err.count(QStringLiteral("服务器要求等待 1 秒\n")), 1) << heeded.err.toStdString();
        const std::vector<emu::RequestRecord> attempts = requests(row.target);
        ASSERT_EQ(attempts.size(), 2u);
        EXPECT_GE(attempts[1].arrivedMs - attempts[0].arrivedMs, 1000);
        EXPECT_LT(attempts[1].arrivedMs - attempts[0].arrivedMs, 2500);
    }

    emulator.clearRequestLog();
    emulator.setFault(track, emu::Fault::of(emu::FaultKind::RetryAfter, 86400));
    const RunResult refused = run({QStringLiteral("album"), albumAddress(emu::AlbumCase::Plain)});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("下载失败: 服务器要求等待 86400 秒, 超过 10 分钟, 不再等待\n")))
        << refused.err.toStdString();
    EXPECT_EQ(requestsTo(track), 1);

    // A listing page asked again until it comes gives up at once as well.
    const std::string listing = "/musician/" + artist.id + "/albums";
    emulator.setFault(listing, emu::Fault::of(emu::FaultKind::Unavailable, 86400));
    const RunResult gaveUp = run({QStringLiteral("artist"), artistAddress(emu::ArtistCase::Plain)});
    EXPECT_EQ(gaveUp.exitCode, 1);
    EXPECT_TRUE(gaveUp.err.contains(QStringLiteral(": 服务器要求等待 86400 秒, 超过 10 分钟, 不再等待\n")))
        << gaveUp.err.toStdString();
    EXPECT_EQ(requestsTo(listing), 1);
}

// A Retry-After holds its whole host: with four jobs, no request of any job
// reaches the file host while the hold lasts.
TEST_F(TavimoDlTest, RetryAfterHoldsTheWholeHost)
{
    const emu::Album &album = emulator.catalogue().album(emu::AlbumCase::Twenty);
    const std::string held = "/view/song/small/p" + album.tracks.at(5).songId;
    emulator.setMp3Size(64 * 1024);
    emulator.setFault("/view/", emu::Fault::of(emu::FaultKind::Bandwidth, 128 * 1024));
    emulator.setFault(held, emu::Fault::of(emu::FaultKind::RetryAfter, 2, 1));
    const RunResult result = run(
        {QStringLiteral("--jobs"), QStringLiteral("4"), QStringLiteral("album"), albumAddress(emu::AlbumCase::Twenty)});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const std::vector<emu::RequestRecord> attempts = requests(held);
    ASSERT_EQ(attempts.size(), 2u);
    // The hold begins once the answer was read, a moment after it went out.
    const int64_t heldFrom = attempts[0].endedMs + 500;
    const int64_t heldUntil = attempts[0].endedMs + 2000;
    for (const emu::RequestRecord &record : requests("/view/"))
        EXPECT_FALSE(record.arrivedMs > heldFrom && record.arrivedMs < heldUntil) << record.target;
    EXPECT_LT(attempts[1].arrivedMs, heldUntil + 1500);
}

// --sleep-requests keeps its gap between page requests whatever --jobs, and
// no more than its gap while pages wait their turn. The gap is kept between
// the requests' starts; where they arrive it may move by a scheduling delay.
TEST_F(TavimoDlTest, SleepRequestsSpacesThePages)
{
    constexpr int64_t kGapMs = 400;
    constexpr int64_t kArrivalJitterMs = 100;
    const RunResult result = run({QStringLiteral("--sleep-requests"), QStringLiteral("0.4"), QStringLiteral("--jobs"),
                                  QStringLiteral("4"), QStringLiteral("artist"),
                                  artistAddress(emu::ArtistCase::Plain)});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    std::vector<int64_t> pages;
    for (const emu::RequestRecord &record : emulator.requestLog()) {
        if (record.host != emu::ServiceHost::Audio)
            pages.push_back(record.arrivedMs);
    }
    ASSERT_GE(pages.size(), 5u);
    std::vector<int64_t> gaps;
    for (size_t i = 1; i < pages.size(); ++i) {
        gaps.push_back(pages[i] - pages[i - 1]);
        EXPECT_GE(gaps.back(), kGapMs - kArrivalJitterMs) << i;
    }
    EXPECT_GE(pages.back() - pages.front(), int64_t(gaps.size()) * kGapMs - kArrivalJitterMs);
    std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
    EXPECT_LT(gaps[gaps.size() / 2], kGapMs + 200);
}

} // namespace
} // namespace tavimo::cli::test
