#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tavimo::cli {

// $XDG_CONFIG_HOME/tavimo/tavimo-dl.conf, or ~/.config/tavimo/tavimo-dl.conf
// when the variable is unset.
QString DefaultConfigPath();

// The options of the config file that arguments (argv[0] included) ask for,
// to go before them so that the command line wins: the file --config names,
// else the default file when it is there; none with --ignore-config. A file
// holds options one a line, written as on the command line, and "#"
// comments. Nothing, with error set, when the file cannot be read or a line
// cannot be used; the error names the file and the line.
std::optional<QStringList> ConfigOptions(const QStringList &arguments, QString &error);

// The words of one line of a config or batch file: blanks separate them,
// quotes keep them together, a leading "~/" is the home folder.
QStringList LineWords(const QString &line);

} // namespace tavimo::cli
