#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

namespace tavimo {

// What became of one DownloadFile call. The workflows go on whatever it is;
// the command line counts them for its summary.
enum class DownloadOutcome { Saved, AlreadyPresent, Failed, Cancelled };

// The outcome with why a download failed: the HTTP status, the transport's
// error in curl's words, the file system's error; empty when it did not.
struct DownloadEnd {
    DownloadEnd(DownloadOutcome outcome, QString reason = QString()) : outcome(outcome), reason(std::move(reason)) {}
    DownloadOutcome outcome;
    QString reason;
};

using DownloadDone = std::function<void(const DownloadEnd &)>;

// The reason of a download that was stopped before it ended.
inline const QString kCancelledReason = QStringLiteral("已取消");
using DownloadTransferred = std::function<void()>;

class CookieStore;
class FileTransfer;
class HttpReply;
struct HttpRequest;

// The program's one network object: every page fetch and file download goes
// through its HTTP engine (libcurl), whose cookie store is the one that the
// embedded browser's sign-in is mirrored into.
//
// Waits run a local event loop, so other handlers (a second workflow
// included) run inside them; they use no CPU while waiting and always end.
class ModXmlHttp : public QObject {
    Q_OBJECT
public:
    explicit ModXmlHttp(QObject *parent = nullptr);
    // Cancels what is in progress; must not run inside one of its own waits
    // (the waits below it would return into a deleted object).
    ~ModXmlHttp() override;

    CookieStore &cookies();

    // The proxy for every request ("http://host:port", "socks5h://host:port",
    // credentials in the address); empty for the environment's http_proxy,
    // https_proxy, no_proxy and ALL_PROXY. Hosts on this machine are always
    // reached directly unless a proxy is set here.
    void setProxy(const QString &address);

    // A file of trusted certificate authorities for https addresses in place
    // of the system's store; empty for the system's.
    void setCertificateAuthorities(const QString &file);

    // One GET of a full address; the body decoded in the named character set,
    // or the empty text when the fetch failed or brought no body.
    QString GetHttpText(const QString &charset, const QString &url, const QString &body = QString());

    // Fetches url into path unless a file is already there. The body is
    // streamed into a temporary file beside path and renamed into place only
    // when the transfer completed; a body that does not start like an MP3
    // file is an error reply. Falls back once from "_192k".
    DownloadOutcome DownloadFile(const QString &url, const QString &path);

    // DownloadFile without the wait, so several run at once on one event
    // loop: returns at once, and done is called exactly once with the
    // outcome and the reason of a failure (at once when nothing needs
    // fetching). cancelAll() ends it.
    // transferred, when given, is called once the network part is over:
    // for a complete body before the file is flushed to the disk and takes
    // its name (done follows then), else just before done.
    void StartDownloadFile(const QString &url, const QString &path, DownloadDone done,
                           DownloadTransferred transferred = {});

    // A request on the engine, not started yet: the caller may give it a body
    // sink before it starts it.
    HttpReply *createReply(const HttpRequest &request, QObject *parent = nullptr);

    // A transfer that brings no byte for this long fails (default 30 s).
    void setStallTimeout(int milliseconds);
    int stallTimeout() const;

    // How much of a download is held in memory between the socket and the
    // file (default 1 MB, at most 10 MB).
    void setReadBufferSize(qint64 bytes);

    // Whether DownloadFile continues from the bytes of an interrupted earlier
    // attempt at the same address kept in path + ".part" (default on).
    void setResumeEnabled(bool enabled);

    // Ends every wait in progress as failed and refuses new requests; for
    // closing a window or the program in the middle of a download.
    void cancelAll();
    bool isCancelled() const;

signals:
    // From cancelAll(): every wait on a reply of this object ends now, as
    // cancelled.
    void cancelled();
    // Per-file progress of DownloadFile (total is -1 when unknown).
    void downloadProgress(const QString &path, qint64 received, qint64 total);

private:
    FileTransfer *startTransfer(const QString &url, const QString &path, DownloadDone done,
                                DownloadTransferred transferred = {});

    friend class FileTransfer;
    struct Private;
    Private *d;
};

// Decodes bytes in a named character set (names match without regard to case).
QString BytesToText(const QByteArray &bytes, const QString &charset);

} // namespace tavimo
