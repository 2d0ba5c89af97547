#include "workflow/playlist_album_download.h"

#include "download/file_names.h"
#include "parse/json.h"
#include "workflow/address_input.h"

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

// Hands one kept track over unless its title was taken before in this run;
// its path, or the empty text.
QCoro::Task<QString> DownloadTrack(const WorkflowContext &context, JsonValue song, QString albumFolder)
{
    Dictionary<> &taken = context.tables.dictPlaylist;
    const QString title = song.Item(kTitle).toText();
    if (taken.Exists(title))
        co_return QString();
    context.view.setStatus(QStringLiteral("下载第") + QString::number(taken.Count() + 1) + QStringLiteral("首:  《") +
                           title + QStringLiteral("》 ..."));
    const QString url = song.Item(kUrl).toText();
    taken.Add(title, url);
    const QString path = albumFolder + u'/' + CleanFileName(title) + QStringLiteral(".mp3");
    const TrackFile track{url, path, {title, song.Item(kAlbumTitle).toText(), song.Item(kArtist).toText(), 0}};
    co_await context.downloads.download(track);
    co_return path;
}

} // namespace

QCoro::Task<RunResult> DownloadAlbumByPlaylist(const WorkflowContext &context, QString typedAddress)
{
    const RunTally tally(context.downloads);
    context.tables.dictPlaylist.RemoveAll();
    const QString albumNumber = IdentifierFromAddress(typedAddress, context.albumAddressPrefix());
    if (!ReadsAsNumber(albumNumber))
        co_return co_await context.refuse(tally, QStringLiteral("专辑地址输入有误"));
    const PageReply reply = co_await context.fetchPage(QStringLiteral("UTF-8"),
                                                       PlaylistAddress(context.hosts, albumNumber));
    if (context.stopped())
        co_return tally.result(RunEnd::Stopped);
    if (std::optional<RunResult> failed = context.failedPage(tally, reply))
        co_return *failed;
    const JsonValue songs = SongsOf(ParseJson(reply.text));
    QString albumTitle;
    QString albumFolder;
    QStringList paths;
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
        const QString path = co_await DownloadTrack(context, song, albumFolder);
        if (!path.isEmpty())
            paths.append(path);
        if (context.stopped())
            co_return tally.result(RunEnd::Stopped);
    }
    co_await context.downloads.whenEnded(paths);
    if (context.stopped())
        co_return tally.result(RunEnd::Stopped);
    if (albumTitle.isEmpty()) {
        const QString nothing = QStringLiteral("抱歉,没找到专辑文件,下载失败!");
        context.view.setStatus(nothing);
        co_return tally.result(RunEnd::NothingFound, nothing);
    }
    context.view.setStatus(QStringLiteral("专辑《") + albumTitle + QStringLiteral("》下载完毕!"));
    co_return tally.result(RunEnd::Done);
}

} // namespace tavimo
