// HKEY_LOCAL_MACHINE of the simulated machine: keys and value names compared without regard to
// case, values typed as Windows types them, kept in the order they were first written.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "frame/platform.h"
#include "text.h"

namespace sim {

struct RegValue {
    std::uint32_t type = orv::kRegSz;
    std::string data;  // raw bytes; string types include their terminating NUL
};

struct RegKey {
    std::string name;
    std::map<std::string, RegKey, NoCaseLess> subkeys;
    std::vector<std::pair<std::string, RegValue>> values;  // in the order they were first written
};

class Hive {
public:
    // Creates the key and its parents; gives the key.
    RegKey& ensure(const std::string& path);
    RegKey* find(const std::string& path);
    bool exists(const std::string& path) { return find(path) != nullptr; }

    // Seeding and reading back, as tests want them.
    void setString(const std::string& path, const std::string& name, const std::string& value);
    void setValue(const std::string& path, const std::string& name, std::uint32_t type, const std::string& data);
    void setDword(const std::string& path, const std::string& name, std::uint32_t value);
    std::optional<RegValue> value(const std::string& path, const std::string& name);
    // The text of a string value; nullopt when the key or value is missing or not a string.
    std::optional<std::string> string(const std::string& path, const std::string& name);

private:
    RegKey root_;
};

}  // namespace sim
