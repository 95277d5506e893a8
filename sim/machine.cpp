#include "machine.h"

#include <algorithm>
#include <cstring>
#include <sstream>

namespace sim {

namespace {

// Upper case by the rules of Windows code page 1252, the locale the tests assume.
char upperWindows(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') return static_cast<char>(u - 32);
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 32);
    switch (u) {
        case 0x9A: return static_cast<char>(0x8A);
        case 0x9C: return static_cast<char>(0x8C);
        case 0x9E: return static_cast<char>(0x8E);
        case 0xFF: return static_cast<char>(0x9F);
        default: return c;
    }
}

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool sameText(const std::string& left, const std::string& right) {
    return !NoCaseLess()(left, right) && !NoCaseLess()(right, left);
}

// GetPrivateProfileString's reading of an INI file: the first matching section and key win,
// names ignore case, and one pair of surrounding quotes is dropped from a value.
std::optional<std::string> profileValue(const std::string& contents, const std::string& section,
                                        const std::string& key) {
    std::istringstream lines(contents);
    std::string line;
    bool inSection = false;
    while (std::getline(lines, line)) {
        const std::string text = trim(line);
        if (text.empty() || text[0] == ';') continue;
        if (text[0] == '[') {
            const auto close = text.find(']');
            inSection = close != std::string::npos && sameText(trim(text.substr(1, close - 1)), section);
            continue;
        }
        const auto equals = text.find('=');
        if (!inSection || equals == std::string::npos || !sameText(trim(text.substr(0, equals)), key)) continue;
        std::string value = trim(text.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return value;
    }
    return std::nullopt;
}

}  // namespace

bool NoCaseLess::operator()(const std::string& left, const std::string& right) const {
    return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(), [](char a, char b) {
        return static_cast<unsigned char>(upperWindows(a)) < static_cast<unsigned char>(upperWindows(b));
    });
}

std::string upperAscii(std::string text) {
    for (char& c : text) c = upperWindows(c);
    return text;
}

std::string Session::property(const std::string& name) const {
    const auto found = properties.find(name);
    return found == properties.end() ? std::string() : found->second;
}

void Machine::fail(Op op, const std::string& subject, std::uint32_t code) { faults_.push_back({op, subject, code}); }

const Fault* Machine::faultFor(Op op, const std::string& subject) const {
    for (const Fault& fault : faults_)
        if (fault.op == op && (fault.subject.empty() || sameText(fault.subject, subject))) return &fault;
    return nullptr;
}

// ----- installer session ---------------------------------------------------------------------

std::uint32_t Machine::msiGetProperty(orv::MsiHandle handle, const char* name, char* buffer, std::uint32_t* length) {
    if (!validSession(handle)) return orv::kErrorInvalidHandle;
    if (const Fault* fault = faultFor(Op::GetProperty, name)) return fault->code;
    const std::string value = session.property(name);
    const std::uint32_t capacity = *length;
    *length = static_cast<std::uint32_t>(value.size());
    if (value.size() >= capacity) {
        // Windows fills what fits, NUL-terminated, and reports the full length.
        if (capacity > 0) {
            std::memcpy(buffer, value.data(), capacity - 1);
            buffer[capacity - 1] = '\0';
        }
        return orv::kErrorMoreData;
    }
    std::memcpy(buffer, value.c_str(), value.size() + 1);
    return orv::kSuccess;
}

std::uint32_t Machine::msiSetProperty(orv::MsiHandle handle, const char* name, const char* value) {
    if (!validSession(handle)) return orv::kErrorInvalidHandle;
    const bool removal = value == nullptr || *value == '\0';
    session.propertyWrites.push_back({name, removal ? std::nullopt : std::optional<std::string>(value)});
    if (const Fault* fault = faultFor(Op::SetProperty, name)) return fault->code;
    if (removal)
        session.properties.erase(name);
    else
        session.properties[name] = value;
    return orv::kSuccess;
}

std::uint32_t Machine::getStates(Op op, const std::map<std::string, States>& table, std::uint32_t unknown,
                                 orv::MsiHandle handle, const char* name, InstallState* installed,
                                 InstallState* action) {
    if (!validSession(handle)) return orv::kErrorInvalidHandle;
    if (const Fault* fault = faultFor(op, name)) return fault->code;
    const auto found = table.find(name);
    if (found == table.end()) return unknown;
    *installed = found->second.installed;
    *action = found->second.action;
    return orv::kSuccess;
}

std::uint32_t Machine::requestState(Op op, const char* kind, std::map<std::string, States>& table,
                                    std::uint32_t unknown, orv::MsiHandle handle, const char* name,
                                    InstallState state) {
    if (!validSession(handle)) return orv::kErrorInvalidHandle;
    session.requests.push_back({kind, name, state});
    if (const Fault* fault = faultFor(op, name)) return fault->code;
    const auto found = table.find(name);
    if (found == table.end()) return unknown;
    found->second.action = state;
    return orv::kSuccess;
}

std::uint32_t Machine::msiGetFeatureState(orv::MsiHandle handle, const char* feature, InstallState* installed,
                                          InstallState* action) {
    return getStates(Op::GetFeatureState, session.features, orv::kErrorUnknownFeature, handle, feature, installed,
                     action);
}

