#include "cli/progress_meter.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace tavimo::cli {

namespace {

constexpr int kBarWidth = 20;
constexpr int kNameWidth = 24;

QString Bar(qint64 received, qint64 total)
{
    const int filled = total > 0 ? static_cast<int>(std::min<qint64>(received, total) * kBarWidth / total) : 0;
    return QLatin1Char('[') + QString(filled, u'#') + QString(kBarWidth - filled, u'-') + QLatin1Char(']');
}

QString Duration(qint64 seconds)
{
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString ShortName(const QString &name)
{
    return name.size() <= kNameWidth ? name : name.left(kNameWidth - 1) + QChar(u'…');
}

} // namespace

QString FormatBytes(qint64 bytes)
{
    if (bytes >= qint64(1024) * 1024)
        return QString::number(static_cast<double>(bytes) / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MB");
    if (bytes >= 1024)
        return QString::number(bytes / 1024) + QStringLiteral(" KB");
    return QString::number(bytes) + QStringLiteral(" B");
}

QString FormatProgress(const QString &name, qint64 received, qint64 total, double bytesPerSecond)
{
    QString line = ShortName(name);
    if (total > 0) {
        line += QLatin1String("  ") + Bar(received, total) +
                QStringLiteral(" %1%").arg(std::min<qint64>(received, total) * 100 / total, 3);
        line += QLatin1String("  ") + FormatBytes(received) + QLatin1Char('/') + FormatBytes(total);
    } else {
        line += QLatin1String("  ") + FormatBytes(received);
    }
    if (bytesPerSecond > 0) {
        line += QLatin1String("  ") + FormatBytes(static_cast<qint64>(bytesPerSecond)) + QStringLiteral("/s");
        if (total > 0 && received < total)
            line += QStringLiteral("  剩余 ") +
                    Duration(std::llround(static_cast<double>(total - received) / bytesPerSecond));
    }
    return line;
}

void ProgressMeter::report(const QString &path, qint64 received, qint64 total)
{
    auto start = starts_.find(path);
    if (start == starts_.end()) {
        start = starts_.insert(path, Start{});
        start->clock.start();
        start->bytes = received;
    }
    const qint64 elapsedMs = start->clock.elapsed();
    const double rate = elapsedMs > 0
                            ? static_cast<double>(received - start->bytes) * 1000.0 / static_cast<double>(elapsedMs)
                            : 0.0;
    out_.progress(FormatProgress(QFileInfo(path).fileName(), received, total, rate));
    if (total >= 0 && received >= total)
        starts_.erase(start);
}

} // namespace tavimo::cli
