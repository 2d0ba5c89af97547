#pragma once

#include "download/download_end.h"
#include "download/file_downloader.h"
#include "download/track_file.h"
#include "net/reply_wait.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

#include <qcoro/qcorotask.h>

namespace tavimo {

class HttpReply;
class ModXmlHttp;
class PartFileWriter;
class TransferSlot;

// One track's way to the disk: the skip-if-present rule, the server's asked
// wait, the body streamed into path + ".part" and renamed into place when
// complete, and the one fallback from "_192k". A child of its downloader, as
// is everything it waits for: a downloader that goes takes its transfers with
// it (their ".part" files kept) and none of them resumes.
class FileTransfer : public QObject {
    Q_OBJECT
public:
    enum class State { Starting, WaitingForHost, Transferring, Committing, Ended };

    FileTransfer(FileDownloader &downloader, TrackFile track);
    ~FileTransfer() override;

    // A task of the transfer's end; slot is released once the network part
    // is over.
    QCoro::Task<DownloadEnd> run(TransferSlot &slot);
    State state() const { return state_; }

signals:
    // Internal: the server's wait is over, or work on a worker thread.
    void waitEnded();
    void workDone();

private:
    // The network part: its end, or nothing once a whole body waits to be
    // committed.
    QCoro::Task<std::optional<DownloadEnd>> fetch();
    QCoro::Task<> waitForHost(qint64 milliseconds);
    HttpReply *startRequest();
    bool takeBody(const char *data, qint64 size);
    std::optional<DownloadEnd> requestEnded(WaitEnd end, bool &fallBack);
    QCoro::Task<DownloadEnd> commit();
    QCoro::Task<> onWorker(FileDownloader::DiskWork kind, std::function<void()> work);
    // With the present-file check on: moves a present file that is not a
    // whole MP3 aside and says whether it did (or tried, and failed).
    QCoro::Task<bool> movedBrokenAside();

    FileDownloader &downloader_;
    ModXmlHttp &net_;
    TrackFile track_;
    State state_ = State::Starting;
    std::unique_ptr<PartFileWriter> writer_;
    QPointer<HttpReply> reply_;
    QElapsedTimer sinceProgress_;
    QString brokenKeptAt_;
    QString brokenMoveError_;
};

} // namespace tavimo
