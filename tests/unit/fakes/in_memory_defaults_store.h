// Settings in a map, with every write recorded and writes that can be made to
// fail: the DefaultsStore seam for tests.
#pragma once

#include "core/base/defaults_store.h"

#include <map>
#include <string>
#include <variant>
#include <vector>

namespace vx::test {

class InMemoryDefaultsStore final : public DefaultsStore {
public:
    using Value = std::variant<Bytes, double, std::string>;
    using Key = const std::string&;
    using Error = std::optional<StoreError>;

    std::map<std::string, Value> values;
    std::vector<std::string> writes; // keys, in write order
    bool failWrites = false;
    std::vector<std::string> unreadable; // keys reported as damaged

    bool hasObject(Key key) const override { return values.count(key) != 0; }
    std::optional<Bytes> data(Key key) const override { return get<Bytes>(key); }
    double doubleValue(Key key) const override { return get<double>(key).value_or(0.0); }
    std::optional<std::string> string(Key key) const override { return get<std::string>(key); }
    Error setData(Key key, const Bytes& value) override { return write(key, value); }
    Error setDouble(Key key, double value) override { return write(key, value); }
    Error setString(Key key, const std::string& value) override { return write(key, value); }
    void noteUnreadable(Key key) override { unreadable.push_back(key); }

private:
    template <class T> std::optional<T> get(Key key) const {
        const auto it = values.find(key);
        if (it == values.end() || !std::holds_alternative<T>(it->second))
            return std::nullopt;
        return std::get<T>(it->second);
    }
    Error write(Key key, Value value) {
        writes.push_back(key);
        values[key] = std::move(value); // kept for the run even when not durable
        return failWrites ? Error(StoreError{"disk full"}) : std::nullopt;
    }
};

} // namespace vx::test
