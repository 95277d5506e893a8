#include "machine.h"

namespace sim {

void Machine::fail(Op op, const std::string& subject, std::uint32_t code) { faults_.push_back({op, subject, code}); }

const Fault* Machine::faultFor(Op op, const std::string& subject) const {
    for (const Fault& fault : faults_)
        if (fault.op == op && (fault.subject.empty() || sameName(fault.subject, subject))) return &fault;
    return nullptr;
}

// ----- installer session ---------------------------------------------------------------------

std::uint32_t Machine::msiGetProperty(orv::MsiHandle handle, const char* name, char* buffer, std::uint32_t* length) {
    if (!validSession(handle)) return orv::kErrorInvalidHandle;
    if (const Fault* fault = faultFor(Op::GetProperty, name)) return fault->code;
    return session.getProperty(name, buffer, length);
}

std::uint32_t Machine::msiSetProperty(orv::MsiHandle handle, const char* name, const char* value) {
    if (!validSession(handle)) return orv::kErrorInvalidHandle;
    const bool removal = value == nullptr || *value == '\0';
    session.propertyWrites.push_back({name, removal ? std::nullopt : std::optional<std::string>(value)});
    if (const Fault* fault = faultFor(Op::SetProperty, name)) return fault->code;
    session.setProperty(name, value);
    return orv::kSuccess;
}

std::uint32_t Machine::msiGetFeatureState(orv::MsiHandle handle, const char* feature, InstallState* installed,
                                          InstallState* action) {
    if (!validSession(handle)) return orv::kErrorInvalidHandle;
    if (const Fault* fault = faultFor(Op::GetFeatureState, feature)) return fault->code;
    return session.states("feature", feature, installed, action);
}

std::uint32_t Machine::msiSetFeatureState(orv::MsiHandle handle, const char* feature, InstallState state) {
    if (!validSession(handle)) return orv::kErrorInvalidHandle;
    session.requests.push_back({"feature", feature, state});
    if (const Fault* fault = faultFor(Op::SetFeatureState, feature)) return fault->code;
    return session.request("feature", feature, state);
}

std::uint32_t Machine::msiGetComponentState(orv::MsiHandle handle, const char* component, InstallState* installed,
                                            InstallState* action) {
    if (!validSession(handle)) return orv::kErrorInvalidHandle;
    if (const Fault* fault = faultFor(Op::GetComponentState, component)) return fault->code;
    return session.states("component", component, installed, action);
}

std::uint32_t Machine::msiSetComponentState(orv::MsiHandle handle, const char* component, InstallState state) {
    if (!validSession(handle)) return orv::kErrorInvalidHandle;
    session.requests.push_back({"component", component, state});
    if (const Fault* fault = faultFor(Op::SetComponentState, component)) return fault->code;
    return session.request("component", component, state);
}

std::uint32_t Machine::msiDoAction(orv::MsiHandle handle, const char* action) {
    if (!validSession(handle)) return orv::kErrorInvalidHandle;
    session.actionsRun.emplace_back(action);
    if (const Fault* fault = faultFor(Op::DoAction, action)) return fault->code;
    session.doAction(action);
    return orv::kSuccess;
}

bool Machine::msiGetMode(orv::MsiHandle handle, int runMode) {
    if (!validSession(handle)) return false;
    switch (runMode) {
        case orv::kRunModeScheduled: return session.scheduled;
        case orv::kRunModeRollback: return session.rollback;
        case orv::kRunModeCommit: return session.commit;
        default: return false;
    }
}

std::uint32_t Machine::msiSetTargetPath(orv::MsiHandle handle, const char* folder, const char* path) {
    if (!validSession(handle)) return orv::kErrorInvalidHandle;
    if (const Fault* fault = faultFor(Op::SetTargetPath, folder)) return fault->code;
    return session.setTargetPath(folder, path);
}

std::uint32_t Machine::msiFeatureNames(orv::MsiHandle handle, std::vector<std::string>* names) {
    if (!validSession(handle)) return orv::kErrorInvalidHandle;
    if (const Fault* fault = faultFor(Op::FeatureView, "Feature")) return fault->code;
    names->insert(names->end(), session.featureTable.begin(), session.featureTable.end());
    return orv::kSuccess;
}

std::uint32_t Machine::msiLogInfo(orv::MsiHandle handle, const char* text) {
    if (!validSession(handle)) return orv::kErrorInvalidHandle;
    if (const Fault* fault = faultFor(Op::LogMessage, text)) return fault->code;
    session.log.emplace_back(text);
    return orv::kSuccess;
}

// ----- registry --------------------------------------------------------------------------------

std::int32_t Machine::regOpenKey(const char* path, bool create, orv::RegKeyHandle* key) {
    *key = 0;
    // Key names never start with a separator; Windows refuses such a path.
    if (path[0] == '\\') return static_cast<std::int32_t>(orv::kErrorBadPathname);
    if (const Fault* fault = faultFor(Op::RegOpenKey, path)) return static_cast<std::int32_t>(fault->code);
    if (create) {
        if (const Fault* fault = faultFor(Op::RegCreateKey, path)) return static_cast<std::int32_t>(fault->code);
        hklm.ensure(path);
    } else if (!hklm.exists(path)) {
        return static_cast<std::int32_t>(orv::kErrorFileNotFound);
    }
    *key = nextHandle_++;
    openKeys_[*key] = path;
    return 0;
}

std::int32_t Machine::regCloseKey(orv::RegKeyHandle key) noexcept {
    return openKeys_.erase(key) == 1 ? 0 : static_cast<std::int32_t>(orv::kErrorInvalidHandle);
}

std::int32_t Machine::regQueryValue(orv::RegKeyHandle key, const char* name, std::uint32_t* type, std::string* data) {
    const auto open = openKeys_.find(key);
    if (open == openKeys_.end()) return static_cast<std::int32_t>(orv::kErrorInvalidHandle);
    if (const Fault* fault = faultFor(Op::RegQueryValue, open->second)) return static_cast<std::int32_t>(fault->code);
    const auto value = hklm.value(open->second, name);
    if (!value) return static_cast<std::int32_t>(orv::kErrorFileNotFound);
    *type = value->type;
    *data = value->data;
    return 0;
}

std::int32_t Machine::regSetValue(orv::RegKeyHandle key, const char* name, std::uint32_t type, std::string_view data) {
    const auto open = openKeys_.find(key);
    if (open == openKeys_.end()) return static_cast<std::int32_t>(orv::kErrorInvalidHandle);
    if (const Fault* fault = faultFor(Op::RegSetValue, open->second)) return static_cast<std::int32_t>(fault->code);
    if (!hklm.exists(open->second)) return static_cast<std::int32_t>(orv::kErrorFileNotFound);
    hklm.setValue(open->second, name, type, std::string(data));
    return 0;
}

std::int32_t Machine::regEnumValueName(orv::RegKeyHandle key, std::uint32_t index, std::string* name) {
    const auto open = openKeys_.find(key);
    if (open == openKeys_.end()) return static_cast<std::int32_t>(orv::kErrorInvalidHandle);
    if (const Fault* fault = faultFor(Op::RegEnumValue, open->second)) return static_cast<std::int32_t>(fault->code);
    const RegKey* found = hklm.find(open->second);
    if (found == nullptr || index >= found->values.size()) return static_cast<std::int32_t>(orv::kErrorNoMoreItems);
    *name = found->values[index].first;
    return 0;
}

// ----- files -----------------------------------------------------------------------------------

std::uint32_t Machine::fileAttributes(const char* path) {
    if (faultFor(Op::FileAttributes, path)) return orv::kInvalidAttributes;
    return files.attributes(path);
}

bool Machine::setFileAttributes(const char* path, std::uint32_t attributes) {
    fileCalls.push_back({Op::SetFileAttributes, path, {}});
    if (faultFor(Op::SetFileAttributes, path)) return false;
    return files.setAttributes(path, attributes);
}

bool Machine::copyFile(const char* from, const char* to, bool failIfExists) {
    fileCalls.push_back({Op::CopyFile, from, to});
    // The target names the fault: "this file cannot be copied over".
    if (faultFor(Op::CopyFile, to)) return false;
    return files.copy(from, to, failIfExists);
}

bool Machine::deleteFile(const char* path) {
    fileCalls.push_back({Op::DeleteFile, path, {}});
    if (faultFor(Op::DeleteFile, path)) return false;
    return files.remove(path);
}

bool Machine::findFiles(const char* pattern, std::vector<orv::DirectoryEntry>* entries) {
    if (faultFor(Op::FindFiles, pattern)) return false;
    return files.list(pattern, entries);
}

orv::FileHandle Machine::createFile(const char* path) {
    fileCalls.push_back({Op::CreateFile, path, {}});
    if (faultFor(Op::CreateFile, path) || !files.create(path)) return 0;
    const orv::FileHandle handle = nextHandle_++;
    openFiles_[handle] = files.normalise(path);
    return handle;
}

bool Machine::writeFile(orv::FileHandle file, std::string_view bytes) {
    const auto open = openFiles_.find(file);
    if (open == openFiles_.end()) return false;
    if (faultFor(Op::WriteFile, open->second)) return false;  // a full disk: nothing of it lands
    FileNode* node = files.find(open->second);
    if (node == nullptr) return false;
    node->bytes.append(bytes);
    return true;
}

void Machine::closeFile(orv::FileHandle file) noexcept { openFiles_.erase(file); }

bool Machine::fileVersion(const char* path, orv::FileVersion* version) {
    if (faultFor(Op::FileVersion, path)) return false;
    const FileNode* node = files.find(path);
    if (node == nullptr || !node->version) return false;
    *version = *node->version;
    return true;
}

std::string Machine::readProfileString(const char* file, const char* section, const char* key, const char* fallback,
                                       std::uint32_t capacity) {
    const std::string fallbackText = fallback == nullptr ? std::string() : std::string(fallback);
    if (faultFor(Op::ReadProfile, file)) {
        std::string value = fallbackText.substr(0, capacity == 0 ? 0 : capacity - 1);
        return value;
    }
    return files.readProfile(file, section, key, fallbackText, capacity);
}

std::vector<std::string> Machine::readProfileKeys(const char* file, const char* section) {
    if (faultFor(Op::ReadProfile, file)) return {};
    return files.readProfileKeys(file, section);
}

// ----- user interface, libraries, programs -------------------------------------------------------

int Machine::messageBox(const char* text, const char* caption, std::uint32_t style) {
    if (faultFor(Op::MessageBox, text)) {
        desktop.messageBoxes.push_back({text, caption, style});
        return 0;
    }
    return desktop.messageBox(text, caption, style);
}

std::string Machine::loadString(std::uint32_t id) { return desktop.loadString(id); }

orv::LibraryHandle Machine::loadLibrary(const char* path) {
    if (faultFor(Op::LoadLibrary, path)) return 0;
    return desktop.loadLibrary(path, nextHandle_++);
}

void Machine::freeLibrary(orv::LibraryHandle library) noexcept { desktop.freeLibrary(library); }

orv::ExportHandle Machine::findExport(orv::LibraryHandle library, const char* name) {
    return desktop.findExport(library, name, nextHandle_++);
}

int Machine::callIntExport(orv::ExportHandle function) { return desktop.callIntExport(function); }

void Machine::callTextExport(orv::ExportHandle function, const char* argument) {
    desktop.callTextExport(function, argument);
}

bool Machine::shellExecute(const char* file, const char* parameters, const char* folder, int showCommand) {
    desktop.shellExecute(file, parameters, folder, showCommand);
    return !faultFor(Op::ShellExecute, file);
}

std::string Machine::upperCase(std::string_view text) { return desktop.upperCase(text); }

int Machine::compareIgnoreCase(const char* left, const char* right) { return desktop.compareIgnoreCase(left, right); }

}  // namespace sim
