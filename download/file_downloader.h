#pragma once

#include "download/download_end.h"
#include "download/track_file.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>

#include <algorithm>

#include <qcoro/qcorotask.h>

namespace tavimo {

class FileTransfer;
class ModXmlHttp;

// The track files of a program, fetched through its network object (which
// must outlive this); one per network object, so two downloads never write
// the same temporary file. The network object's cancelAll() ends every
// download in progress and refuses new ones.
class FileDownloader : public QObject {
    Q_OBJECT
public:
    explicit FileDownloader(ModXmlHttp &net, QObject *parent = nullptr);
    // Cancels the downloads in progress; a file being committed still gets
    // its name first. The tasks waiting on it must have ended.
    ~FileDownloader() override;

    ModXmlHttp &network() const { return net_; }

    // A task that fetches url into path unless a file is already there. The
    // body is streamed into a temporary file beside path and renamed into
    // place only when the transfer completed; a body that does not start like
    // an MP3 file is an error reply. Falls back once from "_192k".
    QCoro::Task<DownloadOutcome> DownloadFile(QString url, QString path);

    // DownloadFile without a task, for a scheduler of its own: returns at
    // once, and done is called exactly once with the
    // outcome and the reason of a failure (at once when nothing needs
    // fetching). cancelAll() ends it.
    // transferred, when given, is called once the network part is over:
    // for a complete body before the file is flushed to the disk and takes
    // its name (done follows then), else just before done.
    void StartDownloadFile(const QString &url, const QString &path, DownloadDone done,
                           DownloadTransferred transferred = {});

    // StartDownloadFile for one track, whose tags go with it.
    void StartTrackDownload(const TrackFile &track, DownloadDone done, DownloadTransferred transferred = {});

    // Whether a finished track file gets its tags (ID3v2.4) before it takes
    // its name; off by default, so the served bytes stay as they are.
    void setTagging(bool enabled) { tagging_ = enabled; }
    bool tagging() const { return tagging_; }

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

    // Marks a temporary file as being written; false when a download of this
    // object already writes it.
    bool claimPart(const QString &partPath);
    void releasePart(const QString &partPath);

    // Runs the flush and rename of a finished file on a worker thread, so the
    // next transfer can start meanwhile; the destructor waits for it.
    void startCommit(std::function<void()> commit);

signals:
    // Per-file progress of DownloadFile (total is -1 when unknown). Told
    // from inside the transfer: a handler that starts a request is
    // connected queued.
    void downloadProgress(const QString &path, qint64 received, qint64 total);

private:
    FileTransfer *startTransfer(const QString &url, const QString &path, DownloadDone done,
                                DownloadTransferred transferred = {}, const TrackTags &tags = {});

    ModXmlHttp &net_;
    qint64 readBufferSize_ = qint64(1024) * 1024;
    qint64 rateLimit_ = 0;
    bool tagging_ = false;
    bool checkPresent_ = false;
    bool resumeEnabled_ = true;
    QSet<QString> partsInUse_;
    QThreadPool commits_;
};

} // namespace tavimo
