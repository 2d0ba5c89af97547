#include "workflow/channel_download.h"

#include "download/file_names.h"
#include "parse/dictionary.h"
#include "parse/json.h"
#include "workflow/page_retry.h"

#include <QDir>

namespace tavimo {

namespace {

constexpr int kIdleCyclesToEnd = 10;

// One download of one channel: its folder, the titles seen so far and the
// count of cycles in a row without a new title.
class ChannelDownload {
public:
    ChannelDownload(const HotContext &context, const HotChannel &channel)
        : context_(context), view_(context.view), channel_(channel), tally_(context.app.downloads)
    {
    }

    QCoro::Task<RunResult> run()
    {
        // The name as the list shows it, up to its first TAB.
        folder_ = context_.app.downloadRoot + u'/' + ChannelFolderName(channel_.name.section(u'\t', 0, 0));
        context_.app.downloads.prepareFolder(folder_);
        int idleCycles = 0;
        do {
            ++idleCycles;
            const PageReply reply = co_await fetchPlaylist();
            if (context_.stopped())
                co_return tally_.result(RunEnd::Stopped);
            if (std::optional<RunResult> failed = context_.failedPage(tally_, reply))
                co_return *failed;
            // The next playlist waits for this cycle's files: the service's
            // order depends on what was taken.
            const QStringList cycle = co_await downloadNewTracks(reply.text);
            if (!cycle.isEmpty())
                idleCycles = 0;
            co_await context_.app.downloads.whenEnded(cycle);
            if (context_.stopped())
                co_return tally_.result(RunEnd::Stopped);
            view_.setStatus(QStringLiteral("已下载%1首, 2秒后继续, 请稍后... ...").arg(filesInFolder()));
            co_await context_.pause(context_.app.pauses.afterPageMs);
            if (context_.stopped())
                co_return tally_.result(RunEnd::Stopped);
        } while (idleCycles < kIdleCyclesToEnd);
        view_.setStatus(QStringLiteral("MP3下载完毕."));
        co_return tally_.result(RunEnd::Done);
    }

private:
    QString playlistAddress() const
    {
        return context_.app.hosts.radioAddress(QStringLiteral("/j/mine/playlist?from=mainsite&type=n&channel=") +
                                               channel_.id);
    }

    // Asks until the service gives a valid playlist; the empty text when the
    // window closed meanwhile. The window asks without limit; where a failed
    // page ends its step, a lasting failure or ten minutes of passing ones
    // end it with the last cause.
    QCoro::Task<PageReply> fetchPlaylist()
    {
        PageRetry retry(context_.app.pauses.beforeRetryMs, context_.app.endsOnFailedPage);
        for (;;) {
            const PageReply reply = co_await context_.fetchPage(QStringLiteral("utf-8"), playlistAddress());
            if (context_.stopped())
                co_return PageReply{};
            // Where a failed page ends its step, an error status spoils even a valid playlist.
            if (reply.text.contains(QStringLiteral("\"r\":0")) && !context_.endsStep(reply))
                co_return reply;
            const RetryStep step = retry.after(reply, QStringLiteral("请求失效，正在重试..."),
                                               QStringLiteral("服务器拒绝了播放列表请求"));
            if (!step.pauseMs)
                co_return step.failure;
            view_.setStatus(step.line);
            // A pause between attempts instead of hammering the service.
            co_await context_.pause(*step.pauseMs);
            if (context_.stopped())
                co_return PageReply{};
        }
    }

    // Hands the titles of the reply not seen before over; their paths.
    // A reply without a readable "song" array simply brings nothing.
    QCoro::Task<QStringList> downloadNewTracks(QString reply)
    {
        const JsonValue songs = ParseJson(reply).Item(QStringLiteral("song"));
        QStringList paths;
        for (int i = 1; i <= songs.Count(); ++i) {
            if (context_.stopped())
                co_return paths;
            const JsonValue song = songs.Item(i);
            const QString title = song.Item(QStringLiteral("title")).toText();
            if (!seen_.Add(title, title))
                continue;
            view_.setStatus(QStringLiteral("下载第") + QString::number(seen_.Count()) + QStringLiteral("首: ") + title +
                            QStringLiteral(".mp3 ... ..."));
            const QString path = folder_ + QLatin1Char('/') + CleanFileName(title) + QStringLiteral(".mp3");
            paths.append(path);
            const TrackFile track{song.Item(QStringLiteral("url")).toText(),
                                  path,
                                  {title, song.Item(QStringLiteral("albumtitle")).toText(),
                                   song.Item(QStringLiteral("artist")).toText(), 0}};
            co_await context_.app.downloads.download(track);
            if (context_.stopped())
                co_return paths;
            view_.setStatus(QStringLiteral("已下载%1首MP3.").arg(seen_.Count()));
        }
        co_return paths;
    }

    int filesInFolder() const { return int(QDir(folder_).entryList(QDir::Files | QDir::Hidden).count()); }

    const HotContext &context_;
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

QCoro::Task<RunResult> DownloadChannel(const HotContext &context, HotChannel channel)
{
    ChannelDownload download(context, channel);
    co_return co_await download.run();
}

} // namespace tavimo
