// Feeds arbitrary liked-list pages to the entry reader and checks that every
// entry's title and identifier are pieces of the page, met in page order.
#include "fuzz/fuzz_support.h"
#include "workflow/liked_page.h"

#include <QString>

#include <cstdint>

using tavimo::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString page = tavimo::fuzz::TextOf(data, size);
    const QList<tavimo::LikedEntry> entries = tavimo::ReadLikedEntries(page);
    qsizetype position = 0;
    for (const tavimo::LikedEntry &entry : entries) {
        require(!entry.title.isNull() && !entry.sid.isNull());
        const qsizetype sid = page.indexOf(QStringLiteral("sid=\"") + entry.sid + u'"', position);
        require(sid >= 0);
        position = sid + 1;
    }
    return 0;
}
