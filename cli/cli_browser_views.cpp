#include "cli/cli_browser_views.h"

namespace tavimo::cli {

std::optional<HotChannel> CliHotView::find(const QString &id) const
{
    for (const HotChannel &channel : channels_) {
        if (channel.id == id)
            return channel;
    }
    return std::nullopt;
}

QString ChannelListLine(const HotChannel &channel)
{
    return PrintableText(channel.id) + u'\t' + PrintableText(channel.name) + u'\t' + PrintableText(channel.songCount);
}

} // namespace tavimo::cli
