#include "faulting_platform.h"

#include <new>

namespace sweep {

namespace {

// Each failure is one its Windows call documents: the installer's calls give a result code,
// the registry's an error code, the others their failure value.
constexpr std::uint32_t kMsiFailure = orv::kErrorFunctionFailed;
constexpr std::int32_t kRegistryFailure = static_cast<std::int32_t>(orv::kErrorAccessDenied);
constexpr std::int32_t kStaleKey = static_cast<std::int32_t>(orv::kErrorInvalidHandle);

}  // namespace

const char* modeName(FaultMode mode) {
    switch (mode) {
        case FaultMode::None: return "no fault";
        case FaultMode::Transient: return "transient";
        case FaultMode::Persistent: return "persistent";
        case FaultMode::Raise: return "bad_alloc";
    }
    return "?";
}

FaultingPlatform::FaultingPlatform(orv::Platform& inner, FaultMode mode, std::size_t faultAt, std::size_t callBudget)
    : inner_(inner), mode_(mode), faultAt_(faultAt), callBudget_(callBudget) {
    calls_.reserve(callBudget_ + 1);
}

bool FaultingPlatform::fails(const char* name, CallKind kind) {
    const std::size_t index = calls_.size();
    calls_.push_back({name, kind});
    if (index >= callBudget_ && kind != CallKind::Closing) {
        budgetSpent_ = true;
        throw CallBudgetSpent{};
    }
    switch (mode_) {
        case FaultMode::None:
            return false;
        case FaultMode::Raise:
            if (index != faultAt_ || kind == CallKind::Closing) return false;
            ++faultsInjected_;
            throw std::bad_alloc();
        case FaultMode::Transient:
        case FaultMode::Persistent: {
            const bool chosen = mode_ == FaultMode::Transient ? index == faultAt_ : index >= faultAt_;
            if (!chosen || kind == CallKind::Infallible) return false;
            ++faultsInjected_;
            return true;
        }
    }
    return false;
}

// ----- installer session ---------------------------------------------------------------------

std::uint32_t FaultingPlatform::msiGetProperty(orv::MsiHandle session, const char* name, char* buffer,
                                               std::uint32_t* length) {
    if (fails("msiGetProperty")) return kMsiFailure;
    return inner_.msiGetProperty(session, name, buffer, length);
}

std::uint32_t FaultingPlatform::msiSetProperty(orv::MsiHandle session, const char* name, const char* value) {
    if (fails("msiSetProperty")) return kMsiFailure;
    return inner_.msiSetProperty(session, name, value);
}

std::uint32_t FaultingPlatform::msiGetFeatureState(orv::MsiHandle session, const char* feature,
                                                   orv::InstallState* installed, orv::InstallState* action) {
    if (fails("msiGetFeatureState")) return kMsiFailure;
    return inner_.msiGetFeatureState(session, feature, installed, action);
}

std::uint32_t FaultingPlatform::msiSetFeatureState(orv::MsiHandle session, const char* feature,
                                                   orv::InstallState state) {
    if (fails("msiSetFeatureState")) return kMsiFailure;
    return inner_.msiSetFeatureState(session, feature, state);
}

std::uint32_t FaultingPlatform::msiGetComponentState(orv::MsiHandle session, const char* component,
                                                     orv::InstallState* installed, orv::InstallState* action) {
    if (fails("msiGetComponentState")) return kMsiFailure;
    return inner_.msiGetComponentState(session, component, installed, action);
}

std::uint32_t FaultingPlatform::msiSetComponentState(orv::MsiHandle session, const char* component,
                                                     orv::InstallState state) {
    if (fails("msiSetComponentState")) return kMsiFailure;
    return inner_.msiSetComponentState(session, component, state);
}

std::uint32_t FaultingPlatform::msiDoAction(orv::MsiHandle session, const char* action) {
    if (fails("msiDoAction")) return kMsiFailure;
    return inner_.msiDoAction(session, action);
}

bool FaultingPlatform::msiGetMode(orv::MsiHandle session, int runMode) {
    if (fails("msiGetMode")) return false;
    return inner_.msiGetMode(session, runMode);
}

std::uint32_t FaultingPlatform::msiSetTargetPath(orv::MsiHandle session, const char* folder, const char* path) {
    if (fails("msiSetTargetPath")) return kMsiFailure;
    return inner_.msiSetTargetPath(session, folder, path);
}

std::uint32_t FaultingPlatform::msiFeatureNames(orv::MsiHandle session, std::vector<std::string>* names) {
    if (fails("msiFeatureNames")) return orv::kErrorBadQuerySyntax;
    return inner_.msiFeatureNames(session, names);
}

std::uint32_t FaultingPlatform::msiLogInfo(orv::MsiHandle session, const char* text) {
    if (fails("msiLogInfo")) return kMsiFailure;
    return inner_.msiLogInfo(session, text);
}

// ----- registry --------------------------------------------------------------------------------

std::int32_t FaultingPlatform::regOpenKey(const char* path, bool create, orv::RegKeyHandle* key) {
    if (fails("regOpenKey")) {
        *key = 0;
        return kRegistryFailure;
    }
    return inner_.regOpenKey(path, create, key);
}

std::int32_t FaultingPlatform::regCloseKey(orv::RegKeyHandle key) noexcept {
    const bool failing = fails("regCloseKey", CallKind::Closing);
    const std::int32_t result = inner_.regCloseKey(key);
    return failing ? kStaleKey : result;
}

std::int32_t FaultingPlatform::regQueryValue(orv::RegKeyHandle key, const char* name, std::uint32_t* type,
                                             std::string* data) {
    if (fails("regQueryValue")) return kRegistryFailure;
    return inner_.regQueryValue(key, name, type, data);
}

std::int32_t FaultingPlatform::regSetValue(orv::RegKeyHandle key, const char* name, std::uint32_t type,
                                           std::string_view data) {
    if (fails("regSetValue")) return kRegistryFailure;
    return inner_.regSetValue(key, name, type, data);
}

std::int32_t FaultingPlatform::regEnumValueName(orv::RegKeyHandle key, std::uint32_t index, std::string* name) {
    if (fails("regEnumValueName")) return kRegistryFailure;
    return inner_.regEnumValueName(key, index, name);
}

// ----- files -----------------------------------------------------------------------------------

std::uint32_t FaultingPlatform::fileAttributes(const char* path) {
    if (fails("fileAttributes")) return orv::kInvalidAttributes;
    return inner_.fileAttributes(path);
}

bool FaultingPlatform::setFileAttributes(const char* path, std::uint32_t attributes) {
    if (fails("setFileAttributes")) return false;
    return inner_.setFileAttributes(path, attributes);
}

bool FaultingPlatform::copyFile(const char* from, const char* to, bool failIfExists) {
    if (fails("copyFile")) return false;
    return inner_.copyFile(from, to, failIfExists);
}

bool FaultingPlatform::deleteFile(const char* path) {
    if (fails("deleteFile")) return false;
    return inner_.deleteFile(path);
}

bool FaultingPlatform::findFiles(const char* pattern, std::vector<orv::DirectoryEntry>* entries) {
    if (fails("findFiles")) return false;
    return inner_.findFiles(pattern, entries);
}

orv::FileHandle FaultingPlatform::createFile(const char* path) {
    if (fails("createFile")) return 0;
    return inner_.createFile(path);
}

bool FaultingPlatform::writeFile(orv::FileHandle file, std::string_view bytes) {
    if (fails("writeFile")) return false;
    return inner_.writeFile(file, bytes);
}

void FaultingPlatform::closeFile(orv::FileHandle file) noexcept {
    fails("closeFile", CallKind::Closing);
    inner_.closeFile(file);
}

bool FaultingPlatform::fileVersion(const char* path, orv::FileVersion* version) {
    if (fails("fileVersion")) return false;
    return inner_.fileVersion(path, version);
}

std::string FaultingPlatform::readProfileString(const char* file, const char* section, const char* key,
                                                const char* fallback, std::uint32_t capacity) {
    // An unreadable file reads as a missing key: GetPrivateProfileString gives the fallback.
    if (fails("readProfileString")) {
        if (capacity == 0) return {};
        std::string value = fallback == nullptr ? std::string() : std::string(fallback);
        if (value.size() > capacity - 1) value.resize(capacity - 1);
        return value;
    }
    return inner_.readProfileString(file, section, key, fallback, capacity);
}

std::vector<std::string> FaultingPlatform::readProfileKeys(const char* file, const char* section) {
    // An unreadable file lists no key, as GetPrivateProfileString gives none.
    if (fails("readProfileKeys")) return {};
    return inner_.readProfileKeys(file, section);
}

// ----- user interface, libraries, programs -------------------------------------------------------

int FaultingPlatform::messageBox(const char* text, const char* caption, std::uint32_t style) {
    if (fails("messageBox")) return 0;
    return inner_.messageBox(text, caption, style);
}

std::string FaultingPlatform::loadString(std::uint32_t id) {
    if (fails("loadString")) return {};
    return inner_.loadString(id);
}

orv::LibraryHandle FaultingPlatform::loadLibrary(const char* path) {
    if (fails("loadLibrary")) return 0;
    return inner_.loadLibrary(path);
}

void FaultingPlatform::freeLibrary(orv::LibraryHandle library) noexcept {
    fails("freeLibrary", CallKind::Closing);
    inner_.freeLibrary(library);
}

orv::ExportHandle FaultingPlatform::findExport(orv::LibraryHandle library, const char* name) {
    if (fails("findExport")) return 0;
    return inner_.findExport(library, name);
}

int FaultingPlatform::callIntExport(orv::ExportHandle function) {
    fails("callIntExport", CallKind::Infallible);
    return inner_.callIntExport(function);
}

void FaultingPlatform::callTextExport(orv::ExportHandle function, const char* argument) {
    fails("callTextExport", CallKind::Infallible);
    inner_.callTextExport(function, argument);
}

bool FaultingPlatform::shellExecute(const char* file, const char* parameters, const char* folder, int showCommand) {
    if (fails("shellExecute")) return false;
    return inner_.shellExecute(file, parameters, folder, showCommand);
}

std::string FaultingPlatform::upperCase(std::string_view text) {
    fails("upperCase", CallKind::Infallible);
    return inner_.upperCase(text);
}

int FaultingPlatform::compareIgnoreCase(const char* left, const char* right) {
    fails("compareIgnoreCase", CallKind::Infallible);
    return inner_.compareIgnoreCase(left, right);
}

}  // namespace sweep
