#pragma once

#include "net/service_hosts.h"

#include <QList>
#include <QString>

namespace tavimo {

// One liked track as a list page names it: the title exactly as written in
// the page, and the song identifier.
struct LikedEntry {
    QString title;
    QString sid;

    friend bool operator==(const LikedEntry &, const LikedEntry &) = default;
};

// The entries of one liked-list page in page order. Each title goes with the
// first identifier after it. An entry that lacks its title end, identifier
// or identifier end ends the list there.
QList<LikedEntry> ReadLikedEntries(const QString &page);

// The sign-in page, which sends a signed-in browser on to the liked page.
QString LikedSignInAddress(const ServiceHosts &hosts);
// True only for the liked page's address exactly, with case.
bool IsLikedPageAddress(const ServiceHosts &hosts, const QString &address);
// The list page that starts at the given offset.
QString LikedListAddress(const ServiceHosts &hosts, qint64 offset);

} // namespace tavimo
