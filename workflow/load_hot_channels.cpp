#include "workflow/load_hot_channels.h"

#include "parse/json.h"

namespace tavimo {

namespace {

constexpr int kCatalogueSize = 400;
constexpr int kPageSize = 200;

QString cataloguePageAddress(const ServiceHosts &hosts, int offset)
{
    return hosts.radioAddress(QStringLiteral("/j/explore/hot_channels?start=%1&limit=%2").arg(offset).arg(kPageSize));
}

// Lists the channels of one catalogue reply; counts them and their tracks.
void ListChannels(HotView &view, const QString &reply, int &listed, qint64 &tracks)
{
    const JsonValue channels = ParseJson(reply).Item(QStringLiteral("data")).Item(QStringLiteral("channels"));
    for (int i = 1; i <= channels.Count(); ++i) {
        const JsonValue &channel = channels.Item(i);
        const HotChannel entry{channel.Item(QStringLiteral("id")).toText(),
                               channel.Item(QStringLiteral("name")).toText(),
                               channel.Item(QStringLiteral("song_num")).toText()};
        view.addChannel(entry);
        ++listed;
        tracks += entry.songCount.toLongLong();
    }
}

} // namespace

QCoro::Task<RunResult> LoadHotChannels(const HotContext &context)
{
    const RunTally tally(context.app.downloads);
    HotView &view = context.view;
    view.setStatus(QStringLiteral("正在加载400个热门兆赫,请稍后... ..."));
    // The root visit only warms the session; its reply is not read.
    co_await context.fetch(QStringLiteral("utf-8"), QStringLiteral("http://") + context.app.hosts.radio);
    // A 64-bit total: the service's counts cannot overflow it.
    qint64 total = 0;
    int listed = 0;
    for (int offset = 0; offset < kCatalogueSize; offset += kPageSize) {
        if (context.stopped())
            co_return tally.result(RunEnd::Stopped);
        const PageReply reply = co_await context.fetchPage(QStringLiteral("utf-8"),
                                                           cataloguePageAddress(context.app.hosts, offset));
        if (context.stopped())
            co_return tally.result(RunEnd::Stopped);
        if (std::optional<RunResult> failed = context.failedPage(tally, reply))
            co_return *failed;
        ListChannels(view, reply.text, listed, total);
        view.setStatus(QStringLiteral("已获取MP3 %1 首。2秒后继续加载... ...").arg(total));
        co_await context.pause(context.app.pauses.afterPageMs);
    }
    if (context.stopped())
        co_return tally.result(RunEnd::Stopped);
    const QString summary = QStringLiteral("400个热门兆赫，共获取MP3 %1 首。").arg(total);
    view.setStatus(summary);
    co_return tally.result(listed > 0 ? RunEnd::Done : RunEnd::NothingFound, listed > 0 ? QString() : summary);
}

} // namespace tavimo
