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
    if (indexOf(key) >= 0)
        return false;
    append(key, std::move(value));
    return true;
}

void JsonObject::SetItem(const QString &key, JsonValue value)
{
    const qsizetype position = indexOf(key);
    if (position >= 0)
        members_[size_t(position)].second = std::move(value);
    else
        append(key, std::move(value));
}

JsonValue JsonObject::Item(const QString &key) const
{
    const qsizetype position = indexOf(key);
    return position >= 0 ? members_[size_t(position)].second : JsonValue();
}

QStringList JsonObject::Keys() const
{
    QStringList keys;
    keys.reserve(Count());
    for (const auto &member : members_)
        keys.append(member.first);
    return keys;
}

qsizetype JsonObject::indexOf(const QString &key) const
{
    if (!index_.isEmpty())
        return index_.value(key, -1);
    for (size_t i = 0; i < members_.size(); ++i) {
        if (members_[i].first == key)
            return qsizetype(i);
    }
    return -1;
}

void JsonObject::append(const QString &key, JsonValue value)
{
    members_.emplace_back(key, std::move(value));
    if (members_.size() <= kLinearSearchLimit)
        return;
    // The first time past the limit this indexes every member, then each new one.
    for (size_t i = size_t(index_.size()); i < members_.size(); ++i)
        index_.insert(members_[i].first, qsizetype(i));
}

JsonValue JsonArray::Item(int index) const
{
    if (index < 1 || index > Count())
        return JsonValue();
    return elements_[size_t(index - 1)];
}

} // namespace tavimo
