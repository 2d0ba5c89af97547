#pragma once

#include "download/track_downloads.h"

#include <QHash>

#include <functional>

namespace tavimo::cli {

// Where a listed track stands: to be fetched, its file there, or skipped
// because the download archive has it.
enum class ListedState { Pending, Present, Archived };

// The state as the listing shows it.
QString ListedStateText(ListedState state);

// The track downloads of a run with --list: each track is shown instead of
// fetched, and no folder is made.
class TrackListing final : public TrackDownloads {
public:
    using Shown = std::function<void(const TrackFile &track, ListedState state)>;
    using Archived = std::function<bool(const TrackFile &track)>;
    explicit TrackListing(Shown shown) : shown_(std::move(shown)) {}

    // Tells which tracks the download archive has; none by default.
    void setArchived(Archived archived) { archived_ = std::move(archived); }

    QCoro::Task<> download(TrackFile track) override;
    QCoro::Task<> whenEnded(QStringList) override { co_return; }
    QCoro::Task<> finish() override { co_return; }
    void prepareFolder(const QString &) override {}
    // A track that could not be placed is not listed; nothing is recorded.
    void settle(const TrackFile &, const DownloadEnd &) override {}
    bool holds(const TrackFile &track) const override { return stateOf(track) != ListedState::Pending; }
    const TrackRecords &records() const override { return records_; }
    int openJob() override { return ++lastJob_; }

    int listed() const { return listed_; }
    // How many of the job's tracks are to be fetched.
    int pending(int job) const { return pendingByJob_.value(job); }
    int present() const { return present_; }

private:
    ListedState stateOf(const TrackFile &track) const;

    Shown shown_;
    Archived archived_;
    int listed_ = 0;
    int present_ = 0;
    QHash<int, int> pendingByJob_;
    TrackRecords records_; // none: nothing is fetched
    int lastJob_ = 0;
};

} // namespace tavimo::cli
