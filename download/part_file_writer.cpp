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
