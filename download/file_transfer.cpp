#include "download/file_transfer.h"

#include "download/file_check.h"
#include "download/file_downloader.h"
#include "download/file_names.h"
#include "download/part_file_writer.h"
#include "download/track_tagger.h"
#include "download/transfer_slot.h"
#include "net/http_reply.h"
#include "net/mod_xml_http.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <limits>

#include <qcoro/qcorosignal.h>

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

FileTransfer::FileTransfer(FileDownloader &downloader, TrackFile track)
    : QObject(&downloader), downloader_(downloader), net_(downloader.network()), track_(std::move(track))
{
}

FileTransfer::~FileTransfer() = default;

QCoro::Task<DownloadEnd> FileTransfer::run(TransferSlot &slot)
{
    std::optional<DownloadEnd> end = co_await fetch();
    slot.release();
    if (!end)
        end = co_await commit();
    state_ = State::Ended;
    end->brokenKeptAt = brokenKeptAt_;
    co_return *end;
}

QCoro::Task<std::optional<DownloadEnd>> FileTransfer::fetch()
{
    for (;;) {
        if (net_.isCancelled())
            co_return CancelledEnd();
        if (QFileInfo::exists(track_.path) && !(co_await movedBrokenAside()))
            co_return DownloadEnd(DownloadOutcome::AlreadyPresent);
        if (QFileInfo::exists(track_.path))
            co_return DownloadEnd(DownloadOutcome::Failed, DownloadFailure{FailureKind::Storage, brokenMoveError_});
        if (const qint64 held = net_.heldFor(track_.url); held > 0) {
            co_await waitForHost(held);
            continue;
        }
        if (!isWebAddress(QUrl(track_.url)))
            co_return DownloadEnd(DownloadOutcome::Failed, QStringLiteral("地址无法识别"));
        state_ = State::Transferring;
        auto *wait = new ReplyWait(startRequest(), net_.stallTimeout());
        wait->setParent(this);
        connect(&net_.stop(), &Stop::raised, wait, &ReplyWait::cancel);
        const WaitEnd how = co_await wait->run();
        wait->deleteLater();
        bool fallBack = false;
        if (std::optional<DownloadEnd> end = requestEnded(how, fallBack); end || !fallBack)
            co_return end;
    }
}

// The server asked the run to wait before its next request to this host; a
// stop ends the wait at once.
QCoro::Task<> FileTransfer::waitForHost(qint64 milliseconds)
{
    state_ = State::WaitingForHost;
    auto *timer = new QTimer(this);
    timer->setSingleShot(true);
    const auto over = [this, timer] {
        timer->disconnect(this);
        net_.stop().disconnect(timer);
        timer->stop();
        timer->deleteLater();
        emit waitEnded();
    };
    connect(timer, &QTimer::timeout, this, over);
    connect(&net_.stop(), &Stop::raised, timer, over);
    timer->start(int(std::min<qint64>(milliseconds, std::numeric_limits<int>::max())));
    co_await qCoro(this, &FileTransfer::waitEnded);
}

// Beside the finished file, so the final rename never crosses file systems.
HttpReply *FileTransfer::startRequest()
{
    writer_ = std::make_unique<PartFileWriter>(track_.path + QLatin1String(kPartialSuffix), track_.url,
                                               downloader_.resumeEnabled());
    HttpRequest request;
    request.address = track_.url;
    request.bufferSize = downloader_.readBufferSize();
    request.maxReceiveSpeed = downloader_.rateLimit();
    if (!writer_->rangeRequest().isEmpty())
        request.headers = {QByteArrayLiteral("Range: ") + writer_->rangeRequest()};
    reply_ = net_.createReply(request, this);
    reply_->setBodySink([this](const char *data, qint64 size) { return takeBody(data, size); });
    sinceProgress_.start();
    reply_->start();
    return reply_;
}

bool FileTransfer::takeBody(const char *data, qint64 size)
{
    const bool wanted = writer_->consume(*reply_, data, size);
    if (sinceProgress_.elapsed() >= kProgressIntervalMs) {
        sinceProgress_.restart();
        emit downloader_.downloadProgress(track_.path, writer_->received(), writer_->total());
    }
    return wanted;
}

