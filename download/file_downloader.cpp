#include "download/file_downloader.h"

#include "download/file_transfer.h"
#include "net/wakeup.h"

#include <algorithm>
#include <optional>

namespace tavimo {

FileDownloader::FileDownloader(ModXmlHttp &net, QObject *parent) : QObject(parent), net_(net) {}

FileDownloader::~FileDownloader()
{
    const QList<FileTransfer *> open = findChildren<FileTransfer *>(Qt::FindDirectChildrenOnly);
    for (FileTransfer *transfer : open)
        transfer->cancel();
    // A file being committed gets its name before the program goes.
    commits_.waitForDone();
    // Transfers still open (their end was queued) use this object as they go.
    qDeleteAll(open);
}

FileTransfer *FileDownloader::startTransfer(const QString &url, const QString &path, DownloadDone done,
                                            DownloadTransferred transferred, const TrackTags &tags)
{
    auto *transfer = new FileTransfer(*this, url, path, std::move(done), std::move(transferred), tags);
    transfer->start();
    return transfer;
}

void FileDownloader::StartDownloadFile(const QString &url, const QString &path, DownloadDone done,
                                       DownloadTransferred transferred)
{
    startTransfer(url, path, std::move(done), std::move(transferred));
}

void FileDownloader::StartTrackDownload(const TrackFile &track, DownloadDone done, DownloadTransferred transferred)
{
    startTransfer(track.url, track.path, std::move(done), std::move(transferred), track.tags);
}

QCoro::Task<DownloadOutcome> FileDownloader::DownloadFile(QString url, QString path)
{
    std::optional<DownloadOutcome> outcome;
    Wakeup ended;
    startTransfer(url, path, [&outcome, &ended](const DownloadEnd &end) {
        outcome = end.outcome;
        ended.notify();
    });
    co_await ended.until([&outcome] { return outcome.has_value(); });
    co_return *outcome;
}

void FileDownloader::setReadBufferSize(qint64 bytes)
{
    readBufferSize_ = std::clamp<qint64>(bytes, qint64(16) * 1024, qint64(10) * 1024 * 1024);
}

void FileDownloader::setResumeEnabled(bool enabled)
{
    resumeEnabled_ = enabled;
}

bool FileDownloader::claimPart(const QString &partPath)
{
    if (partsInUse_.contains(partPath))
        return false;
    partsInUse_.insert(partPath);
    return true;
}

void FileDownloader::releasePart(const QString &partPath)
{
    partsInUse_.remove(partPath);
}

void FileDownloader::startCommit(std::function<void()> commit)
{
    commits_.start(std::move(commit));
}

} // namespace tavimo
