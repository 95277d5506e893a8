// The seam between the actions and Windows. Every operation the actions need from the installer
// or the operating system is one function here, and nothing else is. The real implementation
// (frame/win32) calls the ANSI entry points; the simulated machine (sim/) stands in for it in the
// native build.
//
// Operations report the way the underlying Windows call does: a result code or a plain success
// flag. Raising is left to the frame's objects above the seam.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

using MsiHandle = std::uint32_t;
using InstallState = std::int32_t;

inline constexpr InstallState kStateUnknown = -1;
inline constexpr InstallState kStateAbsent = 2;
inline constexpr InstallState kStateLocal = 3;
inline constexpr InstallState kStateSource = 4;

inline constexpr std::uint32_t kSuccess = 0;
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorBadPathname = 161;
inline constexpr std::uint32_t kErrorMoreData = 234;
inline constexpr std::uint32_t kErrorNoMoreItems = 259;
inline constexpr std::uint32_t kErrorInstallFailure = 1603;
inline constexpr std::uint32_t kErrorUnknownFeature = 1606;
inline constexpr std::uint32_t kErrorUnknownComponent = 1607;
inline constexpr std::uint32_t kErrorFunctionFailed = 1627;
inline constexpr std::uint32_t kErrorBadQuerySyntax = 1615;

inline constexpr int kRunModeScheduled = 16;
inline constexpr int kRunModeRollback = 17;
inline constexpr int kRunModeCommit = 18;

// Registry value types, as Windows numbers them.
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

// File attribute words, as Windows numbers them.
inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrSystem = 0x04;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;
inline constexpr std::uint32_t kAttrNormal = 0x80;
inline constexpr std::uint32_t kAttrReparsePoint = 0x400;
inline constexpr std::uint32_t kAttrCompressed = 0x800;
inline constexpr std::uint32_t kInvalidAttributes = 0xFFFFFFFF;

// Message box answers.
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// Opaque handles handed out by the seam; 0 is never a valid one.
using RegKeyHandle = std::uintptr_t;
using FileHandle = std::uintptr_t;
using LibraryHandle = std::uintptr_t;
using ExportHandle = std::uintptr_t;

struct DirectoryEntry {
    std::string name;
    std::uint32_t attributes = 0;
};

struct FileVersion {
    std::uint32_t mostSignificant = 0;   // major << 16 | minor
    std::uint32_t leastSignificant = 0;  // build << 16 | revision
};

// Closing calls are noexcept: the frame makes them from destructors, where a raise would end
// the process instead of reaching the guard.
class Platform {
public:
    virtual ~Platform() = default;

    // Installer session (msi.dll). `length` is in and out as for MsiGetProperty: capacity with
    // the terminating NUL in, characters without it out.
    virtual std::uint32_t msiGetProperty(MsiHandle session, const char* name, char* buffer,
                                         std::uint32_t* length) = 0;
    virtual std::uint32_t msiSetProperty(MsiHandle session, const char* name, const char* value) = 0;
    virtual std::uint32_t msiGetFeatureState(MsiHandle session, const char* feature,
                                             InstallState* installed, InstallState* action) = 0;
    virtual std::uint32_t msiSetFeatureState(MsiHandle session, const char* feature,
                                             InstallState state) = 0;
    virtual std::uint32_t msiGetComponentState(MsiHandle session, const char* component,
                                               InstallState* installed, InstallState* action) = 0;
    virtual std::uint32_t msiSetComponentState(MsiHandle session, const char* component,
                                               InstallState state) = 0;
    virtual std::uint32_t msiDoAction(MsiHandle session, const char* action) = 0;
    virtual bool msiGetMode(MsiHandle session, int runMode) = 0;
    virtual std::uint32_t msiSetTargetPath(MsiHandle session, const char* folder, const char* path) = 0;
    // Runs "select Feature from Feature" on the active database and fetches every row's first
    // field through a 260-character buffer. The result is that of opening the view.
    virtual std::uint32_t msiFeatureNames(MsiHandle session, std::vector<std::string>* names) = 0;
    // One line of text into the installer log (MsiProcessMessage, INSTALLMESSAGE_INFO), written
    // as it stands: brackets in it are not taken for fields.
    virtual std::uint32_t msiLogInfo(MsiHandle session, const char* text) = 0;

    // Registry under HKEY_LOCAL_MACHINE, full access. Results are Windows error codes.
    virtual std::int32_t regOpenKey(const char* path, bool create, RegKeyHandle* key) = 0;
    virtual std::int32_t regCloseKey(RegKeyHandle key) noexcept = 0;
    virtual std::int32_t regQueryValue(RegKeyHandle key, const char* name, std::uint32_t* type,
                                       std::string* data) = 0;
    virtual std::int32_t regSetValue(RegKeyHandle key, const char* name, std::uint32_t type,
                                     std::string_view data) = 0;
    // The name of the value at `index`, or kErrorNoMoreItems past the last one.
    virtual std::int32_t regEnumValueName(RegKeyHandle key, std::uint32_t index, std::string* name) = 0;

    // Files and folders.
    virtual std::uint32_t fileAttributes(const char* path) = 0;  // kInvalidAttributes when absent
    virtual bool setFileAttributes(const char* path, std::uint32_t attributes) = 0;
    virtual bool copyFile(const char* from, const char* to, bool failIfExists) = 0;
    virtual bool deleteFile(const char* path) = 0;
    // FindFirstFile/FindNextFile over a pattern; false when the search finds nothing.
    virtual bool findFiles(const char* pattern, std::vector<DirectoryEntry>* entries) = 0;
    // Creates a file, or empties an existing one. 0 on failure.
    virtual FileHandle createFile(const char* path) = 0;
    // False unless every byte was written.
    virtual bool writeFile(FileHandle file, std::string_view bytes) = 0;
    virtual void closeFile(FileHandle file) noexcept = 0;
    virtual bool fileVersion(const char* path, FileVersion* version) = 0;
    // GetPrivateProfileString: at most `capacity` - 1 characters of the value.
    virtual std::string readProfileString(const char* file, const char* section, const char* key,
                                          const char* fallback, std::uint32_t capacity) = 0;
    // GetPrivateProfileString with no key: the names of the section's keys as the file spells
    // them, in its order; none for a missing file or section.
    virtual std::vector<std::string> readProfileKeys(const char* file, const char* section) = 0;

    // User interface and resources of the library that runs the action.
    virtual int messageBox(const char* text, const char* caption, std::uint32_t style) = 0;
    // Empty text when the library's string table has no such id.
    virtual std::string loadString(std::uint32_t id) = 0;

    // Other libraries and programs.
    virtual LibraryHandle loadLibrary(const char* path) = 0;  // 0 when it cannot be loaded
    virtual void freeLibrary(LibraryHandle library) noexcept = 0;
    virtual ExportHandle findExport(LibraryHandle library, const char* name) = 0;  // 0 when absent
    // Calls an export taking no argument and returning an int.
    virtual int callIntExport(ExportHandle function) = 0;
    // Calls an export taking one narrow, NUL-terminated string.
    virtual void callTextExport(ExportHandle function, const char* argument) = 0;
    // ShellExecute without owner window or verb. True when Windows reports the start.
    virtual bool shellExecute(const char* file, const char* parameters, const char* folder,
                              int showCommand) = 0;

    // Text by the user's locale rules.
    virtual std::string upperCase(std::string_view text) = 0;
    // lstrcmpi: negative, zero or positive.
    virtual int compareIgnoreCase(const char* left, const char* right) = 0;
};

}  // namespace orv
