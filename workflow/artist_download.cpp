#include "workflow/artist_download.h"

#include "download/file_names.h"
#include "net/yielding_pause.h"
#include "parse/html_document.h"
#include "workflow/address_input.h"
#include "workflow/album_page_download.h"

#include <QDateTime>

namespace tavimo {

namespace {

const QString kUtf8 = QStringLiteral("UTF-8");
const QString kArtistPageMarker = QStringLiteral("class=\"info\">");
const QString kListingMarker = QStringLiteral("按评价排序");

QString NowAsText()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy/M/d H:mm:ss"));
}

// Asks for one listing page until its reply carries the sort marker; without
// limit, but with a pause between attempts so the service is not hammered.
QString FetchListing(const WorkflowContext &context, const QString &artistId, int offset)
{
    const QString address = context.artistAddressPrefix() + artistId + QStringLiteral("/albums?start=") +
                            QString::number(offset) + QStringLiteral("&format=pic&sortby=vote");
    for (;;) {
        const QString listing = context.net.GetHttpText(kUtf8, address);
        if (context.stopped() || listing.contains(kListingMarker))
            return listing;
        context.view.setStatus(QStringLiteral("获取专辑列表失败,重试...") + NowAsText());
        YieldingPause(context.pauses.listingRetryMs);
        if (context.stopped())
            return QString();
    }
}

bool IsAlbumLink(const WorkflowContext &context, const QString &href)
{
    const QString prefix = context.albumAddressPrefix();
    return href.contains(prefix, Qt::CaseSensitive) && ReadsAsNumber(IdentifierFromAddress(href, prefix));
}

// Every album page address of the artist, in listing order, page by page
// until a page brings no new album; what was found so far when the program
// is closing.
Dictionary<> CollectAlbums(const WorkflowContext &context, const QString &artistId, HtmlDocument &document)
{
    Dictionary<> seenAlbums;
    for (int offset = 0;; offset += 10) {
        const QString listing = FetchListing(context, artistId, offset);
        if (context.stopped())
            return seenAlbums;
        document.Clear();
        document.Write(listing);
        bool newAlbum = false;
        for (const QString &href : document.linkHrefs()) {
            if (IsAlbumLink(context, href) && seenAlbums.Add(href, href))
                newAlbum = true;
        }
        if (!newAlbum)
            return seenAlbums;
    }
}

} // namespace

RunResult DownloadArtistByPage(const WorkflowContext &context, const QString &typedAddress)
{
    const RunTally tally(context.downloads);
    const QString artistId = IdentifierFromAddress(typedAddress, context.artistAddressPrefix());
    if (!ReadsAsNumber(artistId))
        return context.refuse(tally, QStringLiteral("歌手地址输入有误"));
    const QString artistPage = context.net.GetHttpText(kUtf8, context.artistAddressPrefix() + artistId + u'/');
    if (context.stopped())
        return tally.result(RunEnd::Stopped);
    if (!artistPage.contains(kArtistPageMarker))
        return context.refuse(tally, QStringLiteral("对应歌手不存在! 请再次检查输入."));
    HtmlDocument document;
    document.Write(artistPage);
    const QString displayName = document.firstH1Text();
    const QString artistFolder = context.downloadRoot + QStringLiteral("/歌手 - ") + CleanFileName(displayName);
    context.downloads.prepareFolder(artistFolder);

    QString emptyAlbum;
    for (const QString &albumUrl : CollectAlbums(context, artistId, document).Items()) {
        const RunResult album = DownloadArtistAlbum(context, albumUrl, artistFolder, displayName);
        if (album.end == RunEnd::Stopped || context.stopped())
            return tally.result(RunEnd::Stopped);
        if (album.end == RunEnd::NothingFound && emptyAlbum.isEmpty())
            emptyAlbum = album.reason;
    }
    if (context.stopped())
        return tally.result(RunEnd::Stopped);
    context.view.setStatus(QStringLiteral("歌手[") + displayName + QStringLiteral("]下载完毕! "));
    return emptyAlbum.isEmpty() ? tally.result(RunEnd::Done) : tally.result(RunEnd::Failed, emptyAlbum);
}

} // namespace tavimo
