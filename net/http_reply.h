#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>

class QUrl;

namespace tavimo {

class CurlEngine;
struct CurlTransfer;

// The reason of a request, and of a download, stopped before it ended.
inline const QString kCancelledReason = QStringLiteral("已取消");
// The reason of one that brought nothing for the stall time-out.
inline const QString kTimedOutReason = QStringLiteral("连接超时");

// The reason of a reply with an error status.
inline QString StatusReason(int status)
{
    return QStringLiteral("服务器回复 HTTP %1").arg(status);
}

// What kind of failure below HTTP ended a transfer.
enum class TransportError { None, HostNotFound, ConnectionRefused, TimedOut, Aborted, Other };

// Only http and https addresses are ever requested.
bool isWebAddress(const QUrl &url);

// What to ask of a server: the address as it goes out, and what a page
// fetch sends beside it.
struct HttpRequest {
    QString address;
    QByteArray method = QByteArrayLiteral("GET");
    QByteArray body;
    QList<QByteArray> headers;
    // Whether the reply may come compressed (decoded before it is handed on).
    bool compressed = false;
    // How much curl reads from the socket at once, handed on in one piece.
    qint64 bufferSize = 0;
    // The most bytes a second the body may arrive with; 0 for no limit.
    qint64 maxReceiveSpeed = 0;
};

// One request through the engine. The body is handed to the sink as it
// arrives (or kept for body() when there is none); quietMs() tells how long
// the reply has been silent and finished() tells of the end. Deleting the
// reply ends its transfer.
class HttpReply : public QObject {
    Q_OBJECT
public:
    // Takes one piece of the body; false stops the transfer.
    using BodySink = std::function<bool(const char *data, qint64 size)>;

    HttpReply(CurlEngine &engine, const HttpRequest &request, QObject *parent = nullptr);
    ~HttpReply() override;

    void setBodySink(BodySink sink) { sink_ = std::move(sink); }
    void start();
    // Ends the transfer at once, as broken; finished() follows.
    void abort();

    bool isFinished() const { return finished_; }
    // How long no part of a head or a body has come since the last one (or
    // since start()); -1 before start(). A time stamp per piece, not a
    // signal: pieces come thousands of times a second.
    qint64 quietMs() const { return sinceActivity_.isValid() ? sinceActivity_.elapsed() : -1; }
    // The final reply's status, 0 before its head arrived.
    int status() const;
    // The final reply's header (the last one of that name); empty without.
    QByteArray header(const char *name) const;
    // The announced body length, -1 when unknown.
    qint64 contentLength() const;
    // Whether the transfer failed below HTTP (no connection, a broken or cut
    // off body, a proxy failure, an abort); an HTTP error status is not that.
    bool broke() const { return finished_ && failed_; }
    // Why it broke, in curl's words, and what kind of failure that was.
    QString errorText() const;
    TransportError transportError() const { return transportError_; }
    // The address the final reply came from, after redirects; empty before one came.
    QString finalAddress() const;
    // The proxy's answer to the tunnel asked for an https address; 0 when none was asked.
    int tunnelStatus() const;
    const QByteArray &body() const { return body_; }

    // For the engine: the transfer ended, or the engine went first.
    void transferEnded();
    void detach() { transfer_ = nullptr; }

signals:
    void finished();

private:
    static size_t onBody(char *data, size_t size, size_t count, void *transfer);
    static size_t onHead(char *data, size_t size, size_t count, void *transfer);
    bool takeBody(const char *data, qint64 size);
    // Whether a piece of size bytes comes ahead of the receive-speed limit;
    // if so, the transfer resumes once the limit allows it.
    bool aheadOfLimit(qint64 size);
    // How much may come ahead of the limit: a sixteenth of a second's worth,
    // so reads need not wait for every single byte.
    qint64 earlyAllowance() const { return speedLimit_ / 16; }
    void resumeLater(qint64 milliseconds);
    void setOptions(const HttpRequest &request);

    CurlEngine &engine_;
    CurlTransfer *transfer_;
    BodySink sink_;
    qint64 speedLimit_ = 0; // bytes a second; 0 for none
    qint64 takenUnderLimit_ = 0;
    QElapsedTimer sinceFirstBody_;
    QElapsedTimer sinceActivity_;
    QByteArray body_;
    QString errorText_;
    TransportError transportError_ = TransportError::None;
    bool finished_ = false;
    bool failed_ = false;
};

} // namespace tavimo
