#include "workflow/channel_download.h"

#include "download/file_names.h"
#include "net/yielding_pause.h"
#include "parse/dictionary.h"
#include "parse/json.h"

#include <QDir>

namespace tavimo {

namespace {

constexpr int kIdleCyclesToEnd = 10;

// One download of one channel: its folder, the titles seen so far and the
// count of cycles in a row without a new title.
class ChannelDownload {
public:
    ChannelDownload(HotContext &context, const HotChannel &channel)
        : context_(context), view_(context.view), channel_(channel), tally_(context.app.downloads)
    {
    }

    RunResult run()
    {
        // The name as the list shows it, up to its first TAB.
        folder_ = context_.app.downloadRoot + u'/' + ChannelFolderName(channel_.name.section(u'\t', 0, 0));
        context_.app.downloads.prepareFolder(folder_);
        int idleCycles = 0;
        do {
            ++idleCycles;
            QString reply;
            if (!fetchPlaylist(reply))
                return tally_.result(RunEnd::Stopped);
            if (downloadNewTracks(reply))
                idleCycles = 0;
            context_.app.downloads.finish();
            if (context_.stopped())
                return tally_.result(RunEnd::Stopped);
            view_.setStatus(QStringLiteral("已下载%1首, 2秒后继续, 请稍后... ...").arg(filesInFolder()));
            YieldingPause(context_.app.pauses.afterPageMs);
            if (context_.stopped())
                return tally_.result(RunEnd::Stopped);
        } while (idleCycles < kIdleCyclesToEnd);
        view_.setStatus(QStringLiteral("MP3下载完毕."));
        return tally_.result(RunEnd::Done);
    }

private:
    QString playlistAddress() const
    {
        return context_.app.hosts.radioAddress(QStringLiteral("/j/mine/playlist?from=mainsite&type=n&channel=") +
                                               channel_.id);
    }

    // Asks until the service gives a valid playlist; false when the window
    // closed meanwhile.
    bool fetchPlaylist(QString &reply)
    {
        for (;;) {
            reply = context_.app.net.GetHttpText(QStringLiteral("utf-8"), playlistAddress());
            if (context_.stopped())
                return false;
            if (reply.contains(QStringLiteral("\"r\":0")))
                return true;
            view_.setStatus(QStringLiteral("请求失效，正在重试..."));
            // A pause between attempts instead of hammering the service.
            YieldingPause(context_.app.pauses.beforeRetryMs);
            if (context_.stopped())
                return false;
        }
    }

    // Downloads the titles of the reply not seen before; true if any was new.
    // A reply without a readable "song" array simply brings nothing.
    bool downloadNewTracks(const QString &reply)
    {
        const JsonValue songs = ParseJson(reply).Item(QStringLiteral("song"));
        bool anyNew = false;
        for (int i = 1; i <= songs.Count(); ++i) {
            if (context_.stopped())
                return anyNew;
            const JsonValue &song = songs.Item(i);
            const QString title = song.Item(QStringLiteral("title")).toText();
            if (!seen_.Add(title, title))
                continue;
            view_.setStatus(QStringLiteral("下载第") + QString::number(seen_.Count()) + QStringLiteral("首: ") + title +
                            QStringLiteral(".mp3 ... ..."));
            context_.app.downloads.download({song.Item(QStringLiteral("url")).toText(),
                                             folder_ + QLatin1Char('/') + CleanFileName(title) + QStringLiteral(".mp3"),
                                             {title, song.Item(QStringLiteral("albumtitle")).toText(),
                                              song.Item(QStringLiteral("artist")).toText(), 0}});
            anyNew = true;
            if (context_.stopped())
                return anyNew;
            view_.setStatus(QStringLiteral("已下载%1首MP3.").arg(seen_.Count()));
        }
        return anyNew;
    }

    int filesInFolder() const { return int(QDir(folder_).entryList(QDir::Files | QDir::Hidden).count()); }

    HotContext &context_;
    HotView &view_;
    const HotChannel channel_;
    const RunTally tally_;
    QString folder_;
    Dictionary<> seen_;
};

} // namespace

QString ChannelFolderName(const QString &channelName)
{
    const QString prefix = QStringLiteral("热门兆赫 - ");
    const int room = kMaxFileNameBytes - Utf8ByteCount(prefix);
    // Cleaning again trims a blank the cut may leave at the end.
    return prefix + CleanFileName(ShortenToUtf8Bytes(CleanFileName(channelName), room));
}

RunResult DownloadChannel(HotContext &context, const HotChannel &channel)
{
    return ChannelDownload(context, channel).run();
}

} // namespace tavimo
