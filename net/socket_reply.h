#pragma once

#include "net/http_response.h"

#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

#include <functional>
#include <optional>

class QTcpSocket;

namespace tavimo {

class ConnectionPool;

// A GET of a plain http address answered in this thread over a connection
// of its own: the body is read from the socket straight into the caller's
// buffer, with no second thread and no copy in between. Kept-alive
// connections come from and go back to the pool. Follows redirects, keeps
// cookies in the jar, and reaches the server through the proxy the factory
// names (an HTTP proxy is sent the absolute address, as browsers do). A
// redirect to an address it does not carry (https) is handed to otherwise,
// whose reply it then passes on. A body framed in chunks whose framing
// breaks ends as a broken transfer.
class SocketReply : public QNetworkReply {
    Q_OBJECT
public:
    using OtherRequest = std::function<QNetworkReply *(const QNetworkRequest &)>;

    // The owner's cookie jar and proxy factory are asked at the time of use.
    SocketReply(const QNetworkRequest &request, QNetworkAccessManager &owner, ConnectionPool &pool,
                OtherRequest otherwise);
    ~SocketReply() override;

    void abort() override;
    qint64 bytesAvailable() const override;
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    enum class Phase { Connecting, Head, Body, Done };

    // Where the connection for one address goes and how it is asked.
    struct Route {
        QString host;
        quint16 port = 0;
        QNetworkProxy socketProxy{QNetworkProxy::NoProxy};
        bool viaHttpProxy = false;
        QNetworkProxy httpProxy;
        QString key;
    };

    void fetch(const QUrl &address);
    void connectFresh();
    void adopt(QTcpSocket *socket);
    void sendRequest();
    void socketReadable();
    void readHead();
    void headReceived(const ResponseHead &head);
    bool redirect(const ResponseHead &head);
    void keepCookies(const ResponseHead &head);
    void publish(const ResponseHead &head);
    qint64 readBody(char *data, qint64 maxSize);
    void connectionEnded();
    void bodyCutOrEnded();
    void bodyEnded();
    void relayTo(QNetworkReply *other);
    void copyFrom(QNetworkReply &other);
    void releaseConnection(bool reusable);
    void fail(NetworkError error, const QString &text);
    void finishLater(NetworkError error = NoError, const QString &text = {});
    void finishNow(NetworkError error, const QString &text);

    ConnectionPool &pool_;
    QNetworkAccessManager &owner_;
    OtherRequest otherwise_;
    Route route_;
    QTcpSocket *socket_ = nullptr;
    bool reused_ = false;
    bool receivedAny_ = false;
    bool closedByServer_ = false;
    int redirects_ = 0;
    Phase phase_ = Phase::Connecting;
    QByteArray head_;
    QByteArray pendingBody_;
    std::optional<ResponseHead> response_;
    std::optional<BodyFraming> framing_;
    QPointer<QNetworkReply> relay_;
};

} // namespace tavimo
