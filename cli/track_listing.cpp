#include "cli/track_listing.h"

#include <QFileInfo>

namespace tavimo::cli {

QCoro::Task<> TrackListing::download(TrackFile track)
{
    const bool present = QFileInfo::exists(track.path);
    ++listed_;
    present_ += present ? 1 : 0;
    shown_(track, present);
    co_return;
}

} // namespace tavimo::cli
