#pragma once

#include "download/download_end.h"
#include "download/track_file.h"
#include "net/reply_wait.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>

namespace tavimo {

class FileDownloader;
class HttpReply;
class ModXmlHttp;

class PartClaim;
class PartFileWriter;

// One DownloadFile, driven by the event loop instead of a wait: the
// skip-if-present rule, the body streamed into path + ".part" and renamed
// into place when complete, and the one fallback from "_192k". Ends exactly
// once through done and then deletes itself; transferred comes first, as
// soon as the network part is over.
class FileTransfer : public QObject {
    Q_OBJECT
public:
    FileTransfer(FileDownloader &downloader, const QString &url, const QString &path, DownloadDone done,
                 DownloadTransferred transferred, const TrackTags &tags);
    ~FileTransfer() override;

    // May end at once (file present, cancelled, unusable address).
    void start();
    // Ends the request in flight as cancelled.
    void cancel();

private:
    void attempt();
    bool takeBody(const char *data, qint64 size);
    void requestEnded(WaitEnd end);
    void commitInBackground();
    void committed(bool moved, const QString &tagError);
    void finish(const DownloadEnd &outcome);
    void waitForHost(qint64 milliseconds);
    // With the present-file check on: moves a present file that is not a
    // whole MP3 aside and says whether it did (or tried, and failed).
    bool movedBrokenAside();

    FileDownloader &downloader_;
    ModXmlHttp &net_;
    QString address_;
    QString path_;
    DownloadDone done_;
    DownloadTransferred transferred_;
    TrackTags tags_;
    std::unique_ptr<PartClaim> claim_;
    std::unique_ptr<PartFileWriter> writer_;
    QPointer<HttpReply> reply_;
    ReplyWait *wait_ = nullptr;
    QElapsedTimer sinceProgress_;
    QTimer *hostWait_ = nullptr;
    QString brokenKeptAt_;
    QString brokenMoveError_;
};

} // namespace tavimo
