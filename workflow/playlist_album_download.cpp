#include "workflow/playlist_album_download.h"

#include "workflow/address_input.h"
#include "download/download_root.h"
#include "parse/json.h"

namespace tavimo {

namespace {

const QString kTitle = QStringLiteral("title");
const QString kUrl = QStringLiteral("url");
const QString kAlbum = QStringLiteral("album");
const QString kAlbumTitle = QStringLiteral("albumtitle");

// A track object carries all four members as text (or numbers); anything
// else in the "song" array is passed over.
bool IsTrack(const JsonValue &song)
{
    if (!song.isObject())
        return false;
    for (const QString &member : {kTitle, kUrl, kAlbum, kAlbumTitle}) {
        const JsonValue value = song.Item(member);
        if (!value.isText() && !value.isNumber())
            return false;
    }
    return true;
}

// The "song" array of a reply; empty when the reply is not an object holding one.
JsonValue SongsOf(const JsonValue &reply)
{
    const JsonValue songs = reply.isObject() ? reply.Item(QStringLiteral("song")) : JsonValue();
    return songs.isArray() ? songs : JsonValue();
}

} // namespace

void PlaylistAlbumDownload::cmdDown_Click()
{
    ButtonBusy busy(ctx_.view, MainButton::cmdDown);
    tables_.dictPlaylist.RemoveAll();
    const QString albumNumber = IdentifierFromAddress(ctx_.view.albumIdText(), ctx_.albumAddressPrefix());
    if (!ReadsAsNumber(albumNumber)) {
        ctx_.view.showMessage(QStringLiteral("专辑地址输入有误"), DialogIcon::Critical);
        return;
    }
    const QString reply = ctx_.net.GetHttpText(QStringLiteral("UTF-8"), playlistAddress(albumNumber));
    if (ctx_.stopped())
        return;
    const JsonValue songs = SongsOf(ParseJson(reply));
    QString albumTitle;
    QString albumFolder;
    for (int i = 1; i <= songs.Count(); ++i) {
        const JsonValue song = songs.Item(i);
        if (!IsTrack(song) || !song.Item(kAlbum).toText().contains(albumNumber))
            continue;
        if (albumTitle.isEmpty()) {
            // The first kept track names the album and its folder.
            albumTitle = TrimBlanks(CleanFileName(song.Item(kAlbumTitle).toText()));
            albumFolder = albumTitle.isEmpty() ? ctx_.downloadRoot : ctx_.downloadRoot + u'/' + albumTitle;
            EnsureFolder(albumFolder);
        }
        if (!downloadTrack(song, albumFolder))
            return;
    }
    ctx_.downloads.finish();
    if (ctx_.stopped())
        return;
    ctx_.view.setStatus(albumTitle.isEmpty() ? QStringLiteral("抱歉,没找到专辑文件,下载失败!")
                                             : QStringLiteral("专辑《") + albumTitle + QStringLiteral("》下载完毕!"));
}

bool PlaylistAlbumDownload::downloadTrack(const JsonValue &song, const QString &albumFolder)
{
    const QString title = song.Item(kTitle).toText();
    if (tables_.dictPlaylist.Exists(title))
        return true;
    ctx_.view.setStatus(QStringLiteral("下载第") + QString::number(tables_.dictPlaylist.Count() + 1) +
                        QStringLiteral("首:  《") + title + QStringLiteral("》 ..."));
    const QString url = song.Item(kUrl).toText();
    tables_.dictPlaylist.Add(title, url);
    ctx_.downloads.download(url, albumFolder + u'/' + CleanFileName(title) + QStringLiteral(".mp3"));
    return !ctx_.stopped();
}

QString PlaylistAlbumDownload::playlistAddress(const QString &albumNumber) const
{
    return ctx_.hosts.radioAddress(QStringLiteral("/j/mine/playlist?type=n&h=&channel=0&context=channel:0|subject_id:") +
                                   albumNumber + QStringLiteral("&from=mainsite"));
}

} // namespace tavimo
