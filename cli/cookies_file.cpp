#include "cli/cookies_file.h"

#include <QDateTime>
#include <QFile>
#include <QList>

namespace tavimo::cli {

namespace {

constexpr qint64 kMaxFileSize = 8 * 1024 * 1024;
const QByteArray kHttpOnlyPrefix = QByteArrayLiteral("#HttpOnly_");

bool ReadFlag(const QByteArray &field, bool &flag)
{
    if (field == "TRUE" || field == "FALSE") {
        flag = field == "TRUE";
        return true;
    }
    return false;
}

// One cookie line without its HttpOnly prefix; false when it is unreadable.
bool ParseCookieLine(const QByteArray &line, bool httpOnly, QNetworkCookie &cookie)
{
    QList<QByteArray> fields = line.split('\t');
    if (fields.size() == 6)
        fields.append(QByteArray()); // some exporters drop the TAB of an empty value
    bool subdomains = false;
    bool secure = false;
    bool isNumber = false;
    const qint64 expiry = fields.size() == 7 ? fields.at(4).toLongLong(&isNumber) : 0;
    if (fields.size() != 7 || !ReadFlag(fields.at(1), subdomains) || !ReadFlag(fields.at(3), secure) ||
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
        if (ParseCookieLine(line, httpOnly, cookie))
            result.cookies.append(cookie);
        else
            ++result.unreadableLines;
    }
    return result;
}

bool ReadCookiesFile(const QString &path, CookiesFile &result, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    if (file.size() > kMaxFileSize) {
        error = QStringLiteral("file too large for a cookies file");
        return false;
    }
    result = ParseCookiesText(file.readAll());
    return true;
}

} // namespace tavimo::cli
