#pragma once

#include "download/download_end.h"
#include "download/track_file.h"

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <algorithm>
#include <functional>

#include <qcoro/qcorotask.h>

namespace tavimo {

class ModXmlHttp;
class TransferSlot;

// The track files of a program, fetched through its network object (which
// must outlive this). The network object's cancelAll() ends every download
// in progress and refuses new ones. Two downloads of one path at once are
// kept apart by the scheduler, and by the temporary file's lock when they
// come from two programs.
class FileDownloader : public QObject {
    Q_OBJECT
public:
    explicit FileDownloader(ModXmlHttp &net, QObject *parent = nullptr);
    // Ends the downloads in progress, their temporary files kept, without
    // resuming the tasks that wait on them; a file being committed still
    // gets its name first.
    ~FileDownloader() override;

    ModXmlHttp &network() const { return net_; }

    // A task of one track's download to its end: fetched into its path
    // unless a file is already there, the body streamed into a temporary
    // file beside it and renamed into place only when the transfer
    // completed (a body that does not start like an MP3 file is an error
    // reply), falling back once from "_192k". slot is released once the
    // network part is over: for a complete body before the file is flushed
    // to the disk and takes its name. cancelAll() on the network object
    // ends it.
    QCoro::Task<DownloadEnd> download(TrackFile track, TransferSlot &slot);
    QCoro::Task<DownloadEnd> download(TrackFile track);
    // download() of an address into a path, for its outcome alone.
    QCoro::Task<DownloadOutcome> DownloadFile(QString url, QString path);

    // Which finished track files get their tags (ID3v2.4) before they take
    // their names; none by default, so the served bytes stay as they are.
    using Tagging = std::function<bool(const TrackFile &track)>;
    void setTagging(Tagging tagging) { tagging_ = std::move(tagging); }
    bool tags(const TrackFile &track) const { return tagging_ && tagging_(track); }

    // Whether a file already under a track's name is checked to be a whole
    // MP3 before the track is skipped; one that is not is renamed to
    // "<name>.mp3.broken" and fetched again. Off by default.
    void setCheckPresent(bool enabled) { checkPresent_ = enabled; }
    bool checksPresent() const { return checkPresent_; }

    // How much of a download is held in memory between the socket and the
    // file (default 1 MB, at most 10 MB).
    void setReadBufferSize(qint64 bytes);
    qint64 readBufferSize() const { return readBufferSize_; }

    // The most bytes a second each download may receive; 0 (the default)
    // for no limit.
    void setRateLimit(qint64 bytesPerSecond) { rateLimit_ = std::max<qint64>(0, bytesPerSecond); }
    qint64 rateLimit() const { return rateLimit_; }

    // Whether DownloadFile continues from the bytes of an interrupted earlier
    // attempt at the same address kept in path + ".part" (default on).
    void setResumeEnabled(bool enabled);
    bool resumeEnabled() const { return resumeEnabled_; }

    // What waits for the disk: the flush and rename of a finished file, or
    // the reading of a present one.
    enum class DiskWork { Commit, Read };
    // Runs it on a worker thread, so the event loop and the next transfer go
    // on meanwhile; the destructor waits for it. Commits run one at a time,
    // in the order they come, so files take their names (and are recorded)
    // in the order their transfers ended.
    void startOnWorker(DiskWork kind, std::function<void()> work);

signals:
    // Per-file progress of DownloadFile (total is -1 when unknown). Told
    // from inside the transfer: a handler that starts a request is
    // connected queued.
    void downloadProgress(const QString &path, qint64 received, qint64 total);

private:
    ModXmlHttp &net_;
    qint64 readBufferSize_ = qint64(1024) * 1024;
    qint64 rateLimit_ = 0;
    Tagging tagging_;
    bool checkPresent_ = false;
    bool resumeEnabled_ = true;
    QThreadPool commits_;
    QThreadPool reads_;
};

} // namespace tavimo
