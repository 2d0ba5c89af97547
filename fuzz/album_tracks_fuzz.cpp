// Feeds arbitrary album pages to the track-row extraction and checks that
// every identifier and title taken is a piece of the page.
#include "fuzz/fuzz_support.h"
#include "parse/regex_module.h"

#include <QString>

#include <cstdint>

using tavimo::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString page = tavimo::fuzz::TextOf(data, size);
    tavimo::Dictionary<> table;
    const int rows = tavimo::ParseAlbumTracks(QString::fromLatin1(tavimo::kTrackRowPattern), page, table);
    require(rows >= table.Count());
    const QStringList keys = table.Keys();
    const QStringList titles = table.Items();
    require(keys.size() == titles.size());
    for (qsizetype i = 0; i < keys.size(); ++i) {
        require(!keys.at(i).isEmpty() && page.contains(keys.at(i), Qt::CaseInsensitive));
        require(page.contains(titles.at(i)));
    }
    return 0;
}
