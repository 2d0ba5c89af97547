#include "net/loopback_proxy_factory.h"

#include <QHostAddress>

namespace tavimo {

namespace {

bool isLoopbackHost(const QString &host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

} // namespace

QList<QNetworkProxy> LoopbackProxyFactory::queryProxy(const QNetworkProxyQuery &query)
{
    if (isLoopbackHost(query.peerHostName()))
        return {QNetworkProxy(QNetworkProxy::NoProxy)};
    return systemProxyForQuery(query);
}

} // namespace tavimo
