#include "net/access_manager.h"

#include "net/socket_reply.h"

namespace tavimo {

QNetworkReply *AccessManager::createRequest(Operation op, const QNetworkRequest &request, QIODevice *outgoingData)
{
    const bool straightToFile = op == GetOperation && request.attribute(kStraightToFileAttribute).toBool()
        && request.url().scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0;
    if (!straightToFile)
        return QNetworkAccessManager::createRequest(op, request, outgoingData);
    const auto otherwise = [this](const QNetworkRequest &next) {
        return QNetworkAccessManager::createRequest(GetOperation, next, nullptr);
    };
    return new SocketReply(request, *this, pool_, otherwise);
}

} // namespace tavimo
