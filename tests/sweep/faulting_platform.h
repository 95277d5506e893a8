// A platform that passes every call on to another one, counts the calls, and at a chosen call
// makes it fail as Windows would, or raises std::bad_alloc there. The fault sweep runs each
// action through it once per call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "frame/platform.h"

namespace sweep {

enum class FaultMode {
    None,        // every call is passed on: the run that counts the calls
    Transient,   // the chosen call fails, the others are passed on
    Persistent,  // the chosen call and every later one fail
    Raise,       // the chosen call raises std::bad_alloc
};

const char* modeName(FaultMode mode);

// How a seam operation can go wrong.
enum class CallKind {
    Fallible,    // reports a failure the way its Windows call does
    Infallible,  // has no failure to report (case mapping, a call into another library's export)
    Closing,     // gives a handle back; see FaultingPlatform
};

struct SeamCall {
    const char* name;
    CallKind kind;
};

// Raised at every call past the budget, so that an action that retries a failing call for
// ever ends instead of hanging the sweep.
struct CallBudgetSpent {};

// Closing calls (regCloseKey, closeFile, freeLibrary) still close in the platform below when
// they "fail": Windows gives the handle back whatever it reports, and the sweep's count of open
// handles must stay meaningful. They never raise: their Windows calls allocate nothing and
// cannot throw, and the frame relies on that by closing from destructors, where a raise would
// end the process. Raising there would test a failure that cannot happen.
class FaultingPlatform final : public orv::Platform {
public:
    FaultingPlatform(orv::Platform& inner, FaultMode mode, std::size_t faultAt, std::size_t callBudget);

    // Every call made, in order, the budget's excess included.
    const std::vector<SeamCall>& calls() const { return calls_; }
    std::size_t faultsInjected() const { return faultsInjected_; }
    bool budgetSpent() const { return budgetSpent_; }

    std::uint32_t msiGetProperty(orv::MsiHandle, const char*, char*, std::uint32_t*) override;
    std::uint32_t msiSetProperty(orv::MsiHandle, const char*, const char*) override;
    std::uint32_t msiGetFeatureState(orv::MsiHandle, const char*, orv::InstallState*, orv::InstallState*) override;
    std::uint32_t msiSetFeatureState(orv::MsiHandle, const char*, orv::InstallState) override;
    std::uint32_t msiGetComponentState(orv::MsiHandle, const char*, orv::InstallState*, orv::InstallState*) override;
    std::uint32_t msiSetComponentState(orv::MsiHandle, const char*, orv::InstallState) override;
    std::uint32_t msiDoAction(orv::MsiHandle, const char*) override;
    bool msiGetMode(orv::MsiHandle, int) override;
    std::uint32_t msiSetTargetPath(orv::MsiHandle, const char*, const char*) override;
    std::uint32_t msiFeatureNames(orv::MsiHandle, std::vector<std::string>*) override;
    std::uint32_t msiLogInfo(orv::MsiHandle, const char*) override;
    std::int32_t regOpenKey(const char*, bool, orv::RegKeyHandle*) override;
    std::int32_t regCloseKey(orv::RegKeyHandle) noexcept override;
    std::int32_t regQueryValue(orv::RegKeyHandle, const char*, std::uint32_t*, std::string*) override;
    std::int32_t regSetValue(orv::RegKeyHandle, const char*, std::uint32_t, std::string_view) override;
    std::int32_t regEnumValueName(orv::RegKeyHandle, std::uint32_t, std::string*) override;
    std::uint32_t fileAttributes(const char*) override;
    bool setFileAttributes(const char*, std::uint32_t) override;
    bool copyFile(const char*, const char*, bool) override;
    bool deleteFile(const char*) override;
    bool findFiles(const char*, std::vector<orv::DirectoryEntry>*) override;
    orv::FileHandle createFile(const char*) override;
    bool writeFile(orv::FileHandle, std::string_view) override;
    void closeFile(orv::FileHandle) noexcept override;
    bool fileVersion(const char*, orv::FileVersion*) override;
    std::string readProfileString(const char*, const char*, const char*, const char*, std::uint32_t) override;
    std::vector<std::string> readProfileKeys(const char*, const char*) override;
    int messageBox(const char*, const char*, std::uint32_t) override;
    std::string loadString(std::uint32_t) override;
    orv::LibraryHandle loadLibrary(const char*) override;
    void freeLibrary(orv::LibraryHandle) noexcept override;
    orv::ExportHandle findExport(orv::LibraryHandle, const char*) override;
    int callIntExport(orv::ExportHandle) override;
    void callTextExport(orv::ExportHandle, const char*) override;
    bool shellExecute(const char*, const char*, const char*, int) override;
    std::string upperCase(std::string_view) override;
    int compareIgnoreCase(const char*, const char*) override;

private:
    // Records the call; raises where this run raises; true when this call must report failure.
    bool fails(const char* name, CallKind kind = CallKind::Fallible);

    orv::Platform& inner_;
    FaultMode mode_;
    std::size_t faultAt_;
    std::size_t callBudget_;
    std::vector<SeamCall> calls_;
    std::size_t faultsInjected_ = 0;
    bool budgetSpent_ = false;
};

}  // namespace sweep
