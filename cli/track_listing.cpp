#include "cli/track_listing.h"

#include <QFileInfo>

namespace tavimo::cli {

void TrackListing::download(const TrackFile &track)
{
    const bool present = QFileInfo::exists(track.path);
    ++listed_;
    present_ += present ? 1 : 0;
    shown_(track, present);
}

} // namespace tavimo::cli
