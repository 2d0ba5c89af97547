#include "support/tavimo_dl_runner.h"

#include "tests/support/cookie_line.h"

#include <QMap>

#include <algorithm>

namespace tavimo::cli::test {
namespace {

// Every file under a root with its bytes.
QMap<QString, QByteArray> FilesOf(const tavimo::test::TempRoot &root)
{
    QMap<QString, QByteArray> files;
    for (const QString &file : root.allFiles())
        files.insert(file, root.read(file));
    return files;
}

// The status lines of a run in their order, an album's end apart: with four
// jobs an album may end after the next album's first tracks were handed
// over, so its end line is compared among the ends, not in place.
struct StatusLines {
    explicit StatusLines(const QString &text)
    {
        for (const QString &line : text.split(u'\n', Qt::SkipEmptyParts))
            (line.endsWith(QStringLiteral("》下载完毕!")) ? albumEnds : inOrder).append(line);
        albumEnds.sort();
    }
    bool operator==(const StatusLines &other) const = default;

    QStringList inOrder;
    QStringList albumEnds;
};

void PrintTo(const StatusLines &lines, std::ostream *out)
{
    *out << (lines.inOrder + lines.albumEnds).join(u'\n').toStdString();
}

// With four jobs the next pages are read while tracks download, and the run
// still gives what one job gives: the same files with the same bytes, the
// same status lines in the same order and the same exit status. An artist
// of 27 albums on three listing pages and a liked list of three pages are
// among them.
TEST_F(TavimoDlTest, FourJobsGiveWhatOneJobGives)
{
    emulator.setLikedCount(40);
    tavimo::test::TempRoot home;
    home.write(
        QStringLiteral("cookies.txt"),
        tavimo::test::CookieLine(emulator.hosts().radio, QByteArray::fromStdString(emu::Emulator::signInCookie())) +
            '\n');
    const struct {
        const char *name;
        QStringList command;
    } rows[] = {
        {"album", {QStringLiteral("album"), albumAddress(emu::AlbumCase::Plain)}},
        {"artist", {QStringLiteral("artist"), artistAddress(emu::ArtistCase::Plain)}},
        {"artist of 27 albums", {QStringLiteral("artist"), artistAddress(emu::ArtistCase::Prolific)}},
        {"liked", {QStringLiteral("liked"), QStringLiteral("--cookies"), home.file(QStringLiteral("cookies.txt"))}},
        {"channel", {QStringLiteral("channel"), QString::number(emulator.catalogue().channels().front().id)}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        tavimo::test::TempRoot one;
        tavimo::test::TempRoot four;
        emulator.resetChannels();
        const RunResult oneJob = run(QStringList{QStringLiteral("--jobs"), QStringLiteral("1")} + row.command, one);
        emulator.resetChannels();
        const RunResult fourJobs = run(QStringList{QStringLiteral("--jobs"), QStringLiteral("4")} + row.command, four);
        EXPECT_FALSE(one.allFiles().isEmpty());
        EXPECT_EQ(FilesOf(four), FilesOf(one));
        EXPECT_EQ(StatusLines(fourJobs.err), StatusLines(oneJob.err));
        EXPECT_EQ(fourJobs.exitCode, oneJob.exitCode) << fourJobs.err.toStdString();
    }
}

// The most transfers the log shows under way at one moment.
int MostInFlight(const std::vector<emu::RequestRecord> &transfers)
{
    std::vector<std::pair<int64_t, int>> changes; // an end sorts before a start at the same moment
    for (const emu::RequestRecord &transfer : transfers) {
        changes.emplace_back(transfer.arrivedMs, 1);
        changes.emplace_back(transfer.endedMs, -1);
    }
    std::sort(changes.begin(), changes.end());
    int now = 0;
    int most = 0;
    for (const auto &change : changes)
        most = std::max(most, now += change.second);
    return most;
}

// An artist's next album page is asked for while the album before it still
// downloads, whatever --jobs; and --jobs N keeps exactly N transfers under
// way at once.
TEST_F(TavimoDlTest, PagesAreAskedAheadAndJobsRunAtOnce)
{
    const emu::Artist &artist = emulator.catalogue().artist(emu::ArtistCase::Plain);
    emulator.setMp3Size(64 * 1024);
    emulator.setFault("/view/", emu::Fault::of(emu::FaultKind::Bandwidth, 256 * 1024));
    for (const int jobs : {1, 4}) {
        SCOPED_TRACE(jobs);
        tavimo::test::TempRoot folder;
        emulator.clearRequestLog();
        const RunResult result = run({QStringLiteral("--jobs"), QString::number(jobs), QStringLiteral("artist"),
                                      artistAddress(emu::ArtistCase::Plain)},
                                     folder);
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        const std::vector<emu::RequestRecord> transfers = requests("/view/");
        EXPECT_EQ(MostInFlight(transfers), jobs);
        for (size_t n = 0; n + 1 < artist.albumNumbers.size(); ++n) {
            const std::vector<emu::RequestRecord> nextPage = requests("/subject/" + artist.albumNumbers[n + 1] + "/");
            ASSERT_EQ(nextPage.size(), 1u);
            int64_t lastEnd = -1;
            for (const emu::Track &track : emulator.catalogue().findAlbum(artist.albumNumbers[n])->tracks) {
                for (const emu::RequestRecord &transfer : requests("/view/song/small/p" + track.songId))
                    lastEnd = std::max(lastEnd, transfer.endedMs);
            }
            EXPECT_LT(nextPage[0].arrivedMs, lastEnd) << "album " << n + 1;
        }
    }
}

} // namespace
} // namespace tavimo::cli::test
