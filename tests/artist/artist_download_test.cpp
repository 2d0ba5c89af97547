#include "tests/support/workflow_fixture.h"
#include "download/file_names.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>

namespace tavimo {
namespace {

using emu::ArtistCase;
using emu::Fault;

class ArtistDownloadTest : public test::WorkflowFixture {
protected:
    QString artistFolder(const emu::Artist &artist) const
    {
        return QStringLiteral("歌手 - ") + CleanFileName(q(artist.name));
    }
    QString closing(const emu::Artist &artist) const
    {
        return QStringLiteral("歌手[") + q(artist.name) + QStringLiteral("]下载完毕! ");
    }
};

// Every album of the listing pages lands once in its own folder inside the artist folder.
TEST_F(ArtistDownloadTest, DownloadsEveryListedAlbumOnce)
{
    const emu::Artist &artist = emulator.catalogue().artist(ArtistCase::Prolific);
    emulator.setMp3Size(2000);
    runArtist(artistAddress(artist));
    const QDir folder(root.file(artistFolder(artist)));
    EXPECT_EQ(folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), qsizetype(artist.albumNumbers.size()));
    for (int offset : {0, 10, 20, 30})
        EXPECT_EQ(requestsTo("/musician/" + artist.id + "/albums?start=" + std::to_string(offset) + "&"), 1) << offset;
    for (const std::string &number : artist.albumNumbers)
        EXPECT_EQ(requestsTo("/subject/" + number + "/"), 1) << number;
    EXPECT_EQ(view.lastStatus(), closing(artist));
    EXPECT_EQ(result.end, RunEnd::Done);
}

// An album page that fails is the run's failure, named by that album's text,
// after every other album was downloaded.
TEST_F(ArtistDownloadTest, AnAlbumWithoutTracksFailsTheRun)
{
    const emu::Artist &artist = emulator.catalogue().artist(ArtistCase::Plain);
    ASSERT_GE(artist.albumNumbers.size(), 2u);
    emulator.setFault("/subject/" + artist.albumNumbers.front() + "/", Fault::status(500));
    runArtist(artistAddress(artist));
    EXPECT_EQ(result.end, RunEnd::Failed);
    EXPECT_TRUE(result.reason.startsWith(QStringLiteral("没找到文件,下载《"))) << result.reason.toStdString();
    EXPECT_EQ(view.lastStatus(), closing(artist));
    EXPECT_GT(result.counts.saved, 0);
    EXPECT_EQ(QDir(root.file(artistFolder(artist))).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(),
              qsizetype(artist.albumNumbers.size() - 1));
}

// A listing that fails three times is asked again, a pause apart, each attempt timed in the status line.
TEST_F(ArtistDownloadTest, ListingRetriedUntilItAnswers)
{
    const emu::Artist &artist = emulator.catalogue().artist(ArtistCase::Plain);
    emulator.setFault("/musician/" + artist.id + "/albums?start=0", Fault::failFirst(3));
    pauses.listingRetryMs = 1000;
    QElapsedTimer elapsed;
    elapsed.start();
    runArtist(artistAddress(artist));
    EXPECT_GE(elapsed.elapsed(), 2900);
    const QRegularExpression retry(QStringLiteral("^获取专辑列表失败,重试...\\d{4}/\\d{1,2}/\\d{1,2} \\d{1,2}:\\d{2}:\\d{2}$"));
    EXPECT_EQ(view.statuses.filter(retry).size(), 3) << view.statuses.join(u'|').toStdString();
    EXPECT_EQ(requestsTo("/musician/" + artist.id + "/albums?start=0&"), 4);
    EXPECT_EQ(view.lastStatus(), closing(artist));
}

// An artist without albums keeps its empty folder and still closes with its name.
TEST_F(ArtistDownloadTest, ArtistWithoutAlbums)
{
    const emu::Artist &artist = emulator.catalogue().artist(ArtistCase::NoAlbums);
    runArtist(artistAddress(artist));
    EXPECT_TRUE(QDir(root.file(artistFolder(artist))).isEmpty());
    EXPECT_EQ(view.lastStatus(), closing(artist));
}

// The closing text keeps the name as the page shows it; the folder takes the cleaned name.
TEST_F(ArtistDownloadTest, NamesShownAsReadAndCleanedForFolders)
{
    for (ArtistCase which : {ArtistCase::EntityName, ArtistCase::CleanedName}) {
        const emu::Artist &artist = emulator.catalogue().artist(which);
        runArtist(artistAddress(artist));
        EXPECT_EQ(view.lastStatus(), closing(artist));
        EXPECT_TRUE(QFileInfo(root.file(artistFolder(artist))).isDir()) << artist.name;
    }
}

} // namespace
} // namespace tavimo
