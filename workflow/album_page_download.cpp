#include "workflow/album_page_download.h"

#include "workflow/address_input.h"
#include "download/download_root.h"
#include "parse/regex_module.h"

namespace tavimo {

namespace {

const QString kUtf8 = QStringLiteral("UTF-8");

// The folder an album's tracks go to; an empty title means the parent itself.
QString AlbumFolder(const QString &parentFolder, const QString &albumTitle)
{
    return albumTitle.isEmpty() ? parentFolder : parentFolder + u'/' + albumTitle;
}

} // namespace

void AlbumPageDownload::cmdDown2_Click()
{
    ButtonBusy busy(ctx_.view, MainButton::cmdDown2);
    tables_.dictAlbum2.RemoveAll();
    const QString typed = ctx_.view.albumIdText();
    if (!ReadsAsNumber(IdentifierFromAddress(typed, ctx_.albumAddressPrefix()))) {
        ctx_.view.showMessage(QStringLiteral("专辑地址无法识别"), DialogIcon::Critical);
        return;
    }
    // The page is fetched at the address as typed, not rebuilt from the number.
    const QString page = ctx_.net.GetHttpText(kUtf8, TrimBlanks(typed));
    if (ctx_.stopped())
        return;
    const QString albumTitle = albumTitleOf(page);
    const int rows = ParseAlbumTracks(QString::fromLatin1(kTrackRowPattern), page, tables_.dictAlbum2);
    downloadTracks(rows, albumTitle, ctx_.downloadRoot, tables_.dictAlbum2);
}

void AlbumPageDownload::DownloadAlbumFromPage(const QString &albumUrl, const QString &parentFolder)
{
    const QString page = ctx_.net.GetHttpText(kUtf8, TrimBlanks(albumUrl));
    if (ctx_.stopped())
        return;
    const QString albumTitle = albumTitleOf(page);
    const int rows = ParseArtistAlbumTracks(QString::fromLatin1(kTrackRowPattern), page, tables_.dictAlbum3);
    downloadTracks(rows, albumTitle, parentFolder, tables_.dictAlbum3);
}

QString AlbumPageDownload::TextBetween(const QString &text, const QString &startMark, const QString &endMark)
{
    // Positions count from 1, 0 meaning "absent", as the title cut relies on.
    const qsizetype start = text.indexOf(startMark, 0, Qt::CaseSensitive) + 1 + startMark.size();
    const qsizetype end = text.indexOf(endMark, 0, Qt::CaseSensitive) + 1;
    if (end - start < 0 || start < 1) {
        ctx_.view.showMessage(QStringLiteral("Err:无效的过程调用或参数"), DialogIcon::Critical);
        return QString();
    }
    return text.mid(start - 1, end - start);
}

QString AlbumPageDownload::albumTitleOf(const QString &page)
{
    QString title = TextBetween(page, QStringLiteral("<title>"), QStringLiteral("</title>"));
    title.remove(QStringLiteral("<title>")).remove(QStringLiteral("(Tavimo)")).remove(QStringLiteral("</title>"));
    title = CleanFileName(title);
    title.remove(u'\r').remove(u'\n');
    return TrimBlanks(title);
}

void AlbumPageDownload::downloadTracks(int rows, const QString &albumTitle, const QString &parentFolder,
                                       const Dictionary<> &table)
{
    if (rows <= 0) {
        ctx_.view.setStatus(QStringLiteral("没找到文件,下载《") + albumTitle + QStringLiteral("》失败!"));
        return;
    }
    const QString folder = AlbumFolder(parentFolder, albumTitle);
    EnsureFolder(folder);
    // Own copies: a workflow started inside a wait may refill the table.
    const QStringList titles = table.Items();
    const QStringList songIds = table.Keys();
    for (qsizetype i = 0; i < songIds.size(); ++i) {
        ctx_.view.setStatus(QStringLiteral("正在下载:  《") + titles.at(i) + QStringLiteral("》 ..."));
        ctx_.downloads.download(trackAddress(songIds.at(i)),
                                folder + u'/' + CleanFileName(titles.at(i)) + QStringLiteral(".mp3"));
        if (ctx_.stopped())
            return;
    }
    ctx_.downloads.finish();
    if (ctx_.stopped())
        return;
    ctx_.view.setStatus(QStringLiteral("《") + albumTitle + QStringLiteral("》下载完毕!"));
}

QString AlbumPageDownload::trackAddress(const QString &songId) const
{
    return ctx_.hosts.audioAddress(QStringLiteral("/view/song/small/p") + songId + QStringLiteral("_192k.mp3"));
}

} // namespace tavimo
