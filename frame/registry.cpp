#include "registry.h"

#include <algorithm>

namespace orv {

namespace {

// Registry data of a string type may or may not carry its terminating NUL.
std::string textOf(const std::string& data) { return std::string(data.begin(), std::find(data.begin(), data.end(), '\0')); }

// Paths are taken from the root: a leading backslash says so and is not part of a key name,
// which Windows would otherwise refuse.
std::string fromRoot(const std::string& path) { return !path.empty() && path.front() == '\\' ? path.substr(1) : path; }

}  // namespace

bool Registry::keyExists(const std::string& path) {
    RegKeyHandle key = 0;
    if (os_.regOpenKey(fromRoot(path).c_str(), false, &key) != 0) return false;
    os_.regCloseKey(key);
    return true;
}

bool Registry::createKey(const std::string& path) {
    RegKeyHandle key = 0;
    if (os_.regOpenKey(fromRoot(path).c_str(), true, &key) != 0) return false;
    os_.regCloseKey(key);
    return true;
}

bool Registry::openKey(const std::string& path, bool create) {
    closeKey();
    RegKeyHandle key = 0;
    if (os_.regOpenKey(fromRoot(path).c_str(), create, &key) != 0) return false;
    key_ = key;
    path_ = path;
    return true;
}

void Registry::closeKey() {
    if (key_ == 0) return;
    os_.regCloseKey(key_);
    key_ = 0;
    path_.clear();
}

std::vector<std::string> Registry::valueNames() {
    std::vector<std::string> names;
    if (key_ == 0) return names;
    std::string name;
    for (std::uint32_t index = 0; os_.regEnumValueName(key_, index, &name) == 0; ++index) names.push_back(name);
    return names;
}

std::string Registry::readString(const std::string& name) {
    if (key_ == 0) return {};
    std::uint32_t type = 0;
    std::string data;
    const std::int32_t result = os_.regQueryValue(key_, name.c_str(), &type, &data);
    if (result == static_cast<std::int32_t>(kErrorFileNotFound)) return {};
    if (result != 0) throw RegistryError("Failed to read '" + name + "' under '" + path_ + "'");
    if (type != kRegSz && type != kRegExpandSz)
        throw RegistryError("Invalid data type for '" + name + "' under '" + path_ + "'");
    return textOf(data);
}

void Registry::writeString(const std::string& name, const std::string& value) {
    if (key_ == 0) throw RegistryError("No key open to write '" + name + "'");
    const std::string data(value.c_str(), value.size() + 1);  // REG_SZ data keeps its NUL
    if (os_.regSetValue(key_, name.c_str(), kRegSz, data) != 0)
        throw RegistryError("Failed to set data for '" + name + "' under '" + path_ + "'");
}

}  // namespace orv
