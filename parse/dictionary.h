#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <tsl/ordered_map.h>

#include <stdexcept>

namespace tavimo {

struct QStringHash {
    size_t operator()(const QString &key) const noexcept { return qHash(key); }
};

// A string-keyed map that keeps insertion order and compares keys exactly
// (case-sensitive). Add refuses a key that is present, as the service's
// track tables and seen-sets rely on the first entry winning.
template <typename Value = QString>
class Dictionary {
public:
    using Map = tsl::ordered_map<QString, Value, QStringHash>;

    // Returns false (and changes nothing) when the key is present.
    bool Add(const QString &key, const Value &value = Value()) { return map_.try_emplace(key, value).second; }
    bool Exists(const QString &key) const { return map_.find(key) != map_.end(); }
    int Count() const { return int(map_.size()); }
    void RemoveAll() { map_.clear(); }

    // Reads an absent key as the empty value.
    Value Item(const QString &key) const
    {
        auto it = map_.find(key);
        return it == map_.end() ? Value() : it->second;
    }
    // Stores a value under a key, replacing an earlier one in place.
    void SetItem(const QString &key, const Value &value) { map_.insert_or_assign(key, value); }

    QStringList Keys() const
    {
        QStringList keys;
        keys.reserve(Count());
        for (const auto &entry : map_)
            keys.append(entry.first);
        return keys;
    }
    QList<Value> Items() const
    {
        QList<Value> items;
        items.reserve(Count());
        for (const auto &entry : map_)
            items.append(entry.second);
        return items;
    }

    typename Map::const_iterator begin() const { return map_.begin(); }
    typename Map::const_iterator end() const { return map_.end(); }

private:
    Map map_;
};

} // namespace tavimo
