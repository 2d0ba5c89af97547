#pragma once

#include "parse/dictionary.h"
#include "parse/json_value.h"

#include <QString>

#include <qcoro/qcorotask.h>

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

    // A task of the script's output, ending once every box it shows was
    // dismissed. A text that does not parse shows one "Parser Error" box and
    // yields the empty text; an invalid script throws ScriptError from the
    // co_await.
    QCoro::Task<QString> Eval(QString sJSON);

    // The output of evaluating one value. More than 41 evaluations in
    // progress at once yield "ERROR: Nesting level exceeded." instead.
    QCoro::Task<QString> ExecCommand(JsonValue obj);

private:
    QCoro::Task<QString> evaluateKind(const JsonValue &obj);
    QCoro::Task<QString> evaluateArray(const JsonArray &array);
    QCoro::Task<QString> evaluateCommands(const JsonObject &commands);
    QCoro::Task<QString> runCommand(const QString &name, const JsonValue &argument);

    QCoro::Task<QString> alert(const JsonObject &params);
    QCoro::Task<QString> input(const JsonObject &params);
    QCoro::Task<QString> switchCases(const JsonObject &params);
    QCoro::Task<QString> setVariable(const JsonObject &params);
    QCoro::Task<QString> getVariable(const JsonObject &params);
    QCoro::Task<QString> compare(const JsonObject &params);

    Dialogs &dialogs_;
    int depth_ = 0;
    Dictionary<QString> variables_;
};

} // namespace tavimo
