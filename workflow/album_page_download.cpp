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

QString AlbumTitleOf(MainView &view, const QString &page)
{
    QString title = TextBetween(view, page, QStringLiteral("<title>"), QStringLiteral("</title>"));
    title.remove(QStringLiteral("<title>")).remove(QStringLiteral("(Tavimo)")).remove(QStringLiteral("</title>"));
    title = CleanFileName(title);
    title.remove(u'\r').remove(u'\n');
    return TrimBlanks(title);
}

QString TrackAddress(const ServiceHosts &hosts, const QString &songId)
{
    return hosts.audioAddress(QStringLiteral("/view/song/small/p") + songId + QStringLiteral("_192k.mp3"));
}

// Downloads the tracks of a filled track table into the album's folder.
RunResult DownloadTracks(const WorkflowContext &context, const RunTally &tally, int rows, const QString &albumTitle,
                         const QString &parentFolder, const Dictionary<> &table, const QString &artist)
{
    if (rows <= 0) {
        const QString nothing = QStringLiteral("没找到文件,下载《") + albumTitle + QStringLiteral("》失败!");
        context.view.setStatus(nothing);
        return tally.result(RunEnd::NothingFound, nothing);
    }
    const QString folder = AlbumFolder(parentFolder, albumTitle);
    context.downloads.prepareFolder(folder);
    // Own copies: a workflow started inside a wait may refill the table.
    const QStringList titles = table.Items();
    const QStringList songIds = table.Keys();
    for (qsizetype i = 0; i < songIds.size(); ++i) {
        context.view.setStatus(QStringLiteral("正在下载:  《") + titles.at(i) + QStringLiteral("》 ..."));
        context.downloads.download({TrackAddress(context.hosts, songIds.at(i)),
                                    folder + u'/' + CleanFileName(titles.at(i)) + QStringLiteral(".mp3"),
                                    {titles.at(i), albumTitle, artist, int(i) + 1}});
        if (context.stopped())
            return tally.result(RunEnd::Stopped);
    }
    context.downloads.finish();
    if (context.stopped())
        return tally.result(RunEnd::Stopped);
    context.view.setStatus(QStringLiteral("《") + albumTitle + QStringLiteral("》下载完毕!"));
    return tally.result(RunEnd::Done);
}

} // namespace

RunResult DownloadAlbumByPage(const WorkflowContext &context, const QString &typedAddress)
{
    const RunTally tally(context.downloads);
    context.tables.dictAlbum2.RemoveAll();
    if (!ReadsAsNumber(IdentifierFromAddress(typedAddress, context.albumAddressPrefix())))
        return context.refuse(tally, QStringLiteral("专辑地址无法识别"));
    // The page is fetched at the address as typed, not rebuilt from the number.
    const QString page = context.net.GetHttpText(kUtf8, TrimBlanks(typedAddress));
    if (context.stopped())
        return tally.result(RunEnd::Stopped);
    const QString albumTitle = AlbumTitleOf(context.view, page);
    const int rows = ParseAlbumTracks(QString::fromLatin1(kTrackRowPattern), page, context.tables.dictAlbum2);
    return DownloadTracks(context, tally, rows, albumTitle, context.downloadRoot, context.tables.dictAlbum2, QString());
}

RunResult DownloadArtistAlbum(const WorkflowContext &context, const QString &albumUrl, const QString &parentFolder,
                              const QString &artist)
{
    const RunTally tally(context.downloads);
    const QString page = context.net.GetHttpText(kUtf8, TrimBlanks(albumUrl));
    if (context.stopped())
        return tally.result(RunEnd::Stopped);
    const QString albumTitle = AlbumTitleOf(context.view, page);
    const int rows = ParseArtistAlbumTracks(QString::fromLatin1(kTrackRowPattern), page, context.tables.dictAlbum3);
    return DownloadTracks(context, tally, rows, albumTitle, parentFolder, context.tables.dictAlbum3, artist);
}

QString TextBetween(MainView &view, const QString &text, const QString &startMark, const QString &endMark)
{
    // Positions count from 1, 0 meaning "absent", as the title cut relies on.
    const qsizetype start = text.indexOf(startMark, 0, Qt::CaseSensitive) + 1 + startMark.size();
    const qsizetype end = text.indexOf(endMark, 0, Qt::CaseSensitive) + 1;
    if (end - start < 0 || start < 1) {
        view.showMessage(QStringLiteral("Err:无效的过程调用或参数"), MessageKind::Critical);
        return QString();
    }
    return text.mid(start - 1, end - start);
}

} // namespace tavimo
