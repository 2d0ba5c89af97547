#include "workflow/artist_download.h"

#include "workflow/address_input.h"
#include "parse/html_document.h"
#include "download/download_root.h"
#include "net/yielding_pause.h"

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

} // namespace

void ArtistDownload::cmdSinger_Click()
{
    ButtonBusy busy(ctx_.view, MainButton::cmdSinger);
    const QString artistId = IdentifierFromAddress(ctx_.view.singerIdText(), ctx_.artistAddressPrefix());
    if (!ReadsAsNumber(artistId)) {
        ctx_.view.showMessage(QStringLiteral("歌手地址输入有误"), DialogIcon::Critical);
        return;
    }
    const QString artistPage = ctx_.net.GetHttpText(kUtf8, ctx_.artistAddressPrefix() + artistId + u'/');
    if (ctx_.stopped())
        return;
    if (!artistPage.contains(kArtistPageMarker)) {
        ctx_.view.showMessage(QStringLiteral("对应歌手不存在! 请再次检查输入."), DialogIcon::Critical);
        return;
    }
    HtmlDocument document;
    document.Write(artistPage);
    const QString displayName = document.firstH1Text();
    const QString artistFolder = ctx_.downloadRoot + QStringLiteral("/歌手 - ") + CleanFileName(displayName);
    EnsureFolder(artistFolder);

    const Dictionary<> seenAlbums = collectAlbums(artistId, document);
    for (const QString &albumUrl : seenAlbums.Items()) {
        albums_.DownloadAlbumFromPage(albumUrl, artistFolder);
        if (ctx_.stopped())
            return;
    }
    if (ctx_.stopped())
        return;
    ctx_.view.setStatus(QStringLiteral("歌手[") + displayName + QStringLiteral("]下载完毕! "));
}

Dictionary<> ArtistDownload::collectAlbums(const QString &artistId, HtmlDocument &document)
{
    Dictionary<> seenAlbums;
    for (int offset = 0;; offset += 10) {
        const QString listing = fetchListing(artistId, offset);
        if (ctx_.stopped())
            return seenAlbums;
        document.Clear();
        document.Write(listing);
        bool newAlbum = false;
        for (const QString &href : document.linkHrefs()) {
            if (isAlbumLink(href) && seenAlbums.Add(href, href))
                newAlbum = true;
        }
        if (!newAlbum)
            return seenAlbums;
    }
}

// Asks for one listing page until its reply carries the sort marker; without
// limit, but with a pause between attempts so the service is not hammered.
QString ArtistDownload::fetchListing(const QString &artistId, int offset)
{
    const QString address = ctx_.artistAddressPrefix() + artistId + QStringLiteral("/albums?start=") +
                            QString::number(offset) + QStringLiteral("&format=pic&sortby=vote");
    for (;;) {
        const QString listing = ctx_.net.GetHttpText(kUtf8, address);
        if (ctx_.stopped() || listing.contains(kListingMarker))
            return listing;
        ctx_.view.setStatus(QStringLiteral("获取专辑列表失败,重试...") + NowAsText());
        YieldingPause(listingRetryPauseMs_);
        if (ctx_.stopped())
            return QString();
    }
}

bool ArtistDownload::isAlbumLink(const QString &href) const
{
    const QString prefix = ctx_.albumAddressPrefix();
    return href.contains(prefix, Qt::CaseSensitive) && ReadsAsNumber(IdentifierFromAddress(href, prefix));
}

} // namespace tavimo
