#include "net/cookies_file.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>

namespace tavimo {

namespace {

const QString kHttpOnlyPrefix = QStringLiteral("#HttpOnly_");

QString flag(bool value)
{
    return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

bool parseLine(QString line, QNetworkCookie &cookie)
{
    bool httpOnly = false;
    if (line.startsWith(kHttpOnlyPrefix)) {
        httpOnly = true;
        line = line.mid(kHttpOnlyPrefix.size());
    } else if (line.startsWith(u'#')) {
        return false;
    }
    const QStringList fields = line.split(u'\t');
    if (fields.size() != 7 || fields[0].isEmpty() || fields[5].isEmpty())
        return false;
    bool numeric = false;
    const qint64 expiry = fields[4].toLongLong(&numeric);
    if (!numeric)
        return false;
    cookie = QNetworkCookie(fields[5].toUtf8(), fields[6].toUtf8());
    cookie.setDomain(fields[0]);
    cookie.setPath(fields[2]);
    cookie.setSecure(fields[3] == QStringLiteral("TRUE"));
    cookie.setHttpOnly(httpOnly);
    if (expiry > 0)
        cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(expiry));
    return true;
}

} // namespace

QList<QNetworkCookie> ParseCookiesText(const QString &text)
{
    QList<QNetworkCookie> cookies;
    for (const QString &line : text.split(u'\n')) {
        QNetworkCookie cookie;
        if (parseLine(line.trimmed(), cookie))
            cookies.append(cookie);
    }
    return cookies;
}

QString CookiesText(const QList<QNetworkCookie> &cookies)
{
    QString text = QStringLiteral("# Netscape HTTP Cookie File\n");
    for (const QNetworkCookie &cookie : cookies) {
        const QString domain = cookie.domain();
        const qint64 expiry = cookie.isSessionCookie() ? 0 : cookie.expirationDate().toSecsSinceEpoch();
        const QStringList fields = {
            (cookie.isHttpOnly() ? kHttpOnlyPrefix : QString()) + domain,
            flag(domain.startsWith(u'.')),
            cookie.path().isEmpty() ? QStringLiteral("/") : cookie.path(),
            flag(cookie.isSecure()),
            QString::number(expiry),
            QString::fromUtf8(cookie.name()),
            QString::fromUtf8(cookie.value()),
        };
        text += fields.join(u'\t') + u'\n';
    }
    return text;
}

QList<QNetworkCookie> ReadCookiesFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ParseCookiesText(QString::fromUtf8(file.readAll()));
}

bool WriteCookiesFile(const QString &path, const QList<QNetworkCookie> &cookies)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(CookiesText(cookies).toUtf8());
    return file.commit();
}

} // namespace tavimo
