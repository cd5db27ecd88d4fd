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

    std::map<std::string, Value> values;
    std::vector<std::string> writes; // keys, in write order
    bool failWrites = false;
    std::vector<std::string> unreadable; // keys reported as damaged

    bool hasObject(const std::string& key) const override { return values.count(key) != 0; }
    std::optional<Bytes> data(const std::string& key) const override { return get<Bytes>(key); }
    double doubleValue(const std::string& key) const override {
        return get<double>(key).value_or(0.0);
    }
    std::optional<std::string> string(const std::string& key) const override {
        return get<std::string>(key);
    }

    std::optional<StoreError> setData(const std::string& key, const Bytes& value) override {
        return write(key, value);
    }
    std::optional<StoreError> setDouble(const std::string& key, double value) override {
        return write(key, value);
    }
    std::optional<StoreError> setString(const std::string& key, const std::string& value) override {
        return write(key, value);
    }

    void noteUnreadable(const std::string& key) override { unreadable.push_back(key); }

    static Bytes bytes(std::string_view text) { return Bytes(text.begin(), text.end()); }
    std::string text(const std::string& key) const {
        const auto d = data(key);
        return d ? std::string(d->begin(), d->end()) : std::string();
    }

private:
    template <class T> std::optional<T> get(const std::string& key) const {
        const auto it = values.find(key);
        if (it == values.end() || !std::holds_alternative<T>(it->second))
            return std::nullopt;
        return std::get<T>(it->second);
    }
    std::optional<StoreError> write(const std::string& key, Value value) {
        writes.push_back(key);
        values[key] = std::move(value); // kept for the run even when not durable
        if (failWrites)
            return StoreError{"disk full"};
        return std::nullopt;
    }
};

} // namespace vx::test
