#pragma once

#include "download/download_end.h"
#include "net/reply_wait.h"

#include <QByteArray>
#include <QFile>
#include <QString>

namespace tavimo {

class HttpReply;

// What one reply to a download request amounted to.
enum class TransferVerdict {
    Complete,    // the whole file is in the temporary file
    Interrupted, // the transfer broke off; the bytes so far can be resumed
    ErrorReply,  // the reply is not the file (error status, empty, error page)
    Cancelled,
};

// Streams the body of one reply into a temporary file, continuing from the
// bytes an interrupted earlier attempt at the same address left there when
// the server agrees to send the rest. A body sent from its start is only
// taken when it begins like an MP3 file. Only small bodies are also kept in
// memory, to be read as an error page.
class PartFileWriter {
public:
    PartFileWriter(const QString &partPath, const QString &source, bool resume);

    // The Range header value that asks for the missing rest, or empty.
    QByteArray rangeRequest() const;

    // Takes the next piece of the reply's body; false when the rest of the
    // body is of no use and the transfer should stop.
    bool consume(const HttpReply &reply, const char *data, qint64 size);
    TransferVerdict judge(const HttpReply &reply, WaitEnd end);

    // Why the reply did not make the file, in a few words for the user, and
    // whether another attempt may do better.
    DownloadFailure failure(const HttpReply &reply, WaitEnd end) const;
    // Why the file system refused the file; empty when it did not.
    const QString &writeError() const { return writeError_; }

    // After an error reply: whether it said the file does not exist.
    bool saysMissing() const { return missing_; }
    // Whether this reply's body went into the temporary file.
    bool wroteBody() const { return opened_; }
    qint64 received() const { return base_ + bodyBytes_; }
    qint64 total() const { return total_; }

    // Closes the file and moves it to path unless a file is already there
    // (then the temporary file goes); false when nothing was moved.
    bool commitTo(const QString &path);
    void keep();
    void discard();

private:
    enum class Mode { Undecided, FromStart, Append, Whole, DropBody, Refuse };

    // Error pages are small; a body larger than this is never read as text.
    static constexpr qint64 kErrorPageLimit = qint64(64) * 1024;

    void start(const HttpReply &reply);
    void startPartial(const QByteArray &contentRange);
    void keptIsWhole();
    bool take(const char *data, qint64 size);
    bool write(const char *data, qint64 size);
    void startWriteBack(qint64 written);
    bool open();
    void keepPrefix(const char *data, qint64 size);
    bool noteWriteError();
    bool bodyIsErrorPage(const HttpReply &reply) const;

    QFile file_;
    QString source_;
    qint64 kept_ = 0;
    Mode mode_ = Mode::Undecided;
    int status_ = 0;
    qint64 base_ = 0;
    qint64 expected_ = -1;
    qint64 total_ = -1;
    qint64 bodyBytes_ = 0;
    qint64 unflushed_ = 0;
    QByteArray prefix_;
    QString writeError_;
    bool startChecked_ = false;
    bool opened_ = false;
    bool writeFailed_ = false;
    bool lockedOut_ = false;
    bool missing_ = false;
};

} // namespace tavimo
