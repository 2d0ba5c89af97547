#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tavimo::emu {

using QueryItems = std::vector<std::pair<std::string, std::string>>;

// "%XX" sequences decoded, and "+" read as a blank when plusIsBlank.
std::string percentDecode(const std::string &text, bool plusIsBlank = false);
// Every byte outside the unreserved set written as "%XX".
std::string percentEncode(const std::string &text);
// The items of a query part ("a=1&b=2"), names and values decoded.
QueryItems parseQuery(const std::string &query);
std::string queryValue(const QueryItems &items, const std::string &name);
bool hasQueryItem(const QueryItems &items, const std::string &name);

// Text made safe to stand inside HTML text or a quoted attribute.
std::string htmlEscape(const std::string &text);
// A JSON string literal, quotes included, with "/" escaped as the service does.
std::string jsonString(const std::string &text);

// The value of one cookie in a Cookie header, or empty.
std::string cookieValue(const std::string &cookieHeader, const std::string &name);

} // namespace tavimo::emu
