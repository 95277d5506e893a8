// What the session and the machine hold at one point of the sequence, written where the harness
// can read it. The engine reports success even when an action is missing or faults, so the tests
// judge the actions by what this probe sees afterwards, never by msiexec's exit code.
//
// Properties read (all ';'-separated lists, empty for none):
//   PROBE_OUTPUT         the file to append to (a Windows path)
//   PROBE_PROPERTIES     properties to report
//   PROBE_FEATURES       features to report
//   PROBE_COMPONENTS     components to report
//   PROBE_TARGETS        directories whose target path to report
//   PROBE_VALUES         HKLM values to read as an action reads them, "<key>\<name>" (a trailing
//                        backslash names the key's default value)
//   PROBE_KEYS           HKLM keys whose access to report
//   PROBE_FILE_VERSIONS  files whose version resource to report
//
// One record a line, fields split by tabs; tab, newline, carriage return and backslash inside a
// value are written as \t, \n, \r and \\ so that any value survives the trip:
//   stage      <before|after>
//   property   <name> <result code> <value>
//   feature    <name> <result code> <installed state> <action state>
//   component  <name> <result code> <installed state> <action state>
//   target     <directory> <result code> <target path>
//   value      <key> <name> <result code> <type> <data in hex, as RegQueryValueExA gives it>
//   key        <key> <result of opening it to read> <result of opening it to set values>
//   version    <path> <result code> <major.minor.build.revision>
//   end
// The closing "end" tells the harness the stage was written whole. The harness's test actions
// (calls.cpp, script.cpp) add records of their own to the same file.
//
// DenyKeyWrites, run before the first probe, gives each key in PROBE_WRITE_PROTECTED_KEYS (created
// if missing) a DACL that denies setting values and creating subkeys. Wine keeps no security in its
// hive files, so the harness cannot seed it there; it lasts while the run's server does.
//
// WriteThroughNull faults on purpose: the harness's own tests show with it that a run in which an
// action crashes fails, although the engine reports success.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <sddl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "report.h"

namespace {

using probe::readProperty;
using probe::splitList;
using probe::writeRecord;

probe::Read readTargetPath(MSIHANDLE session, const std::string& directory) {
    return probe::readGrowing(session, directory, MsiGetTargetPathA);
}

std::string hex(const std::vector<BYTE>& bytes) {
    std::string out;
    char pair[4];
    for (BYTE byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", byte);
        out += pair;
    }
    return out;
}

void writeProperties(FILE* out, MSIHANDLE session) {
    for (const std::string& name : splitList(readProperty(session, "PROBE_PROPERTIES").value)) {
        const probe::Read read = readProperty(session, name);
        writeRecord(out, {"property", name, std::to_string(read.code), read.value});
    }
}

void writeTargets(FILE* out, MSIHANDLE session) {
    for (const std::string& name : splitList(readProperty(session, "PROBE_TARGETS").value)) {
        const probe::Read read = readTargetPath(session, name);
        writeRecord(out, {"target", name, std::to_string(read.code), read.value});
    }
}

template <typename StateQuery>
void writeStates(FILE* out, MSIHANDLE session, const char* kind, const char* listProperty, StateQuery query) {
    for (const std::string& name : splitList(readProperty(session, listProperty).value)) {
        INSTALLSTATE installed = INSTALLSTATE_UNKNOWN;
        INSTALLSTATE action = INSTALLSTATE_UNKNOWN;
        const UINT code = query(session, name.c_str(), &installed, &action);
        writeRecord(out, {kind, name, std::to_string(code), std::to_string(static_cast<int>(installed)),
                          std::to_string(static_cast<int>(action))});
    }
}

// As an action would read it: the ANSI call, a buffer that grows to the size asked for, and the
// bytes it gives back exactly, so that a missing terminator shows.
void writeValues(FILE* out, MSIHANDLE session) {
    for (const std::string& item : splitList(readProperty(session, "PROBE_VALUES").value)) {
        const std::size_t slash = item.rfind('\\');
        const std::string key = slash == std::string::npos ? item : item.substr(0, slash);
        const std::string name = slash == std::string::npos ? std::string() : item.substr(slash + 1);
        HKEY handle = nullptr;
        LONG code = RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &handle);
        DWORD type = 0;
        std::vector<BYTE> data;
        if (code == ERROR_SUCCESS) {
            DWORD size = 0;
            code = RegQueryValueExA(handle, name.c_str(), nullptr, &type, nullptr, &size);
            if (code == ERROR_SUCCESS) {
                data.resize(size + 16);
                code = RegQueryValueExA(handle, name.c_str(), nullptr, &type, data.data(), &size);
                data.resize(code == ERROR_SUCCESS ? size : 0);
            }
            RegCloseKey(handle);
        }
        writeRecord(out, {"value", key, name, std::to_string(code), std::to_string(type), hex(data)});
    }
}

