#include "net/cookies_file.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>

namespace tavimo {

namespace {

constexpr qint64 kMaxFileSize = 8 * 1024 * 1024;
const QByteArray kHttpOnlyPrefix = QByteArrayLiteral("#HttpOnly_");

QByteArray flag(bool value)
{
    return value ? QByteArrayLiteral("TRUE") : QByteArrayLiteral("FALSE");
}

bool readFlag(const QByteArray &field, bool &value)
{
    if (field != "TRUE" && field != "FALSE")
        return false;
    value = field == "TRUE";
    return true;
}

// One cookie line without its HttpOnly prefix; false when it is unreadable.
bool parseCookieLine(const QByteArray &line, bool httpOnly, QNetworkCookie &cookie)
{
    QList<QByteArray> fields = line.split('\t');
    if (fields.size() == 6)
        fields.append(QByteArray()); // some exporters drop the TAB of an empty value
    bool subdomains = false;
    bool secure = false;
    bool isNumber = false;
    const qint64 expiry = fields.size() == 7 ? fields.at(4).toLongLong(&isNumber) : 0;
    if (fields.size() != 7 || !readFlag(fields.at(1), subdomains) || !readFlag(fields.at(3), secure) ||
        !isNumber || expiry < 0 || fields.at(0).isEmpty() || fields.at(5).isEmpty())
        return false;

    QString domain = QString::fromUtf8(fields.at(0));
    if (subdomains && !domain.startsWith(u'.'))
        domain.prepend(u'.');
    cookie = QNetworkCookie(fields.at(5), fields.at(6));
    cookie.setDomain(domain);
    cookie.setPath(QString::fromUtf8(fields.at(2)));
    cookie.setSecure(secure);
    cookie.setHttpOnly(httpOnly);
    // Expiry 0 marks a cookie of the browser session: it has no end date.
    if (expiry > 0)
        cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(expiry, Qt::UTC));
    return true;
}

} // namespace

CookiesFile ParseCookiesText(const QByteArray &text)
{
    CookiesFile result;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const bool httpOnly = line.startsWith(kHttpOnlyPrefix);
        if (httpOnly)
            line.remove(0, kHttpOnlyPrefix.size());
        else if (line.startsWith('#') || line.trimmed().isEmpty())
            continue;
        QNetworkCookie cookie;
        if (parseCookieLine(line, httpOnly, cookie))
            result.cookies.append(cookie);
        else
            ++result.unreadableLines;
    }
    return result;
}

QByteArray CookiesText(const QList<QNetworkCookie> &cookies)
{
    QByteArray text = QByteArrayLiteral("# Netscape HTTP Cookie File\n");
    for (const QNetworkCookie &cookie : cookies) {
        const QByteArray domain = cookie.domain().toUtf8();
        const qint64 expiry = cookie.isSessionCookie() ? 0 : cookie.expirationDate().toSecsSinceEpoch();
        const QList<QByteArray> fields = {
            (cookie.isHttpOnly() ? kHttpOnlyPrefix : QByteArray()) + domain,
            flag(domain.startsWith('.')),
            cookie.path().isEmpty() ? QByteArrayLiteral("/") : cookie.path().toUtf8(),
            flag(cookie.isSecure()),
            QByteArray::number(expiry),
            cookie.name(),
            cookie.value(),
        };
        text += fields.join('\t') + '\n';
    }
    return text;
}

bool ReadCookiesFile(const QString &path, CookiesFile &result, QString &error)
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
    result = ParseCookiesText(file.readAll());
    return true;
}

bool WriteCookiesFile(const QString &path, const QList<QNetworkCookie> &cookies)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(CookiesText(cookies));
    return file.commit();
}

} // namespace tavimo
