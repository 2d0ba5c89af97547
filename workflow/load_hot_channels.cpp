#include "workflow/load_hot_channels.h"

#include "net/yielding_pause.h"

namespace tavimo {

namespace {

constexpr int kCatalogueSize = 400;
constexpr int kPageSize = 200;

QString cataloguePageAddress(const ServiceHosts &hosts, int offset)
{
    return hosts.radioAddress(QStringLiteral("/j/explore/hot_channels?start=%1&limit=%2").arg(offset).arg(kPageSize));
}

// Lists the channels of one catalogue reply; returns their track count.
qint64 listChannels(HotView &view, const QString &reply)
{
    const JsonValue channels = ParseJson(reply).Item(QStringLiteral("data")).Item(QStringLiteral("channels"));
    qint64 tracks = 0;
    for (int i = 1; i <= channels.Count(); ++i) {
        const JsonValue &channel = channels.Item(i);
        view.addChannel(ChannelEntry(channel), channel.Item(QStringLiteral("id")).toText());
        tracks += channel.Item(QStringLiteral("song_num")).toText().toLongLong();
    }
    return tracks;
}

} // namespace

QString ChannelEntry(const JsonValue &channel)
{
    return channel.Item(QStringLiteral("name")).toText() + QLatin1Char('\t') + QLatin1Char('[') +
           channel.Item(QStringLiteral("song_num")).toText() + QStringLiteral("首]");
}

void LoadHotChannels(HotContext &context)
{
    HotView &view = context.view;
    view.setStatus(QStringLiteral("正在加载400个热门兆赫,请稍后... ..."));
    // The root visit only warms the session; its reply is not read.
    context.app.net.GetHttpText(QStringLiteral("utf-8"), QStringLiteral("http://") + context.app.hosts.radio);
    // A 64-bit total: the service's counts cannot overflow it.
    qint64 total = 0;
    for (int offset = 0; offset < kCatalogueSize; offset += kPageSize) {
        if (context.stopped())
            return;
        const QString reply =
            context.app.net.GetHttpText(QStringLiteral("utf-8"), cataloguePageAddress(context.app.hosts, offset));
        if (context.stopped())
            return;
        total += listChannels(view, reply);
        view.setStatus(QStringLiteral("已获取MP3 %1 首。2秒后继续加载... ...").arg(total));
        YieldingPause(context.pauses.afterPageMs);
    }
    if (!context.stopped())
        view.setStatus(QStringLiteral("400个热门兆赫，共获取MP3 %1 首。").arg(total));
}

} // namespace tavimo
