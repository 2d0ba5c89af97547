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

// The lines a run wrote to standard error, in sorted order: with four jobs
// an album's end may come after the next album's first tracks.
QStringList SortedLines(const QString &text)
{
    QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// With four jobs the next pages are read while tracks download, and the run
// still gives what one job gives: the same files with the same bytes, the
// same status lines and summary, the same exit status. An artist of 27
// albums on three listing pages and a liked list of three pages are among
// them.
TEST_F(TavimoDlTest, FourJobsGiveWhatOneJobGives)
{
    emulator.setLikedCount(40);
    tavimo::test::TempRoot home;
    home.write(QStringLiteral("cookies.txt"),
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
        {"channel",
         {QStringLiteral("channel"), QString::number(emulator.catalogue().channels().front().id)}},
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
        EXPECT_EQ(SortedLines(fourJobs.err), SortedLines(oneJob.err));
        EXPECT_EQ(fourJobs.exitCode, oneJob.exitCode) << fourJobs.err.toStdString();
    }
}

} // namespace
} // namespace tavimo::cli::test
