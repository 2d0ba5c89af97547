#pragma once

#include "download/track_downloads.h"

#include <functional>

namespace tavimo::cli {

// The track downloads of a run with --list: each track is shown instead of
// fetched, and no folder is made.
class TrackListing final : public TrackDownloads {
public:
    // Told of each track with whether its file is already there.
    using Shown = std::function<void(const TrackFile &track, bool present)>;
    explicit TrackListing(Shown shown) : shown_(std::move(shown)) {}

    QCoro::Task<> download(TrackFile track) override;
    QCoro::Task<> whenEnded(QStringList) override { co_return; }
    QCoro::Task<> finish() override { co_return; }
    void prepareFolder(const QString &) override {}

    int listed() const { return listed_; }
    int present() const { return present_; }

private:
    Shown shown_;
    int listed_ = 0;
    int present_ = 0;
};

} // namespace tavimo::cli
