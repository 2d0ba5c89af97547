#include "download/file_transfer.h"
#include "net/mod_xml_http.h"

#include <QEventLoop>
#include <QPointer>

#include <optional>

namespace tavimo {

FileTransfer *ModXmlHttp::startTransfer(const QString &url, const QString &path, DownloadDone done,
                                        DownloadTransferred transferred)
{
    auto *transfer = new FileTransfer(*this, *d, url, path, std::move(done), std::move(transferred));
    transfer->start();
    return transfer;
}

void ModXmlHttp::StartDownloadFile(const QString &url, const QString &path, DownloadDone done,
                                   DownloadTransferred transferred)
{
    startTransfer(url, path, std::move(done), std::move(transferred));
}

DownloadOutcome ModXmlHttp::DownloadFile(const QString &url, const QString &path)
{
    std::optional<DownloadOutcome> outcome;
    QEventLoop loop;
    QPointer<FileTransfer> transfer = startTransfer(url, path, [&](const DownloadEnd &end) {
        outcome = end.outcome;
        loop.quit();
    });
    if (!outcome)
        loop.exec();
    // The loop also ends when the application quits; the transfer ends with it.
    if (!outcome && transfer)
        transfer->cancel();
    return outcome.value_or(DownloadOutcome::Cancelled);
}

} // namespace tavimo
