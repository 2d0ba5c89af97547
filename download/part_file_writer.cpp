#include "download/part_file_writer.h"

#include "download/part_source.h"

#include "net/http_reply.h"
#include "net/mod_xml_http.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <optional>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavimo {

namespace {

// Error pages are small; a body larger than this is never read as text.
constexpr qint64 kErrorPageLimit = qint64(64) * 1024;

struct ContentRange {
    qint64 first;
    qint64 last;
    qint64 total;
};

// "bytes first-last/total", the only form that places a body in a file.
std::optional<ContentRange> parseContentRange(const QByteArray &header)
{
    static const QRegularExpression form(QStringLiteral("^\\s*bytes\\s+(\\d+)-(\\d+)/(\\d+)\\s*$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = form.match(QString::fromLatin1(header));
    if (!match.hasMatch())
        return std::nullopt;
    bool ok[3];
    const ContentRange range{match.captured(1).toLongLong(&ok[0]), match.captured(2).toLongLong(&ok[1]),
                             match.captured(3).toLongLong(&ok[2])};
    if (!ok[0] || !ok[1] || !ok[2] || range.first > range.last || range.last >= range.total)
        return std::nullopt;
    return range;
}

// "bytes */total" of a range the server cannot satisfy; -1 when absent.
qint64 unsatisfiedRangeTotal(const QByteArray &header)
{
    static const QRegularExpression form(QStringLiteral("^\\s*bytes\\s+\\*/(\\d+)\\s*$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = form.match(QString::fromLatin1(header));
    bool ok = false;
    const qint64 total = match.hasMatch() ? match.captured(1).toLongLong(&ok) : -1;
    return ok ? total : -1;
}

// How much is written before the disk is asked to start writing it back.
constexpr qint64 kWriteBackStep = qint64(4) * 1024 * 1024;

// How many bytes of a body it takes to tell whether it starts like an MP3 file.
constexpr qsizetype kMp3StartBytes = 3;

// An ID3v2 tag or an MPEG audio frame sync (eleven set bits).
bool startsLikeMp3(const QByteArray &start)
{
    if (start.size() < kMp3StartBytes)
        return false;
    const auto byte = [&start](qsizetype at) { return static_cast<unsigned char>(start[at]); };
    return start.startsWith("ID3") || (byte(0) == 0xFF && (byte(1) & 0xE0) == 0xE0);
}

QString replyCharset(const HttpReply &reply)
{
    static const QRegularExpression charset(QStringLiteral("charset\\s*=\\s*\"?([^\";\\s]+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = charset.match(QString::fromLatin1(reply.header("Content-Type")));
    return match.hasMatch() ? match.captured(1) : QStringLiteral("UTF-8");
}

// Takes the file's lock, unless another writer holds it. The lock must be
// on the file that still has the name: a holder may have just removed or
// renamed the one this handle opened. File systems without locks go unlocked.
bool HoldExclusively(QFile &file)
{
    if (flock(file.handle(), LOCK_EX | LOCK_NB) != 0)
        return errno != EWOULDBLOCK;
    struct stat opened;
    struct stat named;
    return fstat(file.handle(), &opened) == 0 && stat(QFile::encodeName(file.fileName()).constData(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

} // namespace

PartFileWriter::PartFileWriter(const QString &partPath, const QString &source, bool resume)
    : file_(partPath), source_(source)
{
    const QFileInfo existing(partPath);
    // Bytes of another address (an equally named track, the other bit rate)
    // would splice two files into one.
    if (resume && existing.isFile() && PartSource(partPath) == source)
        kept_ = existing.size();
}

QByteArray PartFileWriter::rangeRequest() const
{
    return kept_ > 0 ? QByteArrayLiteral("bytes=") + QByteArray::number(kept_) + '-' : QByteArray();
}

void PartFileWriter::start(const HttpReply &reply)
{
    status_ = reply.status();
    if (status_ == 0)
        return;
    expected_ = reply.contentLength();
    if (status_ == 416 && kept_ > 0 && unsatisfiedRangeTotal(reply.header("Content-Range")) == kept_) {
        keptIsWhole();
    } else if (status_ < 200 || status_ >= 300) {
        mode_ = Mode::DropBody;
    } else if (status_ == 206) {
        startPartial(reply.header("Content-Range"));
    } else {
        mode_ = Mode::FromStart;
        total_ = expected_;
    }
}

// The kept bytes already are the whole file: a run stopped between the
// body's end and the rename. Nothing is written; the file is taken as it is.
void PartFileWriter::keptIsWhole()
{
    mode_ = Mode::Whole;
    base_ = kept_;
    total_ = kept_;
    if (!open())
        writeFailed_ = !lockedOut_;
}

// Appends only the exact rest of the kept bytes; a whole file sent as a
// range is written afresh; any other piece cannot make the file.
void PartFileWriter::startPartial(const QByteArray &contentRange)
{
    const std::optional<ContentRange> range = parseContentRange(contentRange);
    const qint64 size = range ? range->last - range->first + 1 : -1;
    if (!range || range->last != range->total - 1 || (expected_ >= 0 && expected_ != size)) {
        mode_ = Mode::Refuse;
        return;
    }
    if (range->first == 0) {
        mode_ = Mode::FromStart;
    } else if (range->first == kept_) {
        mode_ = Mode::Append;
        base_ = kept_;
    } else {
        mode_ = Mode::Refuse;
        return;
    }
    expected_ = size;
    total_ = range->total;
}

bool PartFileWriter::consume(const HttpReply &reply, const char *data, qint64 size)
{
    if (mode_ == Mode::Undecided)
        start(reply);
    if (mode_ == Mode::Refuse || writeFailed_)
        return false;
    keepPrefix(data, size);
    bodyBytes_ += size;
    if (mode_ == Mode::DropBody || mode_ == Mode::Whole)
        return bodyBytes_ <= kErrorPageLimit;
    writeFailed_ = !take(data, size);
    return !writeFailed_;
}

// Holds back the first bytes of a body sent from its start until they show
// an MP3 file; any other body is read on as a possible error page instead.
bool PartFileWriter::take(const char *data, qint64 size)
{
    if (mode_ != Mode::FromStart || startChecked_)
        return write(data, size);
    if (prefix_.size() < kMp3StartBytes)
        return true; // what came so far waits in prefix_
    if (!startsLikeMp3(prefix_)) {
        mode_ = Mode::DropBody;
        return true;
    }
    startChecked_ = true;
    const qint64 held = bodyBytes_ - size;
    return write(prefix_.constData(), held) && write(data, size);
}

bool PartFileWriter::write(const char *data, qint64 size)
{
    if (!file_.isOpen() && !open())
        return false;
    if (file_.write(data, size) != size)
        return noteWriteError();
    startWriteBack(size);
    return true;
}

// Hands what was written to the disk as the body comes, without waiting for
// it, so that the flush before the final rename finds little left to do.
void PartFileWriter::startWriteBack(qint64 written)
{
    unflushed_ += written;
    if (unflushed_ < kWriteBackStep)
        return;
    const qint64 end = file_.pos();
    sync_file_range(file_.handle(), end - unflushed_, unflushed_, SYNC_FILE_RANGE_WRITE);
    unflushed_ = 0;
}

// Opened without truncating and locked before anything changes: another
// copy of the program writing the same track keeps its file to itself.
bool PartFileWriter::open()
{
    const bool append = mode_ == Mode::Append || mode_ == Mode::Whole;
    opened_ = true;
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return noteWriteError();
    if (!HoldExclusively(file_)) {
        lockedOut_ = true;
        return false;
    }
    if (append)
        return file_.size() == kept_;
    // Before the first byte, so no byte is ever kept without its address.
    RecordPartSource(file_.fileName(), source_);
    return file_.resize(0);
}

void PartFileWriter::keepPrefix(const char *data, qint64 size)
{
    if (prefix_.size() <= kErrorPageLimit)
        prefix_.append(data, qMin(size, kErrorPageLimit + 1 - prefix_.size()));
}

bool PartFileWriter::bodyIsErrorPage(const HttpReply &reply) const
{
    if (mode_ == Mode::Append || bodyBytes_ > kErrorPageLimit)
        return false;
    const QString text = BytesToText(prefix_, replyCharset(reply));
    return text.contains(QLatin1String("404 Not Found")) ||
           text.contains(QStringLiteral("您所请求的网址（URL）无法获取"));
}

TransferVerdict PartFileWriter::judge(const HttpReply &reply, WaitEnd end)
{
    if (end == WaitEnd::Cancelled)
        return TransferVerdict::Cancelled;
    if (mode_ == Mode::Undecided)
        start(reply); // a reply without a body never announced itself
    missing_ = status_ == 404 || bodyIsErrorPage(reply);
    if (lockedOut_)
        return TransferVerdict::Interrupted; // the file is another writer's
    if (mode_ == Mode::Whole)
        return writeFailed_ ? TransferVerdict::Interrupted : TransferVerdict::Complete;
    if (writeFailed_ || mode_ == Mode::DropBody || mode_ == Mode::Refuse)
        return TransferVerdict::ErrorReply;
    if (end == WaitEnd::Stalled || mode_ == Mode::Undecided || reply.broke())
        return TransferVerdict::Interrupted;
    if (bodyBytes_ == 0 || (mode_ == Mode::FromStart && !startChecked_))
        return TransferVerdict::ErrorReply; // nothing, or too little to be an MP3 file
    if (expected_ >= 0 && bodyBytes_ != expected_)
        return TransferVerdict::Interrupted;
    return missing_ ? TransferVerdict::ErrorReply : TransferVerdict::Complete;
}

bool PartFileWriter::commitTo(const QString &path)
{
    // On disk before it takes the final name: after a power cut a final name
    // must never stand for bytes that never reached the disk, as a present
    // file is skipped for good.
    const bool written = (file_.flush() && fdatasync(file_.handle()) == 0 && file_.error() == QFileDevice::NoError) ||
                         noteWriteError();
    ForgetPartSource(file_.fileName());
    // Renamed or removed while still locked, so no other writer gets at it
    // in between.
    const bool moved = written && !QFileInfo::exists(path) && QFile::rename(file_.fileName(), path);
    if (written && !moved && writeError_.isEmpty())
        writeError_ = QStringLiteral("无法给文件改名: %1").arg(qt_error_string(errno));
    if (!moved)
        QFile::remove(file_.fileName());
    file_.close();
    return moved;
}

// Keeps why the file system refused; always false.
bool PartFileWriter::noteWriteError()
{
    const int code = errno;
    writeError_ = code == ENOSPC || code == EDQUOT ? QStringLiteral("磁盘空间不足")
                                                   : QStringLiteral("无法写入文件: %1").arg(qt_error_string(code));
    return false;
}

DownloadFailure PartFileWriter::failure(const HttpReply &reply, WaitEnd end) const
{
    if (end == WaitEnd::Cancelled)
        return {FailureKind::Cancelled, kCancelledReason};
    if (lockedOut_)
        return {FailureKind::Permanent, QStringLiteral("另一个程序正在写入该文件")};
    if (!writeError_.isEmpty())
        return {FailureKind::Storage, writeError_};
    if (end == WaitEnd::Stalled)
        return {FailureKind::Transient, QStringLiteral("连接超时")};
    if (status_ >= 400) {
        // Overloaded or failing servers, and requests they were too slow for.
        const bool transient = status_ >= 500 || status_ == 408 || status_ == 429;
        return {transient ? FailureKind::Transient : FailureKind::Permanent,
                QStringLiteral("服务器回复 HTTP %1").arg(status_)};
    }
    // Before the transport's text: a body refused here also ends the transfer.
    if (mode_ == Mode::Refuse)
        return {FailureKind::Permanent, QStringLiteral("服务器回复的字节范围无法接续")};
    if (missing_)
        return {FailureKind::Permanent, QStringLiteral("服务器回复文件不存在")};
    if (mode_ == Mode::DropBody || (mode_ == Mode::FromStart && !startChecked_ && bodyBytes_ > 0))
        return {FailureKind::Permanent, QStringLiteral("回复不是 MP3 文件")};
    if (reply.broke())
        return {FailureKind::Transient, reply.errorText()};
    if (bodyBytes_ == 0)
        return {FailureKind::Transient, QStringLiteral("回复是空的")};
    return {FailureKind::Transient, QStringLiteral("传输中断")};
}

void PartFileWriter::keep()
{
    file_.close();
}

void PartFileWriter::discard()
{
    // A file this writer never opened may be another running copy's: it is
    // removed only under its lock.
    const bool held = file_.isOpen() ||
                      (file_.open(QIODevice::WriteOnly | QIODevice::Append) && HoldExclusively(file_));
    if (held && !lockedOut_)
        QFile::remove(file_.fileName());
    file_.close();
}

} // namespace tavimo
