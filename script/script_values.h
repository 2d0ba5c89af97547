#pragma once

#include "parse/decimal.h"
#include "parse/json_value.h"

#include <QString>

#include <optional>

namespace tavimo {

// How the script evaluator writes and reads values that it does not evaluate.

// A number as a script's output writes it: a point as decimal separator
// under every locale.
QString NumberText(const Decimal &number);

// A number as the user's locale writes it (decimal separator and sign).
QString LocaleNumberText(const Decimal &number);

// A raw parameter as text: numbers with a point, true/false as "true"/"false",
// an absent one as "". Null has no text (nullopt); an object or an array
// throws ScriptError.
std::optional<QString> RawText(const JsonValue &value);

// A raw "name" parameter; throws ScriptError for one without a text form.
QString VariableName(const JsonValue &value);

// The tests of "if": "eq" ignores letter case, the others compare code unit
// by code unit; an unknown type never holds.
bool Compares(const QString &type, const QString &value1, const QString &value2);

// "<%NAME(arguments)%>" for a member that names no known command.
QString Placeholder(const QString &name, const JsonValue &argument);

} // namespace tavimo
