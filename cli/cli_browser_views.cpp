#include "cli/cli_browser_views.h"

namespace tavimo::cli {

bool CliHotView::select(const QString &id)
{
    for (int i = 0; i < channels_.size(); ++i) {
        if (channels_.at(i).second == id) {
            selected_ = i;
            return true;
        }
    }
    return false;
}

QString ChannelListLine(const QString &id, const QString &entry)
{
    // The entry is name, TAB, "[", count, "首]".
    const QString name = entry.section(u'\t', 0, 0);
    QString count = entry.section(u'\t', 1);
    if (count.startsWith(u'[') && count.endsWith(QStringLiteral("首]")))
        count = count.mid(1, count.size() - 3);
    return PrintableText(id) + u'\t' + PrintableText(name) + u'\t' + PrintableText(count);
}

} // namespace tavimo::cli
