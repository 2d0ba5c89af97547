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

QCoro::Task<QString> cJSONScript::Eval(QString sJSON)
{
    const JsonValue script = ParseJson(sJSON);
    const QString errors = LastJsonErrors();
    if (!errors.isEmpty() || script.isEmpty()) {
        co_await dialogs_.messageBox(errors, QStringLiteral("Parser Error"), DialogIcon::Warning);
        co_return QString();
    }
    if (script.isObject()) {
        if (script.object().Count() == 0)
            co_return QString();
        throw ScriptError("a script is an array, not an object");
    }
    cStringBuilder output;
    for (const JsonValue &element : script.array()) {
        if (element.isNumber() || element.isBoolean())
            throw ScriptError("a number, true or false cannot stand alone in a script");
        if (element.isNull()) {
            output.Append(QStringLiteral("null"));
        } else {
            const QString text = co_await ExecCommand(element);
            output.Append(text);
        }
    }
    co_return output.toString();
}

QCoro::Task<QString> cJSONScript::ExecCommand(JsonValue obj)
{
    if (depth_ > kMaxDepth)
        co_return kNestingExceeded;
    DepthGuard guard(depth_);
    co_return co_await evaluateKind(obj);
}

QCoro::Task<QString> cJSONScript::evaluateKind(const JsonValue &obj)
{
    switch (obj.kind()) {
    case JsonKind::Array:
        co_return co_await evaluateArray(obj.array());
    case JsonKind::Object:
        co_return co_await evaluateCommands(obj.object());
    case JsonKind::Number:
        co_return NumberText(obj.number());
    default:
        co_return obj.toText();
    }
}

QCoro::Task<QString> cJSONScript::evaluateArray(const JsonArray &array)
{
    cStringBuilder output;
    for (const JsonValue &element : array)
        output.Append(co_await ExecCommand(element));
    co_return output.toString();
}

QCoro::Task<QString> cJSONScript::evaluateCommands(const JsonObject &commands)
{
    cStringBuilder output;
    for (const auto &[name, argument] : commands)
        output.Append(co_await runCommand(name, argument));
    co_return output.toString();
}

QCoro::Task<QString> cJSONScript::runCommand(const QString &name, const JsonValue &argument)
{
    if (argument.isNumber() || argument.isBoolean() || argument.isNull())
        throw ScriptError(QStringLiteral("\"%1\" cannot take a number, true, false or null").arg(name).toStdString());
    const QString command = name.toLower();
    if (command == u"return") {
        if (argument.isObject() || argument.isArray())
            throw ScriptError("\"return\" takes a text");
        co_return argument.text();
    }
    using Handler = QCoro::Task<QString> (cJSONScript::*)(const JsonObject &);
    static const QList<std::pair<QString, Handler>> handlers = {
        {QStringLiteral("alert"), &cJSONScript::alert},        {QStringLiteral("input"), &cJSONScript::input},
        {QStringLiteral("switch"), &cJSONScript::switchCases}, {QStringLiteral("set"), &cJSONScript::setVariable},
        {QStringLiteral("get"), &cJSONScript::getVariable},    {QStringLiteral("if"), &cJSONScript::compare},
    };
    for (const auto &[known, handler] : handlers) {
        if (command == known)
            co_return co_await (this->*handler)(parameterObject(known, argument));
    }
    co_return Placeholder(name, argument);
}

QCoro::Task<QString> cJSONScript::alert(const JsonObject &params)
{
    const QString message = co_await ExecCommand(params.Item(QStringLiteral("message")));
    const QString title = co_await ExecCommand(params.Item(QStringLiteral("title")));
    co_await dialogs_.messageBox(message, title, DialogIcon::Information);
    co_return QString();
}

QCoro::Task<QString> cJSONScript::input(const JsonObject &params)
{
    const QString prompt = co_await ExecCommand(params.Item(QStringLiteral("prompt")));
    const QString title = co_await ExecCommand(params.Item(QStringLiteral("title")));
    const QString defaultText = co_await ExecCommand(params.Item(QStringLiteral("default")));
    co_return co_await dialogs_.inputBox(prompt, title, defaultText);
}

QCoro::Task<QString> cJSONScript::switchCases(const JsonObject &params)
{
    const QString fallback = co_await ExecCommand(params.Item(QStringLiteral("default")));
    const QString chosen = (co_await ExecCommand(params.Item(QStringLiteral("case")))).toLower();
    const JsonValue items = params.Item(QStringLiteral("items"));
    if (!items.isArray())
        throw ScriptError("\"switch\" needs an array of items");
    for (const JsonValue &item : items.array()) {
        if (!item.isObject())
            throw ScriptError("each item of \"switch\" is an object");
        const std::optional<QString> itemCase = RawText(item.Item(QStringLiteral("case")));
        if (itemCase && itemCase->toLower() == chosen)
            co_return co_await ExecCommand(item.Item(QStringLiteral("return")));
    }
    co_return fallback;
}

QCoro::Task<QString> cJSONScript::setVariable(const JsonObject &params)
{
    const QString name = VariableName(params.Item(QStringLiteral("name")));
    variables_.SetItem(name, co_await ExecCommand(params.Item(QStringLiteral("value"))));
    co_return QString();
}

QCoro::Task<QString> cJSONScript::getVariable(const JsonObject &params)
{
    const QString stored = variables_.Item(VariableName(params.Item(QStringLiteral("name"))));
    if (!stored.isEmpty())
        co_return stored;
    co_return co_await ExecCommand(params.Item(QStringLiteral("default")));
}

QCoro::Task<QString> cJSONScript::compare(const JsonObject &params)
{
    const QString value1 = co_await ExecCommand(params.Item(QStringLiteral("value1")));
    const QString value2 = co_await ExecCommand(params.Item(QStringLiteral("value2")));
    const std::optional<QString> type = RawText(params.Item(QStringLiteral("type")));
    const bool holds = type && Compares(type->toLower(), value1, value2);
    const QString branch = holds ? QStringLiteral("true") : QStringLiteral("false");
    co_return co_await ExecCommand(params.Item(branch));
}

} // namespace tavimo
