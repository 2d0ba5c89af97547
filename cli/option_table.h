#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tavimo::cli {

// One option of tavimo-dl as --help, the manual page and the completions name it.
struct OptionRow {
    QStringList names;
    const char *valueName; // nullptr for a switch
    const char *description;
};

// Every option, in the order --help lists them.
const QList<OptionRow> &OptionRows();

// The text of --help, made from the option table.
QString HelpText();

} // namespace tavimo::cli
