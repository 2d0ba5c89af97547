#include "download/file_downloader.h"

#include "download/file_transfer.h"
#include "download/transfer_slot.h"

#include <algorithm>

namespace tavimo {

FileDownloader::FileDownloader(ModXmlHttp &net, QObject *parent) : QObject(parent), net_(net)
{
    commits_.setMaxThreadCount(1);
}

FileDownloader::~FileDownloader()
{
    // A file being committed gets its name before the program goes; the
    // transfers go with this object's children.
    commits_.waitForDone();
    reads_.waitForDone();
}

QCoro::Task<DownloadEnd> FileDownloader::download(TrackFile track, TransferSlot &slot)
{
    auto *transfer = new FileTransfer(*this, std::move(track));
    const DownloadEnd end = co_await transfer->run(slot);
    transfer->deleteLater();
    co_return end;
}

QCoro::Task<DownloadEnd> FileDownloader::download(TrackFile track)
{
    TransferSlot slot;
    co_return co_await download(std::move(track), slot);
}

QCoro::Task<DownloadOutcome> FileDownloader::DownloadFile(QString url, QString path)
{
    // Named: g++ 12 destroys a temporary argument twice inside a co_await.
    TrackFile track{url, path, {}};
    const DownloadEnd end = co_await download(std::move(track));
    co_return end.outcome;
}

void FileDownloader::setReadBufferSize(qint64 bytes)
{
    readBufferSize_ = std::clamp<qint64>(bytes, qint64(16) * 1024, qint64(10) * 1024 * 1024);
}

void FileDownloader::setResumeEnabled(bool enabled)
{
    resumeEnabled_ = enabled;
}

void FileDownloader::startOnWorker(DiskWork kind, std::function<void()> work)
{
    (kind == DiskWork::Commit ? commits_ : reads_).start(std::move(work));
}

} // namespace tavimo
