#include "parse/json_value.h"

namespace tavimo {

JsonValue::JsonValue(std::shared_ptr<JsonObject> object) : data_(std::move(object))
{
    if (!std::get<std::shared_ptr<JsonObject>>(data_))
        data_ = Empty();
}

JsonValue::JsonValue(std::shared_ptr<JsonArray> array) : data_(std::move(array))
{
    if (!std::get<std::shared_ptr<JsonArray>>(data_))
        data_ = Empty();
}

JsonValue JsonValue::null()
{
    JsonValue value;
    value.data_ = Null();
    return value;
}

bool JsonValue::toBool() const
{
    const bool *value = std::get_if<bool>(&data_);
    return value && *value;
}

Decimal JsonValue::number() const
{
    const Decimal *value = std::get_if<Decimal>(&data_);
    return value ? *value : Decimal();
}

QString JsonValue::text() const
{
    const QString *value = std::get_if<QString>(&data_);
    return value ? *value : QString();
}

const JsonObject &JsonValue::object() const
{
    static const JsonObject none;
    const auto *value = std::get_if<std::shared_ptr<JsonObject>>(&data_);
    return value ? **value : none;
}

const JsonArray &JsonValue::array() const
{
    static const JsonArray none;
    const auto *value = std::get_if<std::shared_ptr<JsonArray>>(&data_);
    return value ? **value : none;
}

std::shared_ptr<JsonObject> JsonValue::objectPtr() const
{
    const auto *value = std::get_if<std::shared_ptr<JsonObject>>(&data_);
    return value ? *value : nullptr;
}

std::shared_ptr<JsonArray> JsonValue::arrayPtr() const
{
    const auto *value = std::get_if<std::shared_ptr<JsonArray>>(&data_);
    return value ? *value : nullptr;
}

QString JsonValue::toText() const
{
    switch (kind()) {
    case JsonKind::Text:
        return text();
    case JsonKind::Number:
        return number().toText();
    case JsonKind::Boolean:
        return toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case JsonKind::Null:
        return QStringLiteral("null");
    default:
        return QString();
    }
}

JsonValue JsonValue::Item(const QString &key) const
{
    return object().Item(key);
}

JsonValue JsonValue::Item(int index) const
{
    return array().Item(index);
}

int JsonValue::Count() const
{
    return array().Count();
}

bool operator==(const JsonValue &a, const JsonValue &b)
{
    if (a.kind() != b.kind())
        return false;
    if (a.isObject())
        return a.object() == b.object();
    if (a.isArray())
        return a.array() == b.array();
    return a.data_ == b.data_;
}

bool JsonObject::Add(const QString &key, JsonValue value)
{
    return members_.try_emplace(key, std::move(value)).second;
}

void JsonObject::SetItem(const QString &key, JsonValue value)
{
    members_.insert_or_assign(key, std::move(value));
}

JsonValue JsonObject::Item(const QString &key) const
{
    auto it = members_.find(key);
    return it == members_.end() ? JsonValue() : it->second;
}

QStringList JsonObject::Keys() const
{
    QStringList keys;
    keys.reserve(Count());
    for (const auto &member : members_)
        keys.append(member.first);
    return keys;
}

bool operator==(const JsonObject &a, const JsonObject &b)
{
    if (a.Count() != b.Count())
        return false;
    auto other = b.members_.begin();
    for (const auto &member : a.members_) {
        if (member.first != other->first || !(member.second == other->second))
            return false;
        ++other;
    }
    return true;
}

JsonValue JsonArray::Item(int index) const
{
    if (index < 1 || index > Count())
        return JsonValue();
    return elements_[size_t(index - 1)];
}

} // namespace tavimo
