#include "script/script_values.h"

#include "script/json_script.h"

#include <QLocale>
#include <QStringList>

namespace tavimo {
namespace {

// A member of a placeholder's parameter object, as the argument list writes it.
QString argumentText(const QString &key, const JsonValue &value)
{
    switch (value.kind()) {
    case JsonKind::Text:
        return value.text();
    case JsonKind::Number:
        return LocaleNumberText(value.number());
    case JsonKind::Boolean:
        return value.toText();
    case JsonKind::Empty:
        return QString();
    default:
        throw ScriptError(QStringLiteral("argument \"%1\" has no text form").arg(key).toStdString());
    }
}

QString argumentList(const JsonValue &argument)
{
    if (argument.isText())
        return argument.text();
    QStringList arguments;
    if (argument.isObject()) {
        for (const auto &[key, value] : argument.object())
            arguments.append(argumentText(key, value));
    }
    return arguments.join(u',');
}

} // namespace

QString NumberText(const Decimal &number)
{
    return number.toText(u'.');
}

QString LocaleNumberText(const Decimal &number)
{
    const QLocale locale;
    QString text = number.toText(u'.');
    text.replace(u'.', locale.decimalPoint());
    if (text.startsWith(u'-'))
        text.replace(0, 1, locale.negativeSign());
    return text;
}

std::optional<QString> RawText(const JsonValue &value)
{
    switch (value.kind()) {
    case JsonKind::Null:
        return std::nullopt;
    case JsonKind::Object:
    case JsonKind::Array:
        throw ScriptError("an object or an array where a text is needed");
    case JsonKind::Number:
        return NumberText(value.number());
    default:
        return value.toText();
    }
}

QString VariableName(const JsonValue &value)
{
    const std::optional<QString> name = RawText(value);
    if (!name)
        throw ScriptError("a variable name cannot be null");
    return *name;
}

bool Compares(const QString &type, const QString &value1, const QString &value2)
{
    if (type == u"eq")
        return QString::compare(value1, value2, Qt::CaseInsensitive) == 0;
    if (type == u"gt")
        return value1 > value2;
    if (type == u"lt")
        return value1 < value2;
    if (type == u"gte")
        return value1 >= value2;
    if (type == u"lte")
        return value1 <= value2;
    return false;
}

QString Placeholder(const QString &name, const JsonValue &argument)
{
    return QStringLiteral("<%") + name.toUpper() + u'(' + argumentList(argument) + QStringLiteral(")%>");
}

} // namespace tavimo
