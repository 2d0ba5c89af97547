#pragma once

#include "net/page_reply.h"
#include "net/request_pacing.h"
#include "net/stop.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

#include <qcoro/qcorotask.h>

namespace tavimo {

class CookieStore;
class CurlEngine;
class HttpReply;
struct HttpRequest;

// The program's one network object: every page fetch and file download goes
// through its HTTP engine (libcurl), whose cookie store is the one that the
// embedded browser's sign-in is mirrored into.
//
// A wait is a task on the one event loop: it uses no CPU while waiting and
// always ends, at once when the program's stop is raised.
class ModXmlHttp : public QObject {
    Q_OBJECT
public:
    explicit ModXmlHttp(QObject *parent = nullptr);
    // Cancels what is in progress; the tasks waiting on it must have ended.
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

    // A task of one GET of a full address: the body decoded in the named
    // character set, or the empty text when the fetch failed, brought no body
    // or was stopped (by cancelAll(), or by also when given).
    QCoro::Task<QString> GetHttpText(QString charset, QString url, QString body = QString(),
                                     const Stop *also = nullptr);
    // The same fetch, with how it went beside the text.
    QCoro::Task<PageReply> FetchPage(QString charset, QString url, QString body = QString(),
                                     const Stop *also = nullptr);

    // A request on the engine, not started yet: the caller may give it a body
    // sink before it starts it.
    HttpReply *createReply(const HttpRequest &request, QObject *parent = nullptr);

    // A transfer that brings no byte for this long fails (default 30 s).
    void setStallTimeout(int milliseconds);
    int stallTimeout() const { return stallTimeoutMs_; }

    // Raises stop(): every wait in progress ends as cancelled and new
    // requests are refused; for closing a window or the program in the
    // middle of a download.
    void cancelAll() { stop_.raise(); }
    bool isCancelled() const { return stop_.isRaised(); }
    // The program's stop, which every wait on this object watches.
    const Stop &stop() const { return stop_; }

    // The least gap between the starts of page and interface requests
    // (GetHttpText); 0, the default, for none. Track bodies are not paced.
    void setPageGap(int milliseconds) { pacing_.setPageGap(milliseconds); }
    // How long the next request to the host of url must wait, after the
    // server asked the run to wait.
    qint64 heldFor(const QString &url) const;
    // Takes a reply's "Retry-After" (with 429 or 503): the run waits that
    // long before its next request to the reply's host, and hostHeld tells
    // of it. The seconds asked for, when the reply asked; more than
    // kLongestRetryAfterSeconds holds nothing, the requests concerned fail.
    std::optional<qint64> takeRetryAfter(const HttpReply &reply, const QString &url);

signals:
    // The server of host asked the run to wait seconds before its next request.
    void hostHeld(const QString &host, qint64 seconds);

private:
    std::unique_ptr<CurlEngine> engine_;
    int stallTimeoutMs_ = 30000;
    Stop stop_;
    RequestPacing pacing_;
};

// Decodes bytes in a named character set (names match without regard to case).
QString BytesToText(const QByteArray &bytes, const QString &charset);

} // namespace tavimo
