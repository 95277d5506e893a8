// A simulated Windows machine behind the seam, for the native build. It is made of the parts the
// actions meet: the installer session (installer.h), HKEY_LOCAL_MACHINE (hive.h), the file system
// (filesystem.h) and the desktop with its boxes, strings, libraries and programs (desktop.h).
// Machine is the seam's facade over them: it hands out handles, counts the ones left open, and
// keeps the table of faults, so that any single operation can be made to fail.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "desktop.h"
#include "filesystem.h"
#include "frame/platform.h"
#include "hive.h"
#include "installer.h"
#include "text.h"

namespace sim {

// Every operation of the seam, for naming the one that should fail. The subject a fault names,
// compared without regard to case (empty: every call of the operation):
//   GetProperty, SetProperty                    the property name
//   GetFeatureState, SetFeatureState            the feature
//   GetComponentState, SetComponentState        the component
//   DoAction                                    the standard action ("ResolveSource")
//   SetTargetPath                               the directory name
//   FeatureView                                 "Feature" (the view cannot be opened)
//   LogMessage                                  the whole log line
//   RegOpenKey, RegCreateKey                    the key path as the action passed it
//   RegQueryValue, RegSetValue, RegEnumValue    the path of the open key (not the value name)
//   FileAttributes, SetFileAttributes, DeleteFile, CreateFile, FileVersion
//                                               the path as the action spelled it
//   CopyFile                                    the target path ("this file cannot be copied over")
//   FindFiles                                   the search pattern
//   WriteFile                                   the normalised path of the open file
//   ReadProfile                                 the file name as the action passed it; a value
//                                               reads as its fallback, a key list as empty
//   MessageBox                                  the box's text
//   LoadLibrary                                 the library path
//   ShellExecute                                the program file
enum class Op {
    GetProperty, SetProperty, GetFeatureState, SetFeatureState, GetComponentState, SetComponentState,
    DoAction, SetTargetPath, FeatureView, LogMessage,
    RegOpenKey, RegCreateKey, RegQueryValue, RegSetValue, RegEnumValue,
    FileAttributes, SetFileAttributes, CopyFile, DeleteFile, FindFiles, CreateFile, WriteFile, FileVersion,
    ReadProfile, MessageBox, LoadLibrary, ShellExecute,
};

// A file operation as the action spelled it, before any normalising.
struct FileCall {
    Op op;
    std::string path;
    std::string other;  // the target of a copy
    bool operator==(const FileCall&) const = default;
};

struct Fault {
    Op op;
    std::string subject;  // empty: every call of the operation
    std::uint32_t code;   // the result code, for operations that report one
};

class Machine : public orv::Platform {
public:
    Session session;
    Hive hklm;
    FileSystem files;
    Desktop desktop;
    std::vector<FileCall> fileCalls;  // copies, deletions, attribute changes and creations

    // Makes calls of `op` on `subject` fail, with `code` where the operation gives one.
    void fail(Op op, const std::string& subject = {}, std::uint32_t code = orv::kErrorFunctionFailed);
    void clearFaults() { faults_.clear(); }

    // Handles the actions left open; a finished action leaves none.
    std::size_t openKeys() const { return openKeys_.size(); }
    std::size_t openFiles() const { return openFiles_.size(); }
    std::size_t loadedLibraries() const { return desktop.loadedLibraries(); }

    // orv::Platform
    std::uint32_t msiGetProperty(orv::MsiHandle, const char*, char*, std::uint32_t*) override;
    std::uint32_t msiSetProperty(orv::MsiHandle, const char*, const char*) override;
    std::uint32_t msiGetFeatureState(orv::MsiHandle, const char*, InstallState*, InstallState*) override;
    std::uint32_t msiSetFeatureState(orv::MsiHandle, const char*, InstallState) override;
    std::uint32_t msiGetComponentState(orv::MsiHandle, const char*, InstallState*, InstallState*) override;
    std::uint32_t msiSetComponentState(orv::MsiHandle, const char*, InstallState) override;
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
    const Fault* faultFor(Op op, const std::string& subject) const;
    bool validSession(orv::MsiHandle handle) const { return handle == session.handle; }

    std::vector<Fault> faults_;
    std::map<orv::RegKeyHandle, std::string> openKeys_;
    std::map<orv::FileHandle, std::string> openFiles_;
    std::uintptr_t nextHandle_ = 0x100;
};

}  // namespace sim
