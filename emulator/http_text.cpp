#include "emulator/http_text.h"

#include <cctype>
#include <cstdio>

namespace tavimo::emu {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string trimmed(const std::string &text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

std::string percentDecode(const std::string &text, bool plusIsBlank)
{
    std::string decoded;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else if (text[i] == '+' && plusIsBlank) {
            decoded += ' ';
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

std::string percentEncode(const std::string &text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string encoded;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '-' || c == '_' || c == '.' || c == '~') {
            encoded += c;
        } else {
            encoded += '%';
            encoded += digits[byte >> 4];
            encoded += digits[byte & 15];
        }
    }
    return encoded;
}

QueryItems parseQuery(const std::string &query)
{
    QueryItems items;
    size_t start = 0;
    while (start <= query.size()) {
        size_t end = query.find('&', start);
        if (end == std::string::npos)
            end = query.size();
        const std::string item = query.substr(start, end - start);
        if (!item.empty()) {
            const size_t equals = item.find('=');
            if (equals == std::string::npos)
                items.emplace_back(percentDecode(item, true), std::string());
            else
                items.emplace_back(percentDecode(item.substr(0, equals), true),
                                   percentDecode(item.substr(equals + 1), true));
        }
        start = end + 1;
    }
    return items;
}

std::string queryValue(const QueryItems &items, const std::string &name)
{
    for (const auto &[key, value] : items) {
        if (key == name)
            return value;
    }
    return {};
}

bool hasQueryItem(const QueryItems &items, const std::string &name)
{
    for (const auto &item : items) {
        if (item.first == name)
            return true;
    }
    return false;
}

std::string htmlEscape(const std::string &text)
{
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&#39;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

std::string jsonString(const std::string &text)
{
    std::string literal = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\' || c == '/') {
            literal += '\\';
            literal += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            literal += escape;
        } else {
            literal += c;
        }
    }
    return literal + "\"";
}

std::string cookieValue(const std::string &cookieHeader, const std::string &name)
{
    size_t start = 0;
    while (start < cookieHeader.size()) {
        size_t end = cookieHeader.find(';', start);
        if (end == std::string::npos)
            end = cookieHeader.size();
        const std::string pair = trimmed(cookieHeader.substr(start, end - start));
        const size_t equals = pair.find('=');
        if (equals != std::string::npos && pair.substr(0, equals) == name)
            return pair.substr(equals + 1);
        start = end + 1;
    }
    return {};
}

} // namespace tavimo::emu
