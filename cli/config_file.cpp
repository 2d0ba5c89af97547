#include "cli/config_file.h"

#include "cli/cli_options.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>

namespace tavimo::cli {

namespace {

// The file the arguments name with --config (or --config=FILE), else empty.
QString NamedConfig(const QStringList &arguments)
{
    QString named;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--"))
            break;
        if (arguments.at(i) == QLatin1String("--config") && i + 1 < arguments.size())
            named = arguments.at(++i);
        else if (arguments.at(i).startsWith(QLatin1String("--config=")))
            named = arguments.at(i).section(u'=', 1);
    }
    return named;
}

} // namespace

QString DefaultConfigPath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/tavimo/tavimo-dl.conf");
}

QStringList LineWords(const QString &line)
{
    QStringList words = QProcess::splitCommand(line);
    for (QString &word : words) {
        if (word.startsWith(QLatin1String("~/")))
            word = QDir::homePath() + word.mid(1);
    }
    return words;
}

std::optional<QStringList> ConfigOptions(const QStringList &arguments, QString &error)
{
    if (arguments.contains(QStringLiteral("--ignore-config")))
        return QStringList();
    const QString named = NamedConfig(arguments);
    const QString path = named.isEmpty() ? DefaultConfigPath() : named;
    if (named.isEmpty() && !QFileInfo::exists(path))
        return QStringList();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("无法读取配置文件 %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(file.readAll());
    if (utf8.hasError()) {
        error = QStringLiteral("配置文件 %1 不是 UTF-8 文本").arg(path);
        return std::nullopt;
    }
    QStringList options;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList words = LineWords(line);
        if (const QString wrong = GeneralOptionsError(words); !wrong.isEmpty()) {
            error = QStringLiteral("配置文件 %1 第 %2 行: %3").arg(path).arg(i + 1).arg(wrong);
            return std::nullopt;
        }
        options += words;
    }
    return options;
}

} // namespace tavimo::cli