std::uint32_t Machine::msiSetFeatureState(orv::MsiHandle handle, const char* feature, InstallState state) {
    return requestState(Op::SetFeatureState, "feature", session.features, orv::kErrorUnknownFeature, handle, feature,
                        state);
}

std::uint32_t Machine::msiGetComponentState(orv::MsiHandle handle, const char* component, InstallState* installed,
                                            InstallState* action) {
    return getStates(Op::GetComponentState, session.components, orv::kErrorUnknownComponent, handle, component,
                     installed, action);
}

std::uint32_t Machine::msiSetComponentState(orv::MsiHandle handle, const char* component, InstallState state) {
    return requestState(Op::SetComponentState, "component", session.components, orv::kErrorUnknownComponent, handle,
                        component, state);
}

std::uint32_t Machine::msiDoAction(orv::MsiHandle handle, const char* action) {
    if (!validSession(handle)) return orv::kErrorInvalidHandle;
    session.actionsRun.emplace_back(action);
    if (const Fault* fault = faultFor(Op::DoAction, action)) return fault->code;
    if (std::string(action) == "ResolveSource" && !session.resolvedSource.empty())
        session.properties["SourceDir"] = session.resolvedSource;
    return orv::kSuccess;
}

bool Machine::msiGetMode(orv::MsiHandle handle, int runMode) {
    return validSession(handle) && runMode == orv::kRunModeRollback && session.rollback;
}

std::uint32_t Machine::msiSetTargetPath(orv::MsiHandle handle, const char* folder, const char* path) {
    if (!validSession(handle)) return orv::kErrorInvalidHandle;
    if (const Fault* fault = faultFor(Op::SetTargetPath, folder)) return fault->code;
    session.targetPaths[folder] = path;
    return orv::kSuccess;
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

std::int32_t Machine::regCloseKey(orv::RegKeyHandle key) {
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

void Machine::closeFile(orv::FileHandle file) { openFiles_.erase(file); }

bool Machine::fileVersion(const char* path, orv::FileVersion* version) {
    if (faultFor(Op::FileVersion, path)) return false;
    const FileNode* node = files.find(path);
    if (node == nullptr || !node->version) return false;
    *version = *node->version;
    return true;
}

std::string Machine::readProfileString(const char* file, const char* section, const char* key, const char* fallback,
                                       std::uint32_t capacity) {
    if (capacity == 0) return {};
    std::string value = fallback == nullptr ? std::string() : std::string(fallback);
    if (!faultFor(Op::ReadProfile, file)) {
        if (const auto contents = files.contents(file))
            if (auto found = profileValue(*contents, section, key)) value = *found;
    }
    if (value.size() > capacity - 1) value.resize(capacity - 1);
    return value;
}

// ----- user interface, libraries, programs -------------------------------------------------------

int Machine::messageBox(const char* text, const char* caption, std::uint32_t style) {
    messageBoxes.push_back({text, caption, style});
    if (faultFor(Op::MessageBox, text)) return 0;
    if (answers.empty()) return 0;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

std::string Machine::loadString(std::uint32_t id) {
    for (const orv::StringEntry& entry : strings)
        if (entry.id == id) return entry.text;
    return {};
}

orv::LibraryHandle Machine::loadLibrary(const char* path) {
    if (faultFor(Op::LoadLibrary, path) || libraries.count(path) == 0) return 0;
    const orv::LibraryHandle handle = nextHandle_++;
    loaded_[handle] = libraries.find(path)->first;
    return handle;
}

void Machine::freeLibrary(orv::LibraryHandle library) { loaded_.erase(library); }

orv::ExportHandle Machine::findExport(orv::LibraryHandle library, const char* name) {
    const auto open = loaded_.find(library);
    if (open == loaded_.end()) return 0;
    const FakeLibrary& fake = libraries.at(open->second);
    if (fake.intExports.count(name) == 0 && fake.textExports.count(name) == 0) return 0;
    const orv::ExportHandle handle = nextHandle_++;
    exports_[handle] = ExportRef{open->second, name};
    return handle;
}

int Machine::callIntExport(orv::ExportHandle function) {
    const ExportRef& ref = exports_.at(function);
    libraryCalls.push_back({ref.library, ref.name, {}});
    return libraries.at(ref.library).intExports.at(ref.name)();
}

void Machine::callTextExport(orv::ExportHandle function, const char* argument) {
    const ExportRef& ref = exports_.at(function);
    libraryCalls.push_back({ref.library, ref.name, argument});
    libraries.at(ref.library).textExports.at(ref.name)(argument);
}

bool Machine::shellExecute(const char* file, const char* parameters, const char* folder, int showCommand) {
    programsStarted.push_back({file, parameters ? parameters : "", folder ? folder : "", showCommand});
    return !faultFor(Op::ShellExecute, file);
}

std::string Machine::upperCase(std::string_view text) { return upperAscii(std::string(text)); }

int Machine::compareIgnoreCase(const char* left, const char* right) {
    if (NoCaseLess()(left, right)) return -1;
    if (NoCaseLess()(right, left)) return 1;
    return 0;
}

}  // namespace sim
