#pragma once

#include "parse/decimal.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <variant>
#include <vector>

namespace tavimo {

class JsonObject;
class JsonArray;

enum class JsonKind { Empty, Null, Boolean, Number, Text, Object, Array };

// One parsed JSON value. Objects and arrays are held by shared pointer, so
// copying a value is cheap and copies refer to the same object, as object
// references do. A default value is empty: the absence of a value, which is
// distinct from null and is also what an absent object member reads as.
class JsonValue {
public:
    JsonValue() = default;
    explicit JsonValue(bool value) : data_(value) {}
    explicit JsonValue(const Decimal &value) : data_(value) {}
    explicit JsonValue(QString text) : data_(std::move(text)) {}
    explicit JsonValue(const char *text) : data_(QString::fromUtf8(text)) {}
    explicit JsonValue(std::shared_ptr<JsonObject> object);
    explicit JsonValue(std::shared_ptr<JsonArray> array);
    static JsonValue null();

    JsonKind kind() const { return JsonKind(data_.index()); }
    bool isEmpty() const { return kind() == JsonKind::Empty; }
    bool isNull() const { return kind() == JsonKind::Null; }
    bool isBoolean() const { return kind() == JsonKind::Boolean; }
    bool isNumber() const { return kind() == JsonKind::Number; }
    bool isText() const { return kind() == JsonKind::Text; }
    bool isObject() const { return kind() == JsonKind::Object; }
    bool isArray() const { return kind() == JsonKind::Array; }

    // Each accessor gives a neutral value (false, 0, "", an empty object or
    // array) when the value is of another kind. object() and array() refer
    // into this value: keep the value alive while using them.
    bool toBool() const;
    Decimal number() const;
    QString text() const;
    const JsonObject &object() const;
    const JsonArray &array() const;
    std::shared_ptr<JsonObject> objectPtr() const;
    std::shared_ptr<JsonArray> arrayPtr() const;

    // The text form: a text as itself, a number with a point as decimal
    // separator, "true"/"false", "null"; empty, objects and arrays give "".
    QString toText() const;

    // Shortcuts for walking replies: member of an object, 1-based element of
    // an array, element count of an array; empty or 0 for other kinds.
    JsonValue Item(const QString &key) const;
    JsonValue Item(int index) const;
    int Count() const;

    friend bool operator==(const JsonValue &a, const JsonValue &b);

private:
    struct Null {
        bool operator==(const Null &) const { return true; }
    };
    struct Empty {
        bool operator==(const Empty &) const { return true; }
    };
    // Alternatives in the order of JsonKind.
    std::variant<Empty, Null, bool, Decimal, QString, std::shared_ptr<JsonObject>, std::shared_ptr<JsonArray>> data_;
};

// Members in the order they were added; keys compare exactly.
class JsonObject {
public:
    using Member = std::pair<QString, JsonValue>;

    // Returns false (and changes nothing) when the key is present.
    bool Add(const QString &key, JsonValue value);
    void SetItem(const QString &key, JsonValue value);
    // Makes room for `count` members at once.
    void Reserve(int count) { members_.reserve(size_t(count)); }
    bool Exists(const QString &key) const { return indexOf(key) >= 0; }
    int Count() const { return int(members_.size()); }
    // An absent key reads as the empty value.
    JsonValue Item(const QString &key) const;
    QStringList Keys() const;

    const std::vector<Member> &Members() const { return members_; }
    std::vector<Member>::const_iterator begin() const { return members_.begin(); }
    std::vector<Member>::const_iterator end() const { return members_.end(); }

    friend bool operator==(const JsonObject &a, const JsonObject &b) { return a.members_ == b.members_; }

private:
    // Objects up to this size are searched member by member, which beats
    // hashing for the short objects replies consist of; larger ones get an
    // index so that an object with very many members still reads in
    // linear time.
    static constexpr size_t kLinearSearchLimit = 16;

    qsizetype indexOf(const QString &key) const;
    void append(const QString &key, JsonValue value);

    std::vector<Member> members_;
    // Position of each member, kept once the object outgrows the limit.
    QHash<QString, qsizetype> index_;
};

// Elements indexed from 1.
class JsonArray {
public:
    void Add(JsonValue value) { elements_.push_back(std::move(value)); }
    int Count() const { return int(elements_.size()); }
    // A position outside 1..Count reads as the empty value.
    JsonValue Item(int index) const;

    std::vector<JsonValue>::const_iterator begin() const { return elements_.begin(); }
    std::vector<JsonValue>::const_iterator end() const { return elements_.end(); }

    friend bool operator==(const JsonArray &a, const JsonArray &b) { return a.elements_ == b.elements_; }

private:
    std::vector<JsonValue> elements_;
};

} // namespace tavimo
