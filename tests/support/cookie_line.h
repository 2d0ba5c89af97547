#pragma once

#include <QByteArray>
#include <QString>

namespace tavimo::test {

// A session cookie "name=value" for host (its port left out) as a line of
// cookies.txt.
inline QByteArray CookieLine(const QString &host, const QByteArray &nameValue)
{
    const qsizetype equals = nameValue.indexOf('=');
    return host.section(u':', 0, 0).toUtf8() + "\tFALSE\t/\tFALSE\t0\t" + nameValue.left(equals) + '\t'
         + nameValue.mid(equals + 1);
}

} // namespace tavimo::test
