#include "workflow/liked_page.h"

namespace tavimo {

namespace {

const QString kTitleMarker = QStringLiteral("<p class=\"song_title\">");
const QString kTitleEnd = QStringLiteral("</p>");
const QString kSidMarker = QStringLiteral("<div class=\"action\" sid=\"");
const QString kSidEnd = QStringLiteral("\">");

// The text between from and the next end marker, or a null text when the
// end marker is missing.
QString textUpTo(const QString &page, qsizetype from, const QString &endMarker, qsizetype *end)
{
    *end = page.indexOf(endMarker, from);
    return *end < 0 ? QString() : page.mid(from, *end - from);
}

} // namespace

QList<LikedEntry> ReadLikedEntries(const QString &page)
{
    QList<LikedEntry> entries;
    qsizetype position = 0;
    for (;;) {
        const qsizetype marker = page.indexOf(kTitleMarker, position);
        if (marker < 0)
            break;
        const qsizetype titleStart = marker + kTitleMarker.size();
        qsizetype titleEnd = 0;
        const QString title = textUpTo(page, titleStart, kTitleEnd, &titleEnd);
        const qsizetype sidMarker = page.indexOf(kSidMarker, titleStart);
        if (titleEnd < 0 || sidMarker < 0)
            break;
        const qsizetype sidStart = sidMarker + kSidMarker.size();
        qsizetype sidEnd = 0;
        const QString sid = textUpTo(page, sidStart, kSidEnd, &sidEnd);
        if (sidEnd < 0)
            break;
        entries.append({title, sid});
        position = sidStart;
    }
    return entries;
}

QString LikedSignInAddress(const ServiceHosts &hosts)
{
    return hosts.radioAddress(QStringLiteral("/common_login?redir=/mine?type=liked"));
}

bool IsLikedPageAddress(const ServiceHosts &hosts, const QString &address)
{
    return address == hosts.radioAddress(QStringLiteral("/mine?type=liked"));
}

QString LikedListAddress(const ServiceHosts &hosts, qint64 offset)
{
    return hosts.radioAddress(QStringLiteral("/mine?start=%1&type=liked").arg(offset));
}

} // namespace tavimo
