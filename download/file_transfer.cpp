#include "download/file_transfer.h"

#include "download/file_check.h"
#include "download/file_downloader.h"
#include "download/file_names.h"
#include "download/part_file_writer.h"
#include "download/track_tagger.h"
#include "net/http_reply.h"
#include "net/mod_xml_http.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <limits>
#include <optional>

namespace tavimo {

namespace {

const QString kHighBitRate = QStringLiteral("_192k");
constexpr qint64 kProgressIntervalMs = 100;

// The outcome of a reply that did not bring the whole file (any verdict but
// Complete). Its bytes stay for a later attempt, except an error reply's.
DownloadOutcome settle(PartFileWriter &writer, TransferVerdict verdict, bool fallbackFollows)
{
    // Bytes kept from an earlier attempt wait for the address the fallback
    // asks next, unless this reply already wrote over them.
    const bool keepForFallback = fallbackFollows && !writer.wroteBody();
    if (verdict == TransferVerdict::ErrorReply && !keepForFallback)
        writer.discard();
    else
        writer.keep();
    return verdict == TransferVerdict::Cancelled ? DownloadOutcome::Cancelled : DownloadOutcome::Failed;
}

// A name beside path that no file has yet: "<name>.mp3.broken", then
// numbered, so an earlier broken file is never overwritten.
QString FreeBrokenName(const QString &path)
{
    QString name = path + QStringLiteral(".broken");
    for (int n = 1; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = path + QStringLiteral(".broken.%1").arg(n);
    return name;
}

} // namespace

// Marks a temporary file as being written for as long as it lives.
class PartClaim {
public:
    PartClaim(FileDownloader &downloader, const QString &partPath)
        : downloader_(downloader), path_(partPath), held_(downloader.claimPart(partPath))
    {
    }
    ~PartClaim()
    {
        if (held_)
            downloader_.releasePart(path_);
    }
    PartClaim(const PartClaim &) = delete;
    PartClaim &operator=(const PartClaim &) = delete;
    bool held() const { return held_; }

private:
    FileDownloader &downloader_;
    QString path_;
    bool held_;
};

FileTransfer::FileTransfer(FileDownloader &downloader, const QString &url, const QString &path, DownloadDone done,
                           DownloadTransferred transferred, const TrackTags &tags)
    : QObject(&downloader), downloader_(downloader), net_(downloader.network()), address_(url), path_(path),
      done_(std::move(done)), transferred_(std::move(transferred)), tags_(tags)
{
}

FileTransfer::~FileTransfer() = default;

void FileTransfer::start()
{
    attempt();
}

void FileTransfer::cancel()
{
    if (wait_ != nullptr)
        wait_->cancel();
    if (hostWait_ != nullptr)
        finish({DownloadOutcome::Cancelled, kCancelledReason});
}

// The server asked the run to wait before its next request to this host.
void FileTransfer::waitForHost(qint64 milliseconds)
{
    hostWait_ = new QTimer(this);
    hostWait_->setSingleShot(true);
    connect(hostWait_, &QTimer::timeout, this, [this] {
        std::exchange(hostWait_, nullptr)->deleteLater();
        attempt();
    });
    connect(&net_.stop(), &Stop::raised, hostWait_, [this] { cancel(); });
    hostWait_->start(int(std::min<qint64>(milliseconds, std::numeric_limits<int>::max())));
}

void FileTransfer::attempt()
{
    if (net_.isCancelled())
        return finish({DownloadOutcome::Cancelled, kCancelledReason});
    if (QFileInfo::exists(path_) && !movedBrokenAside())
        return finish(DownloadOutcome::AlreadyPresent);
    if (QFileInfo::exists(path_))
        return finish({DownloadOutcome::Failed, DownloadFailure{FailureKind::Storage, brokenMoveError_}});
    if (const qint64 held = net_.heldFor(address_); held > 0)
        return waitForHost(held);
    const QUrl address(address_);
    // Beside the finished file, so the final rename never crosses file systems.
    const QString partPath = path_ + QLatin1String(kPartialSuffix);
    claim_ = std::make_unique<PartClaim>(downloader_, partPath);
    if (!isWebAddress(address))
        return finish({DownloadOutcome::Failed, QStringLiteral("地址无法识别")});
    if (!claim_->held())
        return finish({DownloadOutcome::Failed, QStringLiteral("同一文件正在下载")});

    writer_ = std::make_unique<PartFileWriter>(partPath, address_, downloader_.resumeEnabled());
    HttpRequest request;
    request.address = address_;
    request.bufferSize = downloader_.readBufferSize();
    request.maxReceiveSpeed = downloader_.rateLimit();
    if (!writer_->rangeRequest().isEmpty())
        request.headers = {QByteArrayLiteral("Range: ") + writer_->rangeRequest()};
    reply_ = net_.createReply(request, this);
    reply_->setBodySink([this](const char *data, qint64 size) { return takeBody(data, size); });
    sinceProgress_.start();
    wait_ = new ReplyWait(reply_, net_.stallTimeout());
    wait_->setParent(this);
    connect(&net_.stop(), &Stop::raised, wait_, &ReplyWait::cancel);
    // Queued: the end is reported from inside the engine, and the transfer
    // settles outside it.
    connect(wait_, &ReplyWait::ended, this, &FileTransfer::requestEnded, Qt::QueuedConnection);
    reply_->start();
    wait_->watch();
}

bool FileTransfer::takeBody(const char *data, qint64 size)
{
    const bool wanted = writer_->consume(*reply_, data, size);
    if (sinceProgress_.elapsed() >= kProgressIntervalMs) {
        sinceProgress_.restart();
        emit downloader_.downloadProgress(path_, writer_->received(), writer_->total());
    }
    return wanted;
}

void FileTransfer::requestEnded(WaitEnd end)
{
    wait_->disconnect(this);
    wait_->deleteLater();
    wait_ = nullptr;
    if (!reply_)
        return finish({DownloadOutcome::Cancelled, kCancelledReason});
    const TransferVerdict verdict = writer_->judge(*reply_, end);
    reply_->deleteLater();
    if (verdict == TransferVerdict::Complete) {
        emit downloader_.downloadProgress(path_, writer_->received(), writer_->total());
        return commitInBackground();
    }
    const bool missing = verdict == TransferVerdict::ErrorReply && writer_->saysMissing();
    const bool fallbackFollows = missing && address_.contains(kHighBitRate);
    DownloadEnd outcome(settle(*writer_, verdict, fallbackFollows), writer_->failure(*reply_, end));
    if (const std::optional<qint64> seconds = net_.takeRetryAfter(*reply_, address_);
        seconds && *seconds > kLongestRetryAfterSeconds)
        outcome = DownloadEnd(DownloadOutcome::Failed,
                              DownloadFailure{FailureKind::Permanent, WaitTooLongReason(*seconds)});
    writer_.reset();
    claim_.reset();
    // Once "_192k" is gone this cannot happen again: one fallback at most.
    if (fallbackFollows) {
        address_.remove(kHighBitRate);
        return attempt();
    }
    finish(outcome);
}

// Waiting for the disk is left to a worker thread, so the next transfer can
// start meanwhile. The downloader waits for its workers before it goes, so
// this transfer outlives the commit.
void FileTransfer::commitInBackground()
{
    if (DownloadTransferred transferred = std::exchange(transferred_, nullptr))
        transferred();
    PartFileWriter *writer = writer_.get();
    std::optional<TrackTags> tags;
    if (downloader_.tagging())
        tags = tags_;
    downloader_.startCommit([this, writer, path = path_, tags] {
        // Tagged in place before the flush, so the file takes its name whole
        // and tagged; a file TagLib cannot read keeps the served bytes.
        QString tagError;
        if (tags)
            WriteTrackTags(path + QLatin1String(kPartialSuffix), *tags, tagError);
        const bool moved = writer->commitTo(path);
        QMetaObject::invokeMethod(
            this, [this, moved, tagError] { committed(moved, tagError); }, Qt::QueuedConnection);
    });
}

void FileTransfer::committed(bool moved, const QString &tagError)
{
    // A file that took the name meanwhile is kept; the track is there.
    if (moved)
        finish({DownloadOutcome::Saved, tagError.isEmpty() ? QString() : QStringLiteral("未写入标签: ") + tagError});
    else if (QFileInfo::exists(path_))
        finish(DownloadOutcome::AlreadyPresent);
    else
        finish({DownloadOutcome::Failed, DownloadFailure{FailureKind::Storage, writer_->writeError()}});
}

bool FileTransfer::movedBrokenAside()
{
    if (!downloader_.checksPresent() || !brokenKeptAt_.isEmpty())
        return false;
    if (CheckMp3File(path_).whole())
        return false;
    const QString aside = FreeBrokenName(path_);
    QFile file(path_);
    if (!file.rename(aside)) {
        brokenMoveError_ = QStringLiteral("无法给不完整的文件改名: ") + file.errorString();
        return true;
    }
    brokenKeptAt_ = aside;
    return true;
}

void FileTransfer::finish(const DownloadEnd &outcome)
{
    if (QTimer *hostWait = std::exchange(hostWait_, nullptr)) {
        hostWait->stop();
        hostWait->deleteLater();
    }
    writer_.reset();
    claim_.reset();
    DownloadDone done = std::move(done_);
    done_ = nullptr;
    deleteLater();
    if (DownloadTransferred transferred = std::exchange(transferred_, nullptr))
        transferred();
    if (!done)
        return;
    DownloadEnd end = outcome;
    end.brokenKeptAt = brokenKeptAt_;
    done(end);
}

} // namespace tavimo
