#include "json_describe.h"

namespace tavimo::testing {

QString describe(const JsonValue &value)
{
    switch (value.kind()) {
    case JsonKind::Empty:
        return QStringLiteral("<empty>");
    case JsonKind::Text:
        return u'\'' + value.text() + u'\'';
    case JsonKind::Object: {
        QStringList members;
        for (const auto &[key, member] : value.object())
            members.append(key + u':' + describe(member));
        return u'{' + members.join(u',') + u'}';
    }
    case JsonKind::Array: {
        QStringList elements;
        for (const JsonValue &element : value.array())
            elements.append(describe(element));
        return u'[' + elements.join(u',') + u']';
    }
    default:
        return value.toText();
    }
}

} // namespace tavimo::testing
