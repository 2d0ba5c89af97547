#pragma once

#include "parse/json_value.h"

#include <QString>

namespace tavimo::testing {

// A compact text of a parsed value for comparing whole trees in one line:
// {key:value,...}, [value,...], 'text', numbers as written, true, false,
// null, and <empty> for the empty value.
QString describe(const JsonValue &value);

} // namespace tavimo::testing
