#pragma once

#include <QNetworkProxyFactory>

namespace tavimo {

// The system's proxy settings (http_proxy, no_proxy and the like), except
// that addresses on this machine are always reached directly: a proxy cannot
// reach the loopback service it would be asked for.
class LoopbackProxyFactory : public QNetworkProxyFactory {
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery &query) override;
};

} // namespace tavimo
