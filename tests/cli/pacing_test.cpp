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

// A track answered 429 with Retry-After waits that long, and the run says
// so; a wait over ten minutes fails the track at once with that reason.
TEST_F(TavimoDlTest, RetryAfterIsHeededOrRefused)
{
    const emu::Album &album = emulator.catalogue().album(emu::AlbumCase::Plain);
    const std::string track = "/view/song/small/p" + album.tracks.at(1).songId;
    emulator.setFault(track, emu::Fault::of(emu::FaultKind::RetryAfter, 1, 1));
    const RunResult heeded = run({QStringLiteral("album"), albumAddress(emu::AlbumCase::Plain)});
    EXPECT_EQ(heeded.exitCode, 0) << heeded.err.toStdString();
    EXPECT_EQ(heeded.err.count(QStringLiteral("服务器要求等待 1 秒\n")), 1) << heeded.err.toStdString();
    const std::vector<emu::RequestRecord> attempts = requests(track);
    ASSERT_EQ(attempts.size(), 2u);
    EXPECT_GE(attempts[1].arrivedMs - attempts[0].arrivedMs, 1000);

    tavimo::test::TempRoot other;
    emulator.clearRequestLog();
    emulator.setFault(track, emu::Fault::of(emu::FaultKind::RetryAfter, 86400));
    const RunResult refused = run({QStringLiteral("album"), albumAddress(emu::AlbumCase::Plain)}, other);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("下载失败: 服务器要求等待 86400 秒, 超过 10 分钟, 不再等待\n")))
        << refused.err.toStdString();
    EXPECT_EQ(requestsTo(track), 1);
}

// --sleep-requests keeps its gap between page requests, whatever --jobs.
TEST_F(TavimoDlTest, SleepRequestsSpacesThePages)
{
    const RunResult result = run({QStringLiteral("--sleep-requests"), QStringLiteral("0.15"), QStringLiteral("--jobs"),
                                  QStringLiteral("4"), QStringLiteral("artist"), artistAddress(emu::ArtistCase::Plain)});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    std::vector<int64_t> pages;
    for (const emu::RequestRecord &record : emulator.requestLog()) {
        if (record.host != emu::ServiceHost::Audio)
            pages.push_back(record.arrivedMs);
    }
    ASSERT_GE(pages.size(), 3u);
    for (size_t i = 1; i < pages.size(); ++i)
        EXPECT_GE(pages[i] - pages[i - 1], 150) << i;
}

} // namespace
} // namespace tavimo::cli::test
