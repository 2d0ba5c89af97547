#include "net/socket_reply.h"

#include "net/connection_pool.h"
#include "net/http_exchange.h"

#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QTcpSocket>

#include <cstring>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace tavimo {

namespace {

// A head this large is not a server's reply to a GET.
constexpr qsizetype kMaxHeadBytes = 64 * 1024;
constexpr qsizetype kHeadReadBytes = 16 * 1024;
constexpr int kMaxRedirects = 50;

// Acknowledges what arrives at once instead of after the usual delay. A
// server that sends the head and the body in two writes without TCP_NODELAY
// holds the body back until the head is acknowledged, which on a kept-alive
// connection costs each request 40 ms. The kernel drops the setting again
// now and then, so it is renewed while a head is awaited.
void acknowledgeAtOnce(QTcpSocket &socket)
{
#ifdef TCP_QUICKACK
    const int on = 1;
    setsockopt(int(socket.socketDescriptor()), IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
#else
    Q_UNUSED(socket);
#endif
}

// Cookies cannot be joined by commas (their dates hold commas); Qt reads
// one per line.
constexpr QByteArrayView kCookieSeparator = "\n";

bool isRedirect(int status) { return status == 301 || status == 302 || status == 303 || status == 307 || status == 308; }

} // namespace

SocketReply::SocketReply(const QNetworkRequest &request, QNetworkAccessManager &owner, ConnectionPool &pool,
                         OtherRequest otherwise)
    : QNetworkReply(&owner), pool_(pool), owner_(owner), otherwise_(std::move(otherwise))
{
    setRequest(request);
    setOperation(QNetworkAccessManager::GetOperation);
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    // Started from the event loop, as the caller connects to the reply first.
    setUrl(request.url());
    QMetaObject::invokeMethod(this, [this] { fetch(url()); }, Qt::QueuedConnection);
}

SocketReply::~SocketReply()
{
    // A socket closing on deletion signals it, which must not come back here.
    if (socket_ != nullptr)
        socket_->disconnect(this);
    delete socket_;
    // The relayed reply is the owner's child, which deletes its replies itself
    // when it goes: only a later deletion is safe here.
    if (relay_)
        relay_->deleteLater();
}

void SocketReply::fetch(const QUrl &address)
{
    if (phase_ == Phase::Done)
        return;
    setUrl(address);
    route_ = {};
    QNetworkProxyFactory *factory = owner_.proxyFactory();
    const QList<QNetworkProxy> proxies = factory != nullptr ? factory->queryProxy(QNetworkProxyQuery(address))
                                                            : QNetworkProxyFactory::proxyForQuery(QNetworkProxyQuery(address));
    route_.host = address.host();
    route_.port = quint16(address.port(80));
    for (const QNetworkProxy &proxy : proxies) {
        if (proxy.type() == QNetworkProxy::HttpProxy || proxy.type() == QNetworkProxy::HttpCachingProxy) {
            route_.viaHttpProxy = true;
            route_.httpProxy = proxy;
            route_.host = proxy.hostName();
            route_.port = proxy.port();
        } else if (proxy.type() == QNetworkProxy::Socks5Proxy) {
            route_.socketProxy = proxy;
        } else if (proxy.type() != QNetworkProxy::NoProxy && proxy.type() != QNetworkProxy::DefaultProxy) {
            continue;
        }
        break;
    }
    route_.key = QStringLiteral("%1|%2:%3|%4").arg(route_.viaHttpProxy).arg(route_.host).arg(route_.port)
                     .arg(route_.socketProxy.hostName() + QLatin1Char(':') + QString::number(route_.socketProxy.port()));
    if (!route_.viaHttpProxy)
        route_.key += QLatin1Char('|') + address.host() + QLatin1Char(':') + QString::number(route_.port);
    phase_ = Phase::Connecting;
    head_.clear();
    pendingBody_.clear();
    response_.reset();
    framing_.reset();
    receivedAny_ = false;
    if (QTcpSocket *idle = pool_.take(route_.key)) {
        reused_ = true;
        adopt(idle);
        sendRequest();
    } else {
        connectFresh();
    }
}

void SocketReply::connectFresh()
{
    reused_ = false;
    auto *socket = new QTcpSocket;
    socket->setProxy(route_.socketProxy);
    adopt(socket);
    connect(socket, &QTcpSocket::connected, this, &SocketReply::sendRequest);
    socket->connectToHost(route_.host, route_.port, QIODevice::ReadWrite | QIODevice::Unbuffered);
}

void SocketReply::adopt(QTcpSocket *socket)
{
    socket_ = socket;
    connect(socket, &QTcpSocket::readyRead, this, &SocketReply::socketReadable);
    connect(socket, &QTcpSocket::disconnected, this, &SocketReply::connectionEnded);
    connect(socket, &QTcpSocket::errorOccurred, this, &SocketReply::connectionEnded);
}

void SocketReply::sendRequest()
{
    const QByteArray bytes =
        GetRequestBytes(request(), url(), route_.viaHttpProxy ? &route_.httpProxy : nullptr, owner_.cookieJar());
    if (bytes.isEmpty())
        return fail(ProtocolInvalidOperationError, tr("The address cannot be sent"));
    phase_ = Phase::Head;
    acknowledgeAtOnce(*socket_);
    if (socket_->write(bytes) != bytes.size())
        connectionEnded();
}

void SocketReply::socketReadable()
{
    if (phase_ == Phase::Head)
        readHead();
    else if (phase_ == Phase::Body)
        emit readyRead();
}

void SocketReply::readHead()
{
    char chunk[kHeadReadBytes];
    while (phase_ == Phase::Head && socket_ != nullptr) {
        const qint64 got = socket_->read(chunk, sizeof chunk);
        if (got < 0)
            return connectionEnded();
        if (got == 0)
            return;
        receivedAny_ = true;
        acknowledgeAtOnce(*socket_);
        head_.append(chunk, got);
        for (qsizetype end = ResponseHeadEnd(head_); end >= 0 && phase_ == Phase::Head; end = ResponseHeadEnd(head_)) {
            const std::optional<ResponseHead> head = ParseResponseHead(QByteArrayView(head_).first(end));
            if (!head)
                return fail(ProtocolFailure, tr("The server's reply cannot be read"));
            head_.remove(0, end);
            // Interim answers (100 Continue) precede the real one.
            if (head->status / 100 != 1 || head->status == 101)
                headReceived(*head);
        }
        if (phase_ == Phase::Head && head_.size() > kMaxHeadBytes)
            return fail(ProtocolFailure, tr("The server's reply cannot be read"));
    }
}

void SocketReply::headReceived(const ResponseHead &head)
{
    framing_ = BodyFraming::of(head);
    if (!framing_)
        return fail(ProtocolFailure, tr("The server's reply has an unusable length"));
    response_ = head;
    pendingBody_ = std::exchange(head_, {});
    keepCookies(head);
    if (redirect(head))
        return;
    publish(head);
    phase_ = Phase::Body;
    emit metaDataChanged();
    if (framing_->complete())
        return bodyEnded();
    if (!pendingBody_.isEmpty())
        emit readyRead();
}

bool SocketReply::redirect(const ResponseHead &head)
{
    const QByteArray location = head.value("Location");
    const QVariant policy = request().attribute(QNetworkRequest::RedirectPolicyAttribute);
    if (!isRedirect(head.status) || location.isEmpty()
        || (policy.isValid() && policy.toInt() == QNetworkRequest::ManualRedirectPolicy))
        return false;
    const QUrl target = url().resolved(QUrl::fromEncoded(location));
    releaseConnection(false);
    if (++redirects_ > kMaxRedirects) {
        fail(TooManyRedirectsError, tr("Too many redirects"));
        return true;
    }
    emit redirected(target);
    const QString scheme = target.scheme().toLower();
    if (scheme == QLatin1String("http") && !target.host().isEmpty()) {
        fetch(target);
    } else if (scheme == QLatin1String("https") && otherwise_) {
        QNetworkRequest next = request();
        next.setUrl(target);
        relayTo(otherwise_(next));
    } else {
        fail(InsecureRedirectError, tr("Redirected to an address that cannot be fetched"));
    }
    return true;
}

void SocketReply::keepCookies(const ResponseHead &head)
{
    QNetworkCookieJar *jar = owner_.cookieJar();
    if (jar == nullptr || request().attribute(QNetworkRequest::CookieSaveControlAttribute).toInt() == QNetworkRequest::Manual)
        return;
    const QList<QNetworkCookie> cookies = QNetworkCookie::parseCookies(head.value("Set-Cookie", kCookieSeparator));
    if (!cookies.isEmpty())
        jar->setCookiesFromUrl(cookies, url());
}

void SocketReply::publish(const ResponseHead &head)
{
    setAttribute(QNetworkRequest::HttpStatusCodeAttribute, head.status);
    setAttribute(QNetworkRequest::HttpReasonPhraseAttribute, head.reason);
    QList<QByteArray> names;
    for (const auto &field : head.fields)
        if (!names.contains(field.first.toLower()))
            names.append(field.first.toLower());
    for (const QByteArray &name : names)
        setRawHeader(name, head.value(name, name == "set-cookie" ? kCookieSeparator : ", "));
}

qint64 SocketReply::readData(char *data, qint64 maxSize)
{
    if (relay_)
        return relay_->read(data, maxSize);
    if (phase_ == Phase::Done)
        return -1;
    if (phase_ != Phase::Body)
        return 0;
    qint64 body = 0;
    while (body == 0 && phase_ == Phase::Body)
        body = readBody(data, maxSize);
    return qMax<qint64>(body, 0);
}

// One read from what came with the head, else from the socket, reduced to
// the body's own bytes; 0 when nothing more has arrived, -1 when reading ended.
qint64 SocketReply::readBody(char *data, qint64 maxSize)
{
    if (framing_->complete()) {
        bodyEnded();
        return -1;
    }
    const qint64 limit = framing_->readLimit(maxSize);
    qint64 got = 0;
    if (!pendingBody_.isEmpty()) {
        got = qMin<qint64>(limit, pendingBody_.size());
        std::memcpy(data, pendingBody_.constData(), size_t(got));
        pendingBody_.remove(0, got);
    } else if (socket_ == nullptr) {
        bodyCutOrEnded();
        return -1;
    } else {
        got = socket_->read(data, limit);
        if (got < 0) {
            connectionEnded();
            return -1;
        }
        if (got == 0)
            return -1;
    }
    const qint64 body = framing_->decode(data, got);
    if (body < 0) {
        // What came before the break is good; the rest may come on a rerun.
        fail(RemoteHostClosedError, tr("The server's reply broke off"));
        return -1;
    }
    if (framing_->complete())
        bodyEnded();
    return body;
}

void SocketReply::connectionEnded()
{
    if (phase_ == Phase::Done || socket_ == nullptr)
        return;
    if (phase_ == Phase::Body) {
        // What came before the end is still read; then the body is judged.
        closedByServer_ = socket_->error() == QAbstractSocket::RemoteHostClosedError;
        releaseConnection(false);
        if (pendingBody_.isEmpty())
            return bodyCutOrEnded();
        emit readyRead();
        return;
    }
    // A kept-alive connection the server closed just before our request.
    if (reused_ && !receivedAny_) {
        releaseConnection(false);
        return connectFresh();
    }
    fail(SocketFailure(socket_->error(), route_.viaHttpProxy), socket_->errorString());
}

void SocketReply::bodyCutOrEnded()
{
    // Only the server closing it ends such a body; a time-out or a lost
    // network cuts it off.
    if (framing_->endsWithConnection() && closedByServer_)
        return bodyEnded();
    fail(route_.viaHttpProxy ? ProxyConnectionClosedError : RemoteHostClosedError,
         tr("The connection closed before the whole reply came"));
}

void SocketReply::bodyEnded()
{
    releaseConnection(!framing_->endsWithConnection() && response_->keepsConnection() && pendingBody_.isEmpty()
                      && !framing_->overran());
    finishLater(StatusError(response_->status), QString::fromLatin1(response_->reason));
}

void SocketReply::relayTo(QNetworkReply *other)
{
    relay_ = other;
    phase_ = Phase::Done;
    connect(other, &QNetworkReply::metaDataChanged, this, [this] {
        copyFrom(*relay_);
        emit metaDataChanged();
    });
    connect(other, &QNetworkReply::readyRead, this, &QNetworkReply::readyRead);
    connect(other, &QNetworkReply::finished, this, [this] {
        copyFrom(*relay_);
        finishNow(relay_->error(), relay_->errorString());
    });
}

void SocketReply::copyFrom(QNetworkReply &other)
{
    setUrl(other.url());
    setAttribute(QNetworkRequest::HttpStatusCodeAttribute, other.attribute(QNetworkRequest::HttpStatusCodeAttribute));
    setAttribute(QNetworkRequest::HttpReasonPhraseAttribute, other.attribute(QNetworkRequest::HttpReasonPhraseAttribute));
    for (const QNetworkReply::RawHeaderPair &pair : other.rawHeaderPairs())
        setRawHeader(pair.first, pair.second);
}

void SocketReply::releaseConnection(bool reusable)
{
    if (socket_ == nullptr)
        return;
    QTcpSocket *socket = std::exchange(socket_, nullptr);
    socket->disconnect(this);
    if (reusable) {
        pool_.put(route_.key, socket);
    } else {
        socket->abort();
        socket->deleteLater();
    }
}

void SocketReply::fail(NetworkError error, const QString &text)
{
    releaseConnection(false);
    finishLater(error, text);
}

// Readers learn of the end once the read that found it has returned.
void SocketReply::finishLater(NetworkError error, const QString &text)
{
    phase_ = Phase::Done;
    QMetaObject::invokeMethod(this, [this, error, text] { finishNow(error, text); }, Qt::QueuedConnection);
}

void SocketReply::finishNow(NetworkError error, const QString &text)
{
    if (isFinished())
        return;
    phase_ = Phase::Done;
    releaseConnection(false);
    if (error != NoError) {
        setError(error, text);
        emit errorOccurred(error);
    }
    setFinished(true);
    emit finished();
}

void SocketReply::abort()
{
    if (isFinished())
        return;
    if (relay_)
        relay_->abort();
    close();
    finishNow(OperationCanceledError, tr("Operation canceled"));
}

qint64 SocketReply::bytesAvailable() const
{
    if (relay_)
        return relay_->bytesAvailable();
    qint64 socketBytes = socket_ != nullptr && phase_ == Phase::Body ? socket_->bytesAvailable() : 0;
    return pendingBody_.size() + socketBytes + QNetworkReply::bytesAvailable();
}

} // namespace tavimo
