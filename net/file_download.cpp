#include "net/file_names.h"
#include "net/mod_xml_http.h"
#include "net/mod_xml_http_private.h"
#include "net/part_file_writer.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QUrl>

namespace tavimo {

namespace {

const QString kHighBitRate = QStringLiteral("_192k");
constexpr qint64 kProgressIntervalMs = 100;

// Marks a temporary file as being written for as long as it lives.
class PartClaim {
public:
    PartClaim(QSet<QString> &inUse, const QString &partPath) : inUse_(inUse), path_(partPath)
    {
        held_ = !inUse_.contains(path_);
        if (held_)
            inUse_.insert(path_);
    }
    ~PartClaim()
    {
        if (held_)
            inUse_.remove(path_);
    }
    PartClaim(const PartClaim &) = delete;
    PartClaim &operator=(const PartClaim &) = delete;
    bool held() const { return held_; }

private:
    QSet<QString> &inUse_;
    QString path_;
    bool held_ = false;
};

DownloadOutcome settle(PartFileWriter &writer, TransferVerdict verdict, const QString &path, bool fallbackFollows)
{
    switch (verdict) {
    case TransferVerdict::Complete:
        if (writer.commitTo(path))
            return DownloadOutcome::Saved;
        return QFileInfo::exists(path) ? DownloadOutcome::AlreadyPresent : DownloadOutcome::Failed;
    case TransferVerdict::Cancelled:
        writer.keep();
        return DownloadOutcome::Cancelled;
    case TransferVerdict::Interrupted:
        writer.keep();
        return DownloadOutcome::Failed;
    case TransferVerdict::ErrorReply:
        // Bytes kept from an earlier attempt wait for the address the fallback
        // asks next, unless this reply already wrote over them.
        if (fallbackFollows && !writer.wroteBody())
            writer.keep();
        else
            writer.discard();
        return DownloadOutcome::Failed;
    }
    return DownloadOutcome::Failed;
}

} // namespace

DownloadOutcome ModXmlHttp::fetchInto(const QString &url, const QString &path, bool &missing)
{
    const QUrl address(url);
    // Beside the finished file, so the final rename never crosses file systems.
    const QString partPath = path + QLatin1String(kPartialSuffix);
    const PartClaim claim(d->partsInUse, partPath);
    if (!isWebAddress(address) || !claim.held())
        return DownloadOutcome::Failed;

    PartFileWriter writer(partPath, d->resumeEnabled);
    QNetworkRequest request(address);
    if (!writer.rangeRequest().isEmpty())
        request.setRawHeader("Range", writer.rangeRequest());
    QPointer<QNetworkReply> reply = d->manager->get(request);
    reply->setReadBufferSize(d->readBufferSize);

    QElapsedTimer sinceProgress;
    sinceProgress.start();
    connect(reply, &QNetworkReply::readyRead, this, [&] {
        writer.readFrom(*reply, d->buffer());
        if (sinceProgress.elapsed() >= kProgressIntervalMs) {
            sinceProgress.restart();
            emit downloadProgress(path, writer.received(), writer.total());
        }
    });
    const WaitEnd end = d->wait(reply);
    if (!reply)
        return DownloadOutcome::Cancelled;
    reply->disconnect(this);
    if (end == WaitEnd::Finished && reply->isOpen())
        writer.readFrom(*reply, d->buffer()); // whatever arrived with the end
    const TransferVerdict verdict = writer.judge(*reply, end);
    reply->deleteLater();
    missing = verdict == TransferVerdict::ErrorReply && writer.saysMissing();
    if (verdict == TransferVerdict::Complete)
        emit downloadProgress(path, writer.received(), writer.total());
    return settle(writer, verdict, path, missing && url.contains(kHighBitRate));
}

DownloadOutcome ModXmlHttp::DownloadFile(const QString &url, const QString &path)
{
    QString address = url;
    for (;;) {
        if (d->cancelled)
            return DownloadOutcome::Cancelled;
        if (QFileInfo::exists(path))
            return DownloadOutcome::AlreadyPresent;
        bool missing = false;
        const DownloadOutcome outcome = fetchInto(address, path, missing);
        // Once "_192k" is gone this cannot happen again: one fallback at most.
        if (!missing || !address.contains(kHighBitRate))
            return outcome;
        address.remove(kHighBitRate);
    }
}

} // namespace tavimo
