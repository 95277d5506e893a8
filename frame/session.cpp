#include "session.h"

#include <algorithm>
#include <string>

namespace orv {

std::string describeStates(const StateQuery& states) {
    if (!states.succeeded()) return "unknown (result " + std::to_string(states.result) + ")";
    return "installed " + std::to_string(states.installed) + ", action " + std::to_string(states.action);
}

PropertyRead Session::read(const char* name) { return readWithCapacity(name, kPropertyCapacity); }

PropertyRead Session::readWithCapacity(const char* name, std::uint32_t capacity) {
    capacity = std::min(capacity, kPropertyCapacity);
    buffer_.fill('\0');
    std::uint32_t length = capacity;
    PropertyRead read;
    read.result = os_.msiGetProperty(handle_, name, buffer_.data(), &length);
    if (read.result != kSuccess) return read;
    // Trust the installer's length only as far as the buffer goes; the NUL decides the text.
    const auto end = std::find(buffer_.begin(), buffer_.begin() + capacity, '\0');
    const auto filled = static_cast<std::size_t>(end - buffer_.begin());
    if (filled >= capacity) {
        read.result = kErrorMoreData;
        return read;
    }
    read.text.assign(buffer_.data(), filled);
    read.length = static_cast<std::uint32_t>(filled);
    return read;
}

void Session::write(const char* name, const std::string& value) {
    os_.msiSetProperty(handle_, name, value.c_str());
}

void Session::remove(const char* name) { os_.msiSetProperty(handle_, name, nullptr); }

StateQuery Session::featureState(const char* feature) {
    StateQuery query;
    query.result = os_.msiGetFeatureState(handle_, feature, &query.installed, &query.action);
    return query;
}

void Session::requestFeature(const char* feature, InstallState state) {
    os_.msiSetFeatureState(handle_, feature, state);
}

StateQuery Session::componentState(const char* component) {
    StateQuery query;
    query.result = os_.msiGetComponentState(handle_, component, &query.installed, &query.action);
    return query;
}

void Session::requestComponent(const char* component, InstallState state) {
    os_.msiSetComponentState(handle_, component, state);
}

void Session::doAction(const char* action) { os_.msiDoAction(handle_, action); }

bool Session::inRollback() { return os_.msiGetMode(handle_, kRunModeRollback); }

bool Session::inScript() {
    return os_.msiGetMode(handle_, kRunModeScheduled) || os_.msiGetMode(handle_, kRunModeRollback) ||
           os_.msiGetMode(handle_, kRunModeCommit);
}

void Session::setTargetPath(const char* folder, const std::string& path) {
    os_.msiSetTargetPath(handle_, folder, path.c_str());
}

std::uint32_t Session::featureNames(std::vector<std::string>* names) {
    return os_.msiFeatureNames(handle_, names);
}

}  // namespace orv
