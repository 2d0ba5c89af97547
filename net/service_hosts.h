#pragma once

#include <QString>

namespace tavimo {

// The three hosts of the service, each a value written after "http://".
// Every component takes them from one value, so tests and the demo can point
// the whole program at the emulator.
struct ServiceHosts {
    QString radio;
    QString catalogue;
    QString audio;

    static ServiceHosts builtIn()
    {
        return {QStringLiteral("radio.tavimo.com"), QStringLiteral("music.tavimo.com"),
                QStringLiteral("audio.tavimo.com")};
    }

    QString radioAddress(const QString &path) const { return QStringLiteral("http://") + radio + path; }
    QString catalogueAddress(const QString &path) const { return QStringLiteral("http://") + catalogue + path; }
    QString audioAddress(const QString &path) const { return QStringLiteral("http://") + audio + path; }
};

} // namespace tavimo
