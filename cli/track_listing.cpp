#include "cli/track_listing.h"

#include <QFileInfo>

namespace tavimo::cli {

QString ListedStateText(ListedState state)
{
    switch (state) {
    case ListedState::Present:
        return QStringLiteral("已存在");
    case ListedState::Archived:
        return QStringLiteral("已记录");
    case ListedState::Pending:
        break;
    }
    return QStringLiteral("待下载");
}

ListedState TrackListing::stateOf(const TrackFile &track) const
{
    if (archived_ && archived_(track))
        return ListedState::Archived;
    return QFileInfo::exists(track.path) ? ListedState::Present : ListedState::Pending;
}

QCoro::Task<> TrackListing::download(TrackFile track)
{
    const ListedState state = stateOf(track);
    ++listed_;
    present_ += state == ListedState::Pending ? 0 : 1;
    pendingByJob_[track.job] += state == ListedState::Pending ? 1 : 0;
    shown_(track, state);
    co_return;
}

} // namespace tavimo::cli
