// A simulated Windows machine behind the seam, for the native build. Each part copies what the
// actions rely on from the real thing: the installer's buffer contract and state rules, a
// case-insensitive HKEY_LOCAL_MACHINE with typed values, a file system with drive letters,
// attribute words and "." and ".." in every folder listing, scripted message boxes, loadable
// fake libraries and a record of started programs. Any single operation can be made to fail.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "frame/platform.h"
#include "frame/strings.h"

namespace sim {

using orv::InstallState;

// Every operation of the seam, for naming the one that should fail.
enum class Op {
    GetProperty, SetProperty, GetFeatureState, SetFeatureState, GetComponentState, SetComponentState,
    DoAction, SetTargetPath, FeatureView, LogMessage,
    RegOpenKey, RegCreateKey, RegQueryValue, RegSetValue, RegEnumValue,
    FileAttributes, SetFileAttributes, CopyFile, DeleteFile, FindFiles, CreateFile, WriteFile, FileVersion,
    ReadProfile, MessageBox, LoadLibrary, ShellExecute,
};

// Text compared and ordered as Windows does for registry, file and fault names.
struct NoCaseLess {
    bool operator()(const std::string& left, const std::string& right) const;
};
std::string upperAscii(std::string text);

// ----- installer session ---------------------------------------------------------------------

struct States {
    InstallState installed = orv::kStateAbsent;
    InstallState action = orv::kStateUnknown;
};

struct StateRequest {
    std::string kind;  // "feature" or "component"
    std::string name;
    InstallState state;
    bool operator==(const StateRequest&) const = default;
};

// One MsiSetProperty call as the action made it; a null or empty value is a removal (nullopt).
struct PropertyWrite {
    std::string name;
    std::optional<std::string> value;
    bool operator==(const PropertyWrite&) const = default;
};

struct Session {
    orv::MsiHandle handle = 1001;
    std::map<std::string, std::string> properties;  // names are case-sensitive, as in the installer
    std::map<std::string, States> features;
    std::map<std::string, States> components;
    std::vector<StateRequest> requests;  // every state requested, in order
    std::vector<std::string> featureTable;  // rows of the Feature table, in order
    bool rollback = false;
    std::string resolvedSource;  // what ResolveSource puts into SourceDir
    std::vector<std::string> actionsRun;
    std::map<std::string, std::string> targetPaths;
    std::vector<std::string> log;  // lines written to the installer log, in order
    std::vector<PropertyWrite> propertyWrites;  // every write and removal, in order

    std::string property(const std::string& name) const;
    bool hasProperty(const std::string& name) const { return properties.count(name) != 0; }
};

// ----- registry --------------------------------------------------------------------------------

struct RegValue {
    std::uint32_t type = orv::kRegSz;
    std::string data;  // raw bytes; string types include their terminating NUL
};

struct RegKey {
    std::string name;
    std::map<std::string, RegKey, NoCaseLess> subkeys;
    std::vector<std::pair<std::string, RegValue>> values;  // in the order they were first written
};

class Hive {
public:
    // Creates the key and its parents; gives the key.
    RegKey& ensure(const std::string& path);
    RegKey* find(const std::string& path);
    bool exists(const std::string& path) { return find(path) != nullptr; }

    // Seeding and reading back, as tests want them.
    void setString(const std::string& path, const std::string& name, const std::string& value);
    void setValue(const std::string& path, const std::string& name, std::uint32_t type, const std::string& data);
    void setDword(const std::string& path, const std::string& name, std::uint32_t value);
    std::optional<RegValue> value(const std::string& path, const std::string& name);
    // The text of a string value; nullopt when the key or value is missing or not a string.
    std::optional<std::string> string(const std::string& path, const std::string& name);

private:
    RegKey root_;
};

// ----- files -----------------------------------------------------------------------------------

struct FileNode {
    std::string path;  // as first spelled
    std::uint32_t attributes = orv::kAttrArchive;
    std::string bytes;
    std::optional<orv::FileVersion> version;
    std::uint64_t created = 0;  // a folder lists its entries in this order, as FAT does: unsorted
    bool isDirectory() const { return (attributes & orv::kAttrDirectory) != 0; }
};

class FileSystem {
public:
    FileSystem();
    void addDrive(char letter);

    // Seeding. Parents are created as plain folders.
    void addFolder(const std::string& path, std::uint32_t attributes = orv::kAttrDirectory);
    void addFile(const std::string& path, const std::string& bytes = {}, std::uint32_t attributes = orv::kAttrArchive);
    void setVersion(const std::string& path, std::uint16_t major, std::uint16_t minor, std::uint16_t build,
                    std::uint16_t revision);

    FileNode* find(const std::string& path);
    bool isFile(const std::string& path);
    bool isFolder(const std::string& path);
    std::optional<std::string> contents(const std::string& path);
    std::uint32_t attributes(const std::string& path);  // kInvalidAttributes when absent

