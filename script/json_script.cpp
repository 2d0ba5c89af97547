#include "script/json_script.h"

#include "parse/json.h"
#include "parse/string_builder.h"
#include "script/dialogs.h"
#include "script/script_values.h"

namespace tavimo {
namespace {

constexpr int kMaxDepth = 40;
const QString kNestingExceeded = QStringLiteral("ERROR: Nesting level exceeded.");

// Counts one evaluation in progress for as long as it lives, so the depth is
// right again even when the evaluation fails part way.
class DepthGuard {
public:
    explicit DepthGuard(int &depth) : depth_(depth) { ++depth_; }
    ~DepthGuard() { --depth_; }
    DepthGuard(const DepthGuard &) = delete;
    DepthGuard &operator=(const DepthGuard &) = delete;

private:
    int &depth_;
};

const JsonObject &parameterObject(const QString &command, const JsonValue &argument)
{
    if (!argument.isObject())
        throw ScriptError(QStringLiteral("\"%1\" needs a parameter object").arg(command).toStdString());
    return argument.object();
}

} // namespace

cJSONScript::cJSONScript(Dialogs &dialogs) : dialogs_(dialogs) {}

QString cJSONScript::Eval(const QString &sJSON)
{
    const JsonValue script = ParseJson(sJSON);
    const QString errors = LastJsonErrors();
    if (!errors.isEmpty() || script.isEmpty()) {
        dialogs_.messageBox(errors, QStringLiteral("Parser Error"), DialogIcon::Warning);
        return QString();
    }
    if (script.isObject()) {
        if (script.object().Count() == 0)
            return QString();
        throw ScriptError("a script is an array, not an object");
    }
    cStringBuilder output;
    for (const JsonValue &element : script.array()) {
        if (element.isNumber() || element.isBoolean())
            throw ScriptError("a number, true or false cannot stand alone in a script");
        output.Append(element.isNull() ? QStringLiteral("null") : ExecCommand(element));
    }
    return output.toString();
}

QString cJSONScript::ExecCommand(const JsonValue &obj)
{
    if (depth_ > kMaxDepth)
        return kNestingExceeded;
    DepthGuard guard(depth_);
    return evaluateKind(obj);
}

QString cJSONScript::evaluateKind(const JsonValue &obj)
{
    switch (obj.kind()) {
    case JsonKind::Array:
        return evaluateArray(obj.array());
    case JsonKind::Object:
        return evaluateCommands(obj.object());
    case JsonKind::Number:
        return NumberText(obj.number());
    default:
        return obj.toText();
    }
}

QString cJSONScript::evaluateArray(const JsonArray &array)
{
    cStringBuilder output;
    for (const JsonValue &element : array)
        output.Append(ExecCommand(element));
    return output.toString();
}

QString cJSONScript::evaluateCommands(const JsonObject &commands)
{
    cStringBuilder output;
    for (const auto &[name, argument] : commands)
        output.Append(runCommand(name, argument));
    return output.toString();
}

QString cJSONScript::runCommand(const QString &name, const JsonValue &argument)
{
    if (argument.isNumber() || argument.isBoolean() || argument.isNull())
        throw ScriptError(QStringLiteral("\"%1\" cannot take a number, true, false or null").arg(name).toStdString());
    const QString command = name.toLower();
    if (command == u"return") {
        if (argument.isObject() || argument.isArray())
            throw ScriptError("\"return\" takes a text");
        return argument.text();
    }
    using Handler = QString (cJSONScript::*)(const JsonObject &);
    static const QList<std::pair<QString, Handler>> handlers = {
        {QStringLiteral("alert"), &cJSONScript::alert},        {QStringLiteral("input"), &cJSONScript::input},
        {QStringLiteral("switch"), &cJSONScript::switchCases}, {QStringLiteral("set"), &cJSONScript::setVariable},
        {QStringLiteral("get"), &cJSONScript::getVariable},    {QStringLiteral("if"), &cJSONScript::compare},
    };
    for (const auto &[known, handler] : handlers) {
        if (command == known)
            return (this->*handler)(parameterObject(known, argument));
    }
    return Placeholder(name, argument);
}

QString cJSONScript::alert(const JsonObject &params)
{
    const QString message = ExecCommand(params.Item(QStringLiteral("message")));
    const QString title = ExecCommand(params.Item(QStringLiteral("title")));
    dialogs_.messageBox(message, title, DialogIcon::Information);
    return QString();
}

QString cJSONScript::input(const JsonObject &params)
{
    const QString prompt = ExecCommand(params.Item(QStringLiteral("prompt")));
    const QString title = ExecCommand(params.Item(QStringLiteral("title")));
    const QString defaultText = ExecCommand(params.Item(QStringLiteral("default")));
    return dialogs_.inputBox(prompt, title, defaultText);
}

QString cJSONScript::switchCases(const JsonObject &params)
{
    const QString fallback = ExecCommand(params.Item(QStringLiteral("default")));
    const QString chosen = ExecCommand(params.Item(QStringLiteral("case"))).toLower();
    const JsonValue items = params.Item(QStringLiteral("items"));
    if (!items.isArray())
        throw ScriptError("\"switch\" needs an array of items");
    for (const JsonValue &item : items.array()) {
        if (!item.isObject())
            throw ScriptError("each item of \"switch\" is an object");
        const std::optional<QString> itemCase = RawText(item.Item(QStringLiteral("case")));
        if (itemCase && itemCase->toLower() == chosen)
            return ExecCommand(item.Item(QStringLiteral("return")));
    }
    return fallback;
}

QString cJSONScript::setVariable(const JsonObject &params)
{
    const QString name = VariableName(params.Item(QStringLiteral("name")));
    variables_.SetItem(name, ExecCommand(params.Item(QStringLiteral("value"))));
    return QString();
}

QString cJSONScript::getVariable(const JsonObject &params)
{
    const QString stored = variables_.Item(VariableName(params.Item(QStringLiteral("name"))));
    if (!stored.isEmpty())
        return stored;
    return ExecCommand(params.Item(QStringLiteral("default")));
}

QString cJSONScript::compare(const JsonObject &params)
{
    const QString value1 = ExecCommand(params.Item(QStringLiteral("value1")));
    const QString value2 = ExecCommand(params.Item(QStringLiteral("value2")));
    const std::optional<QString> type = RawText(params.Item(QStringLiteral("type")));
    const bool holds = type && Compares(type->toLower(), value1, value2);
    return ExecCommand(params.Item(holds ? QStringLiteral("true") : QStringLiteral("false")));
}

} // namespace tavimo
