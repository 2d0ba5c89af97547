#include "workflow/album_page_download.h"

#include "download/file_names.h"
#include "parse/regex_module.h"
#include "workflow/address_input.h"

namespace tavimo {

namespace {

const QString kUtf8 = QStringLiteral("UTF-8");

// The folder an album's tracks go to; an empty title means the parent itself.
QString AlbumFolder(const QString &parentFolder, const QString &albumTitle)
{
    return albumTitle.isEmpty() ? parentFolder : parentFolder + u'/' + albumTitle;
}

QCoro::Task<QString> AlbumTitleOf(MainView &view, QString page)
{
    QString title = co_await TextBetween(view, page, QStringLiteral("<title>"), QStringLiteral("</title>"));
    title.remove(QStringLiteral("<title>")).remove(QStringLiteral("(Tavimo)")).remove(QStringLiteral("</title>"));
    title = CleanFileName(title);
    title.remove(u'\r').remove(u'\n');
    co_return TrimBlanks(title);
}

QString TrackAddress(const ServiceHosts &hosts, const QString &songId)
{
    return hosts.audioAddress(QStringLiteral("/view/song/small/p") + songId + QStringLiteral("_192k.mp3"));
}

// Hands the tracks of a filled track table over into the album's folder.
QCoro::Task<AlbumHandOver> HandOverTracks(const WorkflowContext &context, int rows, QString albumId, QString albumTitle,
                                          QString parentFolder, const Dictionary<> &table, QString artist)
{
    AlbumHandOver album;
    album.id = albumId;
    album.title = albumTitle;
    if (rows <= 0) {
        album.end = RunEnd::NothingFound;
        album.reason = QStringLiteral("没找到文件,下载《") + albumTitle + QStringLiteral("》失败!");
        context.view.setStatus(album.reason);
        co_return album;
    }
    const QString folder = AlbumFolder(parentFolder, albumTitle);
    context.downloads.prepareFolder(folder);
    // Own copies: the table is refilled by the next album while these wait.
    const QStringList titles = table.Items();
    const QStringList songIds = table.Keys();
    for (qsizetype i = 0; i < songIds.size(); ++i) {
        context.view.setStatus(QStringLiteral("正在下载:  《") + titles.at(i) + QStringLiteral("》 ..."));
        const QString path = folder + u'/' + CleanFileName(titles.at(i)) + QStringLiteral(".mp3");
        album.paths.append(path);
        album.urls.append(TrackAddress(context.hosts, songIds.at(i)));
        const TrackFile track{album.urls.last(), path, {titles.at(i), albumTitle, artist, int(i) + 1}};
        co_await context.downloads.download(track);
        if (context.stopped()) {
            album.end = RunEnd::Stopped;
            co_return album;
        }
    }
    co_return album;
}

} // namespace

QCoro::Task<RunResult> AlbumEnd(const WorkflowContext &context, RunTally tally, AlbumHandOver album)
{
    if (album.end == RunEnd::Failed)
        co_return tally.failedPage(album.failedPage);
    if (album.end != RunEnd::Done)
        co_return tally.result(album.end, album.reason);
    co_await context.downloads.whenEnded(album.paths);
    if (context.stopped())
        co_return tally.result(RunEnd::Stopped);
    context.downloads.albumEnded(album.id, album.urls);
    context.view.setStatus(QStringLiteral("《") + album.title + QStringLiteral("》下载完毕!"));
    co_return tally.result(RunEnd::Done);
}

QCoro::Task<RunResult> DownloadAlbumByPage(const WorkflowContext &context, QString typedAddress)
{
    const RunTally tally(context.downloads);
    context.tables.dictAlbum2.RemoveAll();
    const QString albumId = IdentifierFromAddress(typedAddress, context.albumAddressPrefix());
    if (!ReadsAsNumber(albumId))
        co_return co_await context.refuse(tally, QStringLiteral("专辑地址无法识别"));
    // The page is fetched at the address as typed, not rebuilt from the number.
    const PageReply page = co_await context.fetchPage(kUtf8, TrimBlanks(typedAddress));
    if (context.stopped())
        co_return tally.result(RunEnd::Stopped);
    if (std::optional<RunResult> failed = context.failedPage(tally, page))
        co_return *failed;
    const QString albumTitle = co_await AlbumTitleOf(context.view, page.text);
    const int rows = ParseAlbumTracks(QString::fromLatin1(kTrackRowPattern), page.text, context.tables.dictAlbum2);
    AlbumHandOver album = co_await HandOverTracks(context, rows, albumId, albumTitle, context.downloadRoot,
                                                  context.tables.dictAlbum2, QString());
    co_return co_await AlbumEnd(context, tally, std::move(album));
}

QCoro::Task<AlbumHandOver> HandOverArtistAlbum(const WorkflowContext &context, PageReply page, QString albumId,
                                               QString parentFolder, QString artist)
{
    if (context.endsStep(page)) {
        AlbumHandOver failed;
        failed.end = RunEnd::Failed;
        failed.failedPage = page;
        co_return failed;
    }
    const QString albumTitle = co_await AlbumTitleOf(context.view, page.text);
    const int rows = ParseArtistAlbumTracks(QString::fromLatin1(kTrackRowPattern), page.text,
                                            context.tables.dictAlbum3);
    co_return co_await HandOverTracks(context, rows, albumId, albumTitle, parentFolder, context.tables.dictAlbum3,
                                      artist);
}

QCoro::Task<QString> TextBetween(MainView &view, QString text, QString startMark, QString endMark)
{
    // Positions count from 1, 0 meaning "absent", as the title cut relies on.
    const qsizetype start = text.indexOf(startMark, 0, Qt::CaseSensitive) + 1 + startMark.size();
    const qsizetype end = text.indexOf(endMark, 0, Qt::CaseSensitive) + 1;
    if (end - start < 0 || start < 1) {
        co_await view.showMessage(QStringLiteral("Err:无效的过程调用或参数"), MessageKind::Critical);
        co_return QString();
    }
    co_return text.mid(start - 1, end - start);
}

} // namespace tavimo
