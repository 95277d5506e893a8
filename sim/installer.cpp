#include "installer.h"

#include <cstring>

namespace sim {

namespace {

constexpr std::uint32_t kErrorDirectory = 267;  // ERROR_DIRECTORY: no such directory in the table

}  // namespace

std::string Session::property(const std::string& name) const {
    const auto found = properties.find(name);
    return found == properties.end() ? std::string() : found->second;
}

std::uint32_t Session::getProperty(const char* name, char* buffer, std::uint32_t* length) const {
    const std::string value = property(name);
    const std::uint32_t capacity = *length;
    if (value.size() >= capacity) {
        // Windows fills what fits, NUL-terminated; inside a custom action the length it reports
        // is in bytes, twice the characters.
        if (capacity > 0) {
            std::memcpy(buffer, value.data(), capacity - 1);
            buffer[capacity - 1] = '\0';
        }
        *length = static_cast<std::uint32_t>(value.size() * 2);
        return orv::kErrorMoreData;
    }
    std::memcpy(buffer, value.c_str(), value.size() + (terminatesValues ? 1 : 0));
    *length = static_cast<std::uint32_t>(value.size());
    return orv::kSuccess;
}

void Session::setProperty(const char* name, const char* value) {
    if (value == nullptr || *value == '\0')
        properties.erase(name);
    else
        properties[name] = value;
}

std::uint32_t Session::states(const char* kind, const char* name, InstallState* installed, InstallState* action) const {
    const bool feature = std::strcmp(kind, "feature") == 0;
    const auto& table = feature ? features : components;
    const auto found = table.find(name);
    if (found == table.end()) return feature ? orv::kErrorUnknownFeature : orv::kErrorUnknownComponent;
    *installed = found->second.installed;
    *action = found->second.action;
    return orv::kSuccess;
}

std::uint32_t Session::request(const char* kind, const char* name, InstallState state) {
    const bool feature = std::strcmp(kind, "feature") == 0;
    auto& table = feature ? features : components;
    const auto found = table.find(name);
    if (found == table.end()) return feature ? orv::kErrorUnknownFeature : orv::kErrorUnknownComponent;
    found->second.action = state;
    return orv::kSuccess;
}

void Session::doAction(const char* action) {
    if (std::string(action) == "ResolveSource" && !resolvedSource.empty()) properties["SourceDir"] = resolvedSource;
}

std::uint32_t Session::setTargetPath(const char* folder, const char* path) {
    if (directoryTable.count(folder) == 0) return kErrorDirectory;
    std::string target = path;
    if (!target.empty() && target.back() != '\\') target += '\\';
    targetPaths[folder] = target;
    // The directory's property follows its new target path.
    properties[folder] = target;
    return orv::kSuccess;
}

}  // namespace sim
