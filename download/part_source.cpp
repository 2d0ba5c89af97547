#include "download/part_source.h"

#include <QByteArray>
#include <QFile>

#include <sys/xattr.h>

namespace tavimo {

namespace {

constexpr char kSourceAttribute[] = "user.tavimo.source";
// Far above any track address; a longer value is not one this program wrote.
constexpr ssize_t kMaxSourceBytes = ssize_t(16) * 1024;

} // namespace

bool RecordPartSource(const QString &partPath, const QString &address)
{
    const QByteArray path = QFile::encodeName(partPath);
    const QByteArray value = address.toUtf8();
    if (setxattr(path.constData(), kSourceAttribute, value.constData(), size_t(value.size()), 0) == 0)
        return true;
    // A source left from earlier bytes would vouch for the new ones.
    removexattr(path.constData(), kSourceAttribute);
    return false;
}

void ForgetPartSource(const QString &partPath)
{
    removexattr(QFile::encodeName(partPath).constData(), kSourceAttribute);
}

QString PartSource(const QString &partPath)
{
    const QByteArray path = QFile::encodeName(partPath);
    QByteArray value(kMaxSourceBytes, Qt::Uninitialized);
    const ssize_t size = getxattr(path.constData(), kSourceAttribute, value.data(), size_t(value.size()));
    if (size <= 0)
        return QString();
    value.truncate(size);
    return QString::fromUtf8(value);
}

} // namespace tavimo
