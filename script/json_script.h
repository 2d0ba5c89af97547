#pragma once

#include "parse/dictionary.h"
#include "parse/json_value.h"

#include <QString>

#include <stdexcept>

namespace tavimo {

class Dialogs;

// A script that cannot be evaluated: a value of a kind that no command takes
// where a command needs one (a number as a top-level element, an object as
// the text of "return", a "switch" whose items are not an array, ...).
class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs command scripts written as JSON arrays: texts are copied to the
// output, objects are lists of commands (message box, input box, variables,
// comparison, case selection, fixed text). Members that name no known
// command come out as "<%NAME(arguments)%>" placeholders for a later stage.
// Variables live as long as the evaluator. Not for use by two callers at once.
class cJSONScript {
public:
    // Boxes are shown through dialogs, which must outlive the evaluator.
    explicit cJSONScript(Dialogs &dialogs);

    // The script's output. A text that does not parse shows one "Parser
    // Error" box and yields the empty text; an invalid script throws
    // ScriptError.
    QString Eval(const QString &sJSON);

    // The output of evaluating one value. More than 41 evaluations in
    // progress at once yield "ERROR: Nesting level exceeded." instead.
    QString ExecCommand(const JsonValue &obj);

private:
    QString evaluateKind(const JsonValue &obj);
    QString evaluateArray(const JsonArray &array);
    QString evaluateCommands(const JsonObject &commands);
    QString runCommand(const QString &name, const JsonValue &argument);

    QString alert(const JsonObject &params);
    QString input(const JsonObject &params);
    QString switchCases(const JsonObject &params);
    QString setVariable(const JsonObject &params);
    QString getVariable(const JsonObject &params);
    QString compare(const JsonObject &params);

    Dialogs &dialogs_;
    int depth_ = 0;
    Dictionary<QString> variables_;
};

} // namespace tavimo
