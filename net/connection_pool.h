#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

class QTcpSocket;

namespace tavimo {

// Kept-alive connections waiting for the next request to the same place.
// A connection the server closes or writes to while it waits is dropped.
class ConnectionPool : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~ConnectionPool() override;

    // An idle connection to key, now the caller's, or nullptr.
    QTcpSocket *take(const QString &key);
    // Keeps a connection whose last response has been read to its end.
    void put(const QString &key, QTcpSocket *socket);

private:
    struct Idle {
        QTcpSocket *socket;
        QElapsedTimer since;
    };
    void drop(QTcpSocket *socket);

    QHash<QString, QList<Idle>> idle_;
};

} // namespace tavimo