    // Windows operations with their rules.
    bool copy(const std::string& from, const std::string& to, bool failIfExists);
    bool remove(const std::string& path);
    bool setAttributes(const std::string& path, std::uint32_t attributes);
    bool list(const std::string& pattern, std::vector<orv::DirectoryEntry>* entries);
    // Creates or empties a file; false where Windows would refuse.
    bool create(const std::string& path);

    // The full, normalised spelling of a path: "c:/a//b\" gives "c:\a\b".
    std::string normalise(const std::string& path) const;
    std::string currentFolder = "C:\\";
    // Where GetPrivateProfileString looks for a bare file name.
    std::string windowsFolder = "C:\\Windows";

private:
    std::string parentOf(const std::string& normalised) const;
    FileNode& place(const std::string& normalised, FileNode node);
    std::map<std::string, FileNode, NoCaseLess> nodes_;
    std::uint64_t nextCreated_ = 0;
};

// ----- user interface, libraries, programs -------------------------------------------------------

struct MessageBoxShown {
    std::string text;
    std::string caption;
    std::uint32_t style = 0;
    bool operator==(const MessageBoxShown&) const = default;
};

struct FakeLibrary {
    std::map<std::string, std::function<int()>> intExports;
    std::map<std::string, std::function<void(const std::string&)>> textExports;
};

struct LibraryCall {
    std::string library;
    std::string function;
    std::string argument;
    bool operator==(const LibraryCall&) const = default;
};

struct ProgramStart {
    std::string file;
    std::string parameters;
    std::string folder;
    int showCommand = 0;
    bool operator==(const ProgramStart&) const = default;
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

// ----- the machine -----------------------------------------------------------------------------

class Machine : public orv::Platform {
public:
    Session session;
    Hive hklm;
    FileSystem files;

    std::vector<MessageBoxShown> messageBoxes;
    std::deque<int> answers;  // given to the boxes in order; an unscripted box gets 0, as a failed box
    orv::StringTable strings;  // the table of the library under test

    std::map<std::string, FakeLibrary, NoCaseLess> libraries;  // by full path
    std::vector<LibraryCall> libraryCalls;
    std::vector<ProgramStart> programsStarted;
    std::vector<FileCall> fileCalls;  // copies, deletions, attribute changes and creations

    // Makes calls of `op` on `subject` (a property, feature, key path or file path; empty for
    // any) fail, with `code` where the operation gives one.
    void fail(Op op, const std::string& subject = {}, std::uint32_t code = orv::kErrorFunctionFailed);
    void clearFaults() { faults_.clear(); }

    // Handles the actions left open; a finished action leaves none.
    std::size_t openKeys() const { return openKeys_.size(); }
    std::size_t openFiles() const { return openFiles_.size(); }
    std::size_t loadedLibraries() const { return loaded_.size(); }

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
    std::int32_t regCloseKey(orv::RegKeyHandle) override;
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
    void closeFile(orv::FileHandle) override;
    bool fileVersion(const char*, orv::FileVersion*) override;
    std::string readProfileString(const char*, const char*, const char*, const char*, std::uint32_t) override;
    int messageBox(const char*, const char*, std::uint32_t) override;
    std::string loadString(std::uint32_t) override;
    orv::LibraryHandle loadLibrary(const char*) override;
    void freeLibrary(orv::LibraryHandle) override;
    orv::ExportHandle findExport(orv::LibraryHandle, const char*) override;
    int callIntExport(orv::ExportHandle) override;
    void callTextExport(orv::ExportHandle, const char*) override;
    bool shellExecute(const char*, const char*, const char*, int) override;
    std::string upperCase(std::string_view) override;
    int compareIgnoreCase(const char*, const char*) override;

private:
    const Fault* faultFor(Op op, const std::string& subject) const;
    bool validSession(orv::MsiHandle handle) const { return handle == session.handle; }
    std::uint32_t getStates(Op op, const std::map<std::string, States>& table, std::uint32_t unknown,
                            orv::MsiHandle handle, const char* name, InstallState* installed, InstallState* action);
    std::uint32_t requestState(Op op, const char* kind, std::map<std::string, States>& table, std::uint32_t unknown,
                               orv::MsiHandle handle, const char* name, InstallState state);

    std::vector<Fault> faults_;
    std::map<orv::RegKeyHandle, std::string> openKeys_;
    std::map<orv::FileHandle, std::string> openFiles_;
    std::map<orv::LibraryHandle, std::string> loaded_;
    struct ExportRef {
        std::string library;
        std::string name;
    };
    std::map<orv::ExportHandle, ExportRef> exports_;
    std::uintptr_t nextHandle_ = 0x100;
};

}  // namespace sim
