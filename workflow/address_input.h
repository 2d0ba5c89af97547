#pragma once

#include "download/file_names.h"

#include <QString>

namespace tavimo {

// True for a non-empty run of the digits 0-9 and nothing else. Signs, decimal
// points, exponents and separators are refused, since the text ends up in a
// request address.
bool ReadsAsNumber(const QString &text);

// The identifier left of a typed catalogue address: every occurrence of the
// address prefix removed, then every "/", then the blanks at both ends.
QString IdentifierFromAddress(const QString &input, const QString &addressPrefix);

} // namespace tavimo
