#include "net/cookie_store.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>
#include <QUrl>

namespace tavimo {

namespace {

constexpr qint64 kMaxFileSize = qint64(8) * 1024 * 1024;
const QByteArray kHttpOnlyPrefix = QByteArrayLiteral("#HttpOnly_");

CURL *NewControlHandle(CURLSH *share)
{
    CURL *easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_SHARE, share);
    return easy;
}

// The fields of one of curl's cookie lines; fewer than seven when it is not one.
QList<QByteArray> Fields(const QByteArray &line)
{
    return (line.startsWith(kHttpOnlyPrefix) ? line.mid(kHttpOnlyPrefix.size()) : line).split('\t');
}

bool HasExpired(const QList<QByteArray> &fields)
{
    const qint64 expiry = fields.value(4).toLongLong();
    return expiry > 0 && expiry < QDateTime::currentSecsSinceEpoch();
}

// Whether a cookie of this domain and subdomains flag goes to host.
bool DomainMatches(QByteArray domain, bool subdomains, const QByteArray &host)
{
    if (domain.startsWith('.'))
        domain.remove(0, 1);
    const QByteArray lowerHost = host.toLower();
    domain = domain.toLower();
    return lowerHost == domain || (subdomains && lowerHost.endsWith('.' + domain));
}

} // namespace

CookieStore::CookieStore(CURLSH *share) : share_(share), control_(NewControlHandle(share)) {}

CookieStore::~CookieStore()
{
    curl_easy_cleanup(control_);
}

void CookieStore::insert(const QByteArray &line)
{
    curl_easy_setopt(control_, CURLOPT_COOKIELIST, line.constData());
}

QList<QByteArray> CookieStore::lines() const
{
    curl_slist *list = nullptr;
    curl_easy_getinfo(control_, CURLINFO_COOKIELIST, &list);
    QList<QByteArray> result;
    for (const curl_slist *item = list; item != nullptr; item = item->next) {
        const QByteArray line(item->data);
        if (!HasExpired(Fields(line)))
            result.append(line);
    }
    curl_slist_free_all(list);
    return result;
}

bool CookieStore::holdsCookieFor(const QString &host) const
{
    const QByteArray name = QUrl(QStringLiteral("http://") + host).host().toUtf8();
    for (const QByteArray &line : lines()) {
        const QList<QByteArray> fields = Fields(line);
        if (fields.size() >= 7 && DomainMatches(fields.at(0), fields.at(1) == "TRUE", name))
            return true;
    }
    return false;
}

bool CookieStore::load(const QString &path, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.exists() ? QStringLiteral("无法读取该文件") : QStringLiteral("文件不存在");
        return false;
    }
    if (file.size() > kMaxFileSize) {
        error = QStringLiteral("文件过大, 不是 cookies.txt 文件");
        return false;
    }
    // curl reads the file; a handle of its own, so no earlier file is read again.
    CURL *reader = NewControlHandle(share_);
    curl_easy_setopt(reader, CURLOPT_COOKIEFILE, QFile::encodeName(path).constData());
    curl_easy_setopt(reader, CURLOPT_COOKIELIST, "RELOAD");
    curl_easy_cleanup(reader);
    return true;
}

bool CookieStore::save(const QString &path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QByteArray text = QByteArrayLiteral("# Netscape HTTP Cookie File\n");
    for (const QByteArray &line : lines())
        text += line + '\n';
    file.write(text);
    return file.commit();
}

} // namespace tavimo
