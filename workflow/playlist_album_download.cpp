#include "workflow/playlist_album_download.h"

#include "download/file_names.h"
#include "workflow/address_input.h"
#include "parse/json.h"

namespace tavimo {

namespace {

const QString kTitle = QStringLiteral("title");
const QString kUrl = QStringLiteral("url");
const QString kAlbum = QStringLiteral("album");
const QString kAlbumTitle = QStringLiteral("albumtitle");
const QString kArtist = QStringLiteral("artist");

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

QString PlaylistAddress(const ServiceHosts &hosts, const QString &albumNumber)
{
    return hosts.radioAddress(QStringLiteral("/j/mine/playlist?type=n&h=&channel=0&context=channel:0|subject_id:") +
                              albumNumber + QStringLiteral("&from=mainsite"));
}

// Downloads one kept track unless its title was taken before in this run.
void DownloadTrack(const WorkflowContext &context, const JsonValue &song, const QString &albumFolder)
{
    Dictionary<> &taken = context.tables.dictPlaylist;
    const QString title = song.Item(kTitle).toText();
    if (taken.Exists(title))
        return;
    context.view.setStatus(QStringLiteral("下载第") + QString::number(taken.Count() + 1) + QStringLiteral("首:  《") +
                           title + QStringLiteral("》 ..."));
    const QString url = song.Item(kUrl).toText();
    taken.Add(title, url);
    context.downloads.download({url, albumFolder + u'/' + CleanFileName(title) + QStringLiteral(".mp3"),
                                {title, song.Item(kAlbumTitle).toText(), song.Item(kArtist).toText(), 0}});
}

} // namespace

RunResult DownloadAlbumByPlaylist(const WorkflowContext &context, const QString &typedAddress)
{
    const RunTally tally(context.downloads);
    context.tables.dictPlaylist.RemoveAll();
    const QString albumNumber = IdentifierFromAddress(typedAddress, context.albumAddressPrefix());
    if (!ReadsAsNumber(albumNumber))
        return context.refuse(tally, QStringLiteral("专辑地址输入有误"));
    const QString reply = context.net.GetHttpText(QStringLiteral("UTF-8"), PlaylistAddress(context.hosts, albumNumber));
    if (context.stopped())
        return tally.result(RunEnd::Stopped);
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
            albumFolder = albumTitle.isEmpty() ? context.downloadRoot : context.downloadRoot + u'/' + albumTitle;
            context.downloads.prepareFolder(albumFolder);
        }
        DownloadTrack(context, song, albumFolder);
        if (context.stopped())
            return tally.result(RunEnd::Stopped);
    }
    context.downloads.finish();
    if (context.stopped())
        return tally.result(RunEnd::Stopped);
    if (albumTitle.isEmpty()) {
        const QString nothing = QStringLiteral("抱歉,没找到专辑文件,下载失败!");
        context.view.setStatus(nothing);
        return tally.result(RunEnd::NothingFound, nothing);
    }
    context.view.setStatus(QStringLiteral("专辑《") + albumTitle + QStringLiteral("》下载完毕!"));
    return tally.result(RunEnd::Done);
}

} // namespace tavimo
