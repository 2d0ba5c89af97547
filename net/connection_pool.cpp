#include "net/connection_pool.h"

#include <QTcpSocket>

namespace tavimo {

namespace {

// Servers close idle connections after a few seconds; one kept longer is
// more likely to fail than to help.
constexpr qint64 kIdleLimitMs = 20000;
constexpr qsizetype kIdlePerKey = 8;

} // namespace

ConnectionPool::~ConnectionPool()
{
    // A socket closing on deletion signals it, which must not reach drop().
    const QHash<QString, QList<Idle>> all = std::exchange(idle_, {});
    for (const QList<Idle> &list : all)
        for (const Idle &idle : list) {
            idle.socket->disconnect(this);
            delete idle.socket;
        }
}

QTcpSocket *ConnectionPool::take(const QString &key)
{
    QList<Idle> &list = idle_[key];
    while (!list.isEmpty()) {
        const Idle idle = list.takeLast();
        idle.socket->disconnect(this);
        // Bytes waiting on an idle connection belong to no request of ours.
        if (idle.since.elapsed() < kIdleLimitMs && idle.socket->state() == QAbstractSocket::ConnectedState
            && idle.socket->bytesAvailable() == 0) {
            idle.socket->setParent(nullptr);
            return idle.socket;
        }
        idle.socket->deleteLater();
    }
    idle_.remove(key);
    return nullptr;
}

void ConnectionPool::put(const QString &key, QTcpSocket *socket)
{
    QList<Idle> &list = idle_[key];
    if (list.size() >= kIdlePerKey || socket->state() != QAbstractSocket::ConnectedState) {
        socket->deleteLater();
        return;
    }
    socket->setParent(this);
    Idle idle{socket, {}};
    idle.since.start();
    list.append(idle);
    // An idle connection has nothing to say: news on it is its end.
    const auto dropIt = [this, socket] { drop(socket); };
    connect(socket, &QTcpSocket::readyRead, this, dropIt);
    connect(socket, &QTcpSocket::disconnected, this, dropIt);
    connect(socket, &QTcpSocket::errorOccurred, this, dropIt);
}

void ConnectionPool::drop(QTcpSocket *socket)
{
    for (auto it = idle_.begin(); it != idle_.end(); ++it) {
        const qsizetype before = it->size();
        it->removeIf([socket](const Idle &idle) { return idle.socket == socket; });
        if (it->size() != before) {
            if (it->isEmpty())
                idle_.erase(it);
            socket->disconnect(this);
            socket->abort();
            socket->deleteLater();
            return;
        }
    }
}

} // namespace tavimo
