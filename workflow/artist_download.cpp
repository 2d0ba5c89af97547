#include "workflow/artist_download.h"

#include "download/file_names.h"
#include "parse/html_document.h"
#include "workflow/address_input.h"
#include "workflow/album_page_download.h"
#include "workflow/pages_ahead.h"

#include <QDateTime>

#include <vector>

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
QCoro::Task<QString> FetchListing(const WorkflowContext &context, QString artistId, int offset)
{
    const QString address = context.artistAddressPrefix() + artistId + QStringLiteral("/albums?start=") +
                            QString::number(offset) + QStringLiteral("&format=pic&sortby=vote");
    for (;;) {
        const QString listing = co_await context.fetch(kUtf8, address);
        if (context.stopped() || listing.contains(kListingMarker))
            co_return listing;
        context.view.setStatus(QStringLiteral("获取专辑列表失败,重试...") + NowAsText());
        co_await context.pause(context.pauses.listingRetryMs);
        if (context.stopped())
            co_return QString();
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
QCoro::Task<QStringList> CollectAlbums(const WorkflowContext &context, QString artistId, HtmlDocument &document)
{
    Dictionary<> seenAlbums;
    for (int offset = 0;; offset += 10) {
        const QString listing = co_await FetchListing(context, artistId, offset);
        if (context.stopped())
            co_return seenAlbums.Items();
        document.Clear();
        document.Write(listing);
        bool newAlbum = false;
        for (const QString &href : document.linkHrefs()) {
            if (IsAlbumLink(context, href) && seenAlbums.Add(href, href))
                newAlbum = true;
        }
        if (!newAlbum)
            co_return seenAlbums.Items();
    }
}

// Hands every album over in listing order, its page asked for ahead while
// earlier albums' tracks download; the albums' ends, to be awaited.
QCoro::Task<std::vector<QCoro::Task<RunResult>>> HandOverAlbums(const WorkflowContext &context, QStringList albumUrls,
                                                                QString artistFolder, QString artist)
{
    for (QString &url : albumUrls)
        url = TrimBlanks(url);
    PagesAhead pages(context, kUtf8, albumUrls, context.pagesAhead);
    std::vector<QCoro::Task<RunResult>> albums;
    while (!pages.atEnd()) {
        const QString page = co_await pages.next();
        if (context.stopped())
            break;
        AlbumHandOver album = co_await HandOverArtistAlbum(context, page, artistFolder, artist);
        const RunTally tally(context.downloads);
        albums.push_back(AlbumEnd(context, tally, std::move(album)));
        if (context.stopped())
            break;
    }
    co_return albums;
}

} // namespace

QCoro::Task<RunResult> DownloadArtistByPage(const WorkflowContext &context, QString typedAddress)
{
    const RunTally tally(context.downloads);
    const QString artistId = IdentifierFromAddress(typedAddress, context.artistAddressPrefix());
    if (!ReadsAsNumber(artistId))
        co_return co_await context.refuse(tally, QStringLiteral("歌手地址输入有误"));
    const QString artistPage = co_await context.fetch(kUtf8, context.artistAddressPrefix() + artistId + u'/');
    if (context.stopped())
        co_return tally.result(RunEnd::Stopped);
    if (!artistPage.contains(kArtistPageMarker))
        co_return co_await context.refuse(tally, QStringLiteral("对应歌手不存在! 请再次检查输入."));
    HtmlDocument document;
    document.Write(artistPage);
    const QString displayName = document.firstH1Text();
    const QString artistFolder = context.downloadRoot + QStringLiteral("/歌手 - ") + CleanFileName(displayName);
    context.downloads.prepareFolder(artistFolder);

    const QStringList albumUrls = co_await CollectAlbums(context, artistId, document);
    std::vector<QCoro::Task<RunResult>> albums = co_await HandOverAlbums(context, albumUrls, artistFolder, displayName);
    // Every album's end is awaited, a stopped run's too, so none outlives the run.
    QString emptyAlbum;
    for (QCoro::Task<RunResult> &album : albums) {
        const RunResult ended = co_await album;
        if (ended.end == RunEnd::NothingFound && emptyAlbum.isEmpty())
            emptyAlbum = ended.reason;
    }
    if (context.stopped())
        co_return tally.result(RunEnd::Stopped);
    context.view.setStatus(QStringLiteral("歌手[") + displayName + QStringLiteral("]下载完毕! "));
    co_return emptyAlbum.isEmpty() ? tally.result(RunEnd::Done) : tally.result(RunEnd::Failed, emptyAlbum);
}

} // namespace tavimo