LONG openResult(const std::string& key, REGSAM access) {
    HKEY handle = nullptr;
    const LONG code = RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, access | KEY_WOW64_64KEY, &handle);
    if (code == ERROR_SUCCESS) RegCloseKey(handle);
    return code;
}

void writeKeys(FILE* out, MSIHANDLE session) {
    for (const std::string& key : splitList(readProperty(session, "PROBE_KEYS").value))
        writeRecord(out, {"key", key, std::to_string(openResult(key, KEY_READ)),
                          std::to_string(openResult(key, KEY_SET_VALUE))});
}

void writeFileVersions(FILE* out, MSIHANDLE session) {
    for (const std::string& path : splitList(readProperty(session, "PROBE_FILE_VERSIONS").value)) {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
        std::vector<BYTE> block(size);
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        DWORD code = ERROR_SUCCESS;
        if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, block.data())) code = GetLastError();
        else if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr)
            code = ERROR_RESOURCE_TYPE_NOT_FOUND;
        std::string version;
        if (code == ERROR_SUCCESS)
            version = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) +
                      "." + std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
                      std::to_string(LOWORD(fixed->dwFileVersionLS));
        writeRecord(out, {"version", path, std::to_string(code), version});
    }
}

UINT writeStage(MSIHANDLE session, const char* stage) {
    const std::string path = readProperty(session, "PROBE_OUTPUT").value;
    if (path.empty()) return ERROR_SUCCESS;
    const probe::File out = probe::openReport(path);
    if (!out) return ERROR_SUCCESS;
    writeRecord(out.get(), {"stage", stage});
    writeProperties(out.get(), session);
    writeStates(out.get(), session, "feature", "PROBE_FEATURES", MsiGetFeatureStateA);
    writeStates(out.get(), session, "component", "PROBE_COMPONENTS", MsiGetComponentStateA);
    writeTargets(out.get(), session);
    writeValues(out.get(), session);
    writeKeys(out.get(), session);
    writeFileVersions(out.get(), session);
    writeRecord(out.get(), {"end"});
    return ERROR_SUCCESS;
}

}  // namespace

extern "C" UINT __stdcall ProbeBefore(MSIHANDLE session) { return writeStage(session, "before"); }
extern "C" UINT __stdcall ProbeAfter(MSIHANDLE session) { return writeStage(session, "after"); }

// Everyone may read and do anything else, but not set values or create subkeys: the rights an
// action's RegCreateKeyEx with KEY_ALL_ACCESS needs. Denying all of KEY_WRITE would deny reading
// too, since it holds READ_CONTROL.
extern "C" UINT __stdcall DenyKeyWrites(MSIHANDLE session) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(D;OICI;0x6;;;WD)(A;OICI;KA;;;WD)", SDDL_REVISION_1,
                                                              &descriptor, nullptr))
        return ERROR_INSTALL_FAILURE;
    UINT result = ERROR_SUCCESS;
    for (const std::string& key : splitList(readProperty(session, "PROBE_WRITE_PROTECTED_KEYS").value)) {
        HKEY handle = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr,
                            &handle, nullptr) != ERROR_SUCCESS) {
            result = ERROR_INSTALL_FAILURE;
            continue;
        }
        if (RegSetKeySecurity(handle, DACL_SECURITY_INFORMATION, descriptor) != ERROR_SUCCESS) result = ERROR_INSTALL_FAILURE;
        RegCloseKey(handle);
    }
    LocalFree(descriptor);
    return result;
}

extern "C" UINT __stdcall WriteThroughNull(MSIHANDLE) {
    // volatile, so that the compiler keeps the store it could otherwise prove undefined.
    volatile int* nowhere = nullptr;
    *nowhere = 1;
    return ERROR_SUCCESS;
}
