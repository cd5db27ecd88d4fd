// The defaults-store seam: where settings live between runs. The program uses a
// QSettings INI file; tests use an in-memory map. Reads never fail outward (a
// value that is missing or of another type reads as absent, or 0 for doubles);
// writes say whether they reached the store, so a read-only file is noticed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vx {

using Bytes = std::vector<std::uint8_t>;

struct StoreError {
    std::string message;
};

class DefaultsStore {
public:
    virtual ~DefaultsStore() = default;

    virtual bool hasObject(const std::string& key) const = 0;
    virtual std::optional<Bytes> data(const std::string& key) const = 0;
    // 0 for a value that is missing or cannot be read as a number.
    virtual double doubleValue(const std::string& key) const = 0;
    virtual std::optional<std::string> string(const std::string& key) const = 0;

    // Writes return an error when the value could not be stored durably; the
    // store still holds it for the rest of the run.
    virtual std::optional<StoreError> setData(const std::string& key, const Bytes& value) = 0;
    virtual std::optional<StoreError> setDouble(const std::string& key, double value) = 0;
    virtual std::optional<StoreError> setString(const std::string& key,
                                                const std::string& value) = 0;

    // The value under `key` was found but could not be used (its bytes are no
    // valid setting). A store that persists to a file keeps the damaged file
    // aside before it rewrites it; others may ignore this.
    virtual void noteUnreadable(const std::string& key) { (void)key; }
};

} // namespace vx
