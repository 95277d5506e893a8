#include <algorithm>
#include <sstream>

#include "hive.h"

namespace sim {

namespace {

std::vector<std::string> keyNames(const std::string& path) {
    std::vector<std::string> names;
    std::string name;
    std::istringstream parts(path);
    while (std::getline(parts, name, '\\'))
        if (!name.empty()) names.push_back(name);
    return names;
}


}  // namespace

RegKey& Hive::ensure(const std::string& path) {
    RegKey* key = &root_;
    for (const std::string& name : keyNames(path)) {
        auto [child, added] = key->subkeys.try_emplace(name);
        if (added) child->second.name = name;
        key = &child->second;
    }
    return *key;
}

RegKey* Hive::find(const std::string& path) {
    RegKey* key = &root_;
    for (const std::string& name : keyNames(path)) {
        auto child = key->subkeys.find(name);
        if (child == key->subkeys.end()) return nullptr;
        key = &child->second;
    }
    return key;
}

void Hive::setValue(const std::string& path, const std::string& name, std::uint32_t type, const std::string& data) {
    RegKey& key = ensure(path);
    for (auto& [existing, value] : key.values)
        if (sameName(existing, name)) {
            value = RegValue{type, data};
            return;
        }
    key.values.emplace_back(name, RegValue{type, data});
}

void Hive::setString(const std::string& path, const std::string& name, const std::string& value) {
    setValue(path, name, orv::kRegSz, std::string(value.c_str(), value.size() + 1));
}

void Hive::setDword(const std::string& path, const std::string& name, std::uint32_t value) {
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    setValue(path, name, orv::kRegDword, data);
}

std::optional<RegValue> Hive::value(const std::string& path, const std::string& name) {
    RegKey* key = find(path);
    if (key == nullptr) return std::nullopt;
    for (auto& [existing, value] : key->values)
        if (sameName(existing, name)) return value;
    return std::nullopt;
}

std::optional<std::string> Hive::string(const std::string& path, const std::string& name) {
    const auto found = value(path, name);
    if (!found || (found->type != orv::kRegSz && found->type != orv::kRegExpandSz)) return std::nullopt;
    return std::string(found->data.begin(), std::find(found->data.begin(), found->data.end(), '\0'));
}

}  // namespace sim
