#pragma once

#include "net/connection_pool.h"

#include <QNetworkAccessManager>
#include <QNetworkRequest>

namespace tavimo {

// Marks a GET whose body goes straight into a file (a bool).
constexpr auto kStraightToFileAttribute = QNetworkRequest::Attribute(QNetworkRequest::User + 1);

// The program's QNetworkAccessManager. A marked GET of a plain http address
// is answered in this thread by a SocketReply, which reads the body from
// the socket into the caller's buffer; everything else (pages, https) goes
// through Qt's own HTTP stack. Both use the one cookie jar and proxy factory.
class AccessManager : public QNetworkAccessManager {
    Q_OBJECT
public:
    using QNetworkAccessManager::QNetworkAccessManager;

protected:
    QNetworkReply *createRequest(Operation op, const QNetworkRequest &request, QIODevice *outgoingData) override;

private:
    ConnectionPool pool_;
};

} // namespace tavimo
