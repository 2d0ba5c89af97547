#pragma once

#include "parse/json_value.h"

#include <QByteArray>
#include <QString>

namespace tavimo {

// Reads a service reply or script as lenient JSON: comments and parentheses
// are skipped, keys may be bare or single-quoted, strings single-quoted,
// commas are optional. Returns the top-level object or array, or the empty
// value when the text does not begin with one. Never throws; problems are
// collected as lines of text for LastJsonErrors.
JsonValue ParseJson(const QString &text);
// Decodes UTF-8 once, then parses.
JsonValue ParseJsonUtf8(const QByteArray &utf8);

// The errors of the most recent parse on this thread, one line each ending
// in CR LF ("Invalid JSON" alone when the text held no object or array);
// empty when none was found.
QString LastJsonErrors();

} // namespace tavimo
