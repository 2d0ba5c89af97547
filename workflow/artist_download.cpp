#include "workflow/artist_download.h"

#include "download/file_names.h"
#include "parse/html_document.h"
#include "workflow/address_input.h"
#include "workflow/album_page_download.h"
#include "workflow/page_retry.h"
#include "workflow/pages_ahead.h"

#include <QDateTime>
#include <QSet>

#include <vector>

namespace tavimo {

namespace {

const QString kUtf8 = QStringLiteral("UTF-8");
const QString kArtistPageMarker = QStringLiteral("class=\"info\">");
const QString kListingMarker = QStringLiteral("按评价排序");
constexpr int kListingPageSize = 10; // albums on a full listing page

QString NowAsText()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy/M/d H:mm:ss"));
}

// Asks for one listing page until its reply carries the sort marker. The
// window asks without limit, a pause between attempts so the service is not
// hammered; where a failed page ends its step, a lasting failure or ten
// minutes of passing ones end it with the last cause.
QCoro::Task<PageReply> FetchListing(const WorkflowContext &context, QString artistId, int offset)
{
    const QString address = context.artistAddressPrefix() + artistId + QStringLiteral("/albums?start=") +
                            QString::number(offset) + QStringLiteral("&format=pic&sortby=vote");
    PageRetry retry(context.pauses.listingRetryMs, context.endsOnFailedPage);
    for (;;) {
        const PageReply listing = co_await context.fetchPage(kUtf8, address);
        // Where a failed page ends its step, an error status spoils even a page with the marker.
        if (context.stopped() || (listing.text.contains(kListingMarker) && !context.endsStep(listing)))
            co_return listing;
        const RetryStep step = retry.after(listing, QStringLiteral("获取专辑列表失败,重试...") + NowAsText(),
                                           QStringLiteral("回复中没有专辑列表"));
        if (!step.pauseMs)
            co_return step.failure;
        context.view.setStatus(step.line);
        co_await context.pause(*step.pauseMs);
        if (context.stopped())
            co_return PageReply{};
    }
}

bool IsAlbumLink(const WorkflowContext &context, const QString &href)
{
    const QString prefix = context.albumAddressPrefix();
    return href.contains(prefix, Qt::CaseSensitive) && ReadsAsNumber(IdentifierFromAddress(href, prefix));
}

// The album page addresses of an artist, and the listing page that ended
// their collection when it failed.
struct ArtistAlbums {
    QStringList addresses;
    PageReply failedListing;
};

// Every album page address of the artist, in listing order, page by page
// until a page brings no new album; what was found so far when the program
// is closing.
QCoro::Task<ArtistAlbums> CollectAlbums(const WorkflowContext &context, QString artistId, HtmlDocument &document)
{
    Dictionary<> seenAlbums;
    for (int offset = 0;; offset += kListingPageSize) {
        const PageReply listing = co_await FetchListing(context, artistId, offset);
        if (context.stopped() || context.endsStep(listing))
            co_return ArtistAlbums{seenAlbums.Items(), listing};
        document.Clear();
        document.Write(listing.text);
        bool newAlbum = false;
        QSet<QString> onPage;
        for (const QString &href : document.linkHrefs()) {
            if (!IsAlbumLink(context, href))
                continue;
            onPage.insert(href);
            newAlbum = seenAlbums.Add(href, href) || newAlbum;
        }
        // A rerun that breaks on what the library holds takes a page short
        // of albums for the last one, and spares the empty page after it.
        const bool lastPage = context.breakOnExisting && onPage.size() < kListingPageSize;
        if (!newAlbum || lastPage)
            co_return ArtistAlbums{seenAlbums.Items(), {}};
    }
}

// The albums whose pages a run reads: all of them, or when it breaks on what
// the library holds, those the archive does not record as whole.
QStringList AlbumsToRead(const WorkflowContext &context, const QStringList &addresses)
{
    if (!context.breakOnExisting)
        return addresses;
    QStringList unheld;
    for (const QString &address : addresses) {
        if (!context.downloads.holdsAlbum(IdentifierFromAddress(address, context.albumAddressPrefix())))
            unheld.append(address);
    }
    if (unheld.size() < addresses.size())
        context.view.setStatus(QStringLiteral("跳过 %1 张已下载完整的专辑").arg(addresses.size() - unheld.size()));
    return unheld;
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
    for (qsizetype i = 0; !pages.atEnd(); ++i) {
        const PageReply page = co_await pages.next();
        if (context.stopped())
            break;
        const QString albumId = IdentifierFromAddress(albumUrls.at(i), context.albumAddressPrefix());
        AlbumHandOver album = co_await HandOverArtistAlbum(context, page, albumId, artistFolder, artist);
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
    const PageReply artistPage = co_await context.fetchPage(kUtf8, context.artistAddressPrefix() + artistId + u'/');
    if (context.stopped())
        co_return tally.result(RunEnd::Stopped);
    if (std::optional<RunResult> failed = context.failedPage(tally, artistPage))
        co_return *failed;
    if (!artistPage.text.contains(kArtistPageMarker))
        co_return co_await context.notFound(tally, QStringLiteral("对应歌手不存在! 请再次检查输入."));
    HtmlDocument document;
    document.Write(artistPage.text);
    const QString displayName = document.firstH1Text();
    const QString artistFolder = context.downloadRoot + QStringLiteral("/歌手 - ") + CleanFileName(displayName);
    context.downloads.prepareFolder(artistFolder);

    const ArtistAlbums found = co_await CollectAlbums(context, artistId, document);
    if (context.stopped())
        co_return tally.result(RunEnd::Stopped);
    if (found.failedListing.failed())
        co_return tally.failedPage(found.failedListing);
    const QStringList unheld = AlbumsToRead(context, found.addresses);
    std::vector<QCoro::Task<RunResult>> albums = co_await HandOverAlbums(context, unheld, artistFolder, displayName);
    // Every album's end is awaited, a stopped run's too, so none outlives the run.
    std::optional<RunResult> firstFailed;
    for (QCoro::Task<RunResult> &album : albums) {
        const RunResult ended = co_await album;
        const bool failed = ended.end == RunEnd::NothingFound || ended.end == RunEnd::Failed;
        if (failed && !firstFailed)
            firstFailed = ended;
    }
    if (context.stopped())
        co_return tally.result(RunEnd::Stopped);
    context.view.setStatus(QStringLiteral("歌手[") + displayName + QStringLiteral("]下载完毕! "));
    if (!firstFailed)
        co_return tally.result(RunEnd::Done);
    RunResult result = tally.result(RunEnd::Failed, firstFailed->reason);
    result.failedPage = firstFailed->failedPage;
    co_return result;
}

} // namespace tavimo