// Nothing when the body is whole and waits to be committed, or when the
// fallback from "_192k" is to be asked (fallBack is set then).
std::optional<DownloadEnd> FileTransfer::requestEnded(WaitEnd end, bool &fallBack)
{
    if (!reply_)
        return CancelledEnd();
    const TransferVerdict verdict = writer_->judge(*reply_, end);
    reply_->deleteLater();
    if (verdict == TransferVerdict::Complete) {
        emit downloader_.downloadProgress(track_.path, writer_->received(), writer_->total());
        state_ = State::Committing;
        return std::nullopt;
    }
    const bool missing = verdict == TransferVerdict::ErrorReply && writer_->saysMissing();
    // Once "_192k" is gone this cannot happen again: one fallback at most.
    fallBack = missing && track_.url.contains(kHighBitRate);
    DownloadEnd outcome(settle(*writer_, verdict, fallBack), writer_->failure(*reply_, end));
    if (const std::optional<qint64> seconds = net_.takeRetryAfter(*reply_, track_.url);
        seconds && *seconds > kLongestRetryAfterSeconds)
        outcome = DownloadEnd(DownloadOutcome::Failed,
                              DownloadFailure{FailureKind::Permanent, WaitTooLongReason(*seconds)});
    writer_.reset();
    if (fallBack) {
        track_.url.remove(kHighBitRate);
        return std::nullopt;
    }
    return outcome;
}

// Waiting for the disk is left to a worker thread, so the next transfer can
// start meanwhile.
QCoro::Task<DownloadEnd> FileTransfer::commit()
{
    PartFileWriter *writer = writer_.get();
    std::optional<TrackTags> tags;
    if (downloader_.tags(track_))
        tags = track_.tags;
    bool moved = false;
    QString tagError;
    QString shortBy; // why a whole reply fell short of its recorded length
    // Named: g++ 12 destroys a temporary argument twice inside a co_await.
    std::function<void()> work = [writer, path = track_.path, tags, &moved, &tagError, &shortBy] {
        // A body that ends before the length its encoder recorded is broken
        // off, however whole the reply looked; its bytes stay for the next
        // attempt.
        const QString part = path + QLatin1String(kPartialSuffix);
        const Mp3Verdict recorded = CheckMp3File(part, Mp3Depth::Record);
        if (recorded.fault == Mp3Fault::FramesMissing) {
            shortBy = recorded.reason();
            writer->keep();
            return;
        }
        // Tagged in place before the flush, so the file takes its name whole
        // and tagged; a file TagLib cannot read keeps the served bytes.
        if (tags)
            WriteTrackTags(part, *tags, tagError);
        moved = writer->commitTo(path);
    };
    co_await onWorker(FileDownloader::DiskWork::Commit, std::move(work));
    const QString writeError = writer_->writeError();
    writer_.reset();
    if (!shortBy.isEmpty())
        co_return DownloadEnd(DownloadOutcome::Failed,
                              DownloadFailure{FailureKind::Transient, QStringLiteral("传输中断: ") + shortBy});
    // A file that took the name meanwhile is kept; the track is there.
    if (moved)
        co_return DownloadEnd(DownloadOutcome::Saved,
                              tagError.isEmpty() ? QString() : QStringLiteral("未写入标签: ") + tagError);
    if (QFileInfo::exists(track_.path))
        co_return DownloadEnd(DownloadOutcome::AlreadyPresent);
    co_return DownloadEnd(DownloadOutcome::Failed, DownloadFailure{FailureKind::Storage, writeError});
}

// Work that waits for the disk, on one of the downloader's workers; it may
// write to the awaiting task's own variables. The downloader waits for its
// workers before it goes, so the end is told to a transfer that still lives.
QCoro::Task<> FileTransfer::onWorker(FileDownloader::DiskWork kind, std::function<void()> work)
{
    downloader_.startOnWorker(kind, [this, work = std::move(work)] {
        work();
        QMetaObject::invokeMethod(this, &FileTransfer::workDone, Qt::QueuedConnection);
    });
    co_await qCoro(this, &FileTransfer::workDone);
}

// The present file is read on a worker thread, so the event loop (and the
// other transfers) go on meanwhile.
QCoro::Task<bool> FileTransfer::movedBrokenAside()
{
    if (!downloader_.checksPresent() || !brokenKeptAt_.isEmpty())
        co_return false;
    bool whole = false;
    std::function<void()> judge = [path = track_.path, &whole] { whole = CheckMp3File(path).whole(); };
    co_await onWorker(FileDownloader::DiskWork::Read, std::move(judge));
    if (whole)
        co_return false;
    const QString aside = FreeBrokenName(track_.path);
    QFile file(track_.path);
    if (!file.rename(aside)) {
        brokenMoveError_ = QStringLiteral("无法给不完整的文件改名: ") + file.errorString();
        co_return true;
    }
    brokenKeptAt_ = aside;
    co_return true;
}

} // namespace tavimo
