#include "cli/run_settings.h"

#include "download/download_root.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace tavimo::cli {

std::optional<ServiceHosts> HostsFromSetting(const QString &setting)
{
    const QStringList parts = setting.split(u',');
    if (parts.size() != 3)
        return std::nullopt;
    for (const QString &part : parts) {
        if (part.trimmed().isEmpty() || part.contains(u'/'))
            return std::nullopt;
    }
    return ServiceHosts{parts.at(0).trimmed(), parts.at(1).trimmed(), parts.at(2).trimmed()};
}

QString ChooseDownloadRoot(const QString &requested)
{
    if (requested.isEmpty())
        return DefaultDownloadRoot();
    QString root = QDir::cleanPath(QDir(requested).absolutePath());
    if (!QDir().mkpath(root) || !QFileInfo(root).isWritable())
        return QString();
    return root;
}

int PauseSetting()
{
    bool isNumber = false;
    const int value = qEnvironmentVariableIntValue("TAVIMO_PAUSE_MS", &isNumber);
    return isNumber && value >= 0 ? value : -1;
}

QString TitleOf(const QString &path)
{
    return QFileInfo(path).completeBaseName();
}

} // namespace tavimo::cli
