#include "net/mod_xml_http.h"

#include "net/curl_engine.h"
#include "net/http_reply.h"

#include <QFile>

namespace tavimo {

ModXmlHttp::ModXmlHttp(QObject *parent) : QObject(parent), engine_(std::make_unique<CurlEngine>()) {}

ModXmlHttp::~ModXmlHttp() { cancelAll(); }

CookieStore &ModXmlHttp::cookies() { return engine_->cookies(); }

void ModXmlHttp::setProxy(const QString &address) { engine_->setProxy(address.toUtf8()); }

void ModXmlHttp::setCertificateAuthorities(const QString &file) { engine_->setCertificateAuthorities(QFile::encodeName(file)); }

HttpReply *ModXmlHttp::createReply(const HttpRequest &request, QObject *parent)
{
    return new HttpReply(*engine_, request, parent);
}

void ModXmlHttp::setStallTimeout(int milliseconds) { stallTimeoutMs_ = qMax(1, milliseconds); }

} // namespace tavimo
