// CallWindows: Windows calls the actions rely on, made inside the engine's custom-action host, so
// that the tests see what the engine here really does where the simulated machine models a rule
// of Windows. CALLS_CHECK names one check; each works in a folder of its own under C:\engine-calls
// and appends its findings as one stage of the report:
//   stage  calls
//   call   <finding> <result>
//   end
// A result is "ok" or "error <GetLastError()>" for a call that succeeds or fails, or the value
// read back.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "report.h"

namespace {

using Findings = std::vector<std::pair<std::string, std::string>>;

std::string outcome(BOOL succeeded) {
    const DWORD error = GetLastError();
    return succeeded ? "ok" : "error " + std::to_string(error);
}

std::string created(HANDLE file) {
    const DWORD error = GetLastError();
    if (file == INVALID_HANDLE_VALUE) return "error " + std::to_string(error);
    CloseHandle(file);
    return "ok";
}

std::string attributesOf(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return "error " + std::to_string(GetLastError());
    char text[16];
    std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(attributes));
    return text;
}

HANDLE createAlways(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void writeFile(const std::string& path, const std::string& contents) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    const HANDLE file = createAlways(path);
    DWORD written = 0;
    WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
    CloseHandle(file);
}

std::string contentsOf(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "error " + std::to_string(GetLastError());
    char buffer[256];
    DWORD read = 0;
    ReadFile(file, buffer, sizeof buffer, &read, nullptr);
    CloseHandle(file);
    return std::string(buffer, read);
}

std::string folderFor(const std::string& check) {
    CreateDirectoryA("C:\\engine-calls", nullptr);
    const std::string folder = "C:\\engine-calls\\" + check;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// A hidden or a system file in the way of CopyFile and of CreateFile(CREATE_ALWAYS) without that
// attribute; each call meets a freshly made one.
Findings replaceHiddenOrSystemFile(MSIHANDLE) {
    const std::string folder = folderFor("ReplaceHiddenOrSystemFile");
    const std::string source = folder + "\\source.txt";
    writeFile(source, "new");
    Findings findings;
    for (const auto& [name, attribute] : {std::pair<std::string, DWORD>{"hidden", FILE_ATTRIBUTE_HIDDEN},
                                          std::pair<std::string, DWORD>{"system", FILE_ATTRIBUTE_SYSTEM}}) {
        const std::string target = folder + "\\" + name + ".txt";
        const auto fresh = [&] {
            writeFile(target, "old");
            SetFileAttributesA(target.c_str(), attribute);
        };
        fresh();
        findings.emplace_back(name + " file attributes", attributesOf(target));
        findings.emplace_back("CopyFile onto a " + name + " file", outcome(CopyFileA(source.c_str(), target.c_str(), FALSE)));
        findings.emplace_back(name + " file after CopyFile", contentsOf(target));
        fresh();
        findings.emplace_back("CreateFile(CREATE_ALWAYS) onto a " + name + " file", created(createAlways(target)));
    }
    return findings;
}

Findings copyOntoItself(MSIHANDLE) {
    const std::string file = folderFor("CopyOntoItself") + "\\same.txt";
    writeFile(file, "kept");
    std::string otherCase = file;
    CharUpperBuffA(otherCase.data(), static_cast<DWORD>(otherCase.size()));
    Findings findings;
    findings.emplace_back("CopyFile onto itself", outcome(CopyFileA(file.c_str(), file.c_str(), FALSE)));
    findings.emplace_back("CopyFile onto itself in other letter case", outcome(CopyFileA(file.c_str(), otherCase.c_str(), FALSE)));
    findings.emplace_back("file after", contentsOf(file));
    return findings;
}

Findings trailingBackslash(MSIHANDLE) {
    const std::string folder = folderFor("TrailingBackslash");
    const std::string file = folder + "\\present.txt";
    writeFile(file, "here");
    Findings findings;
    findings.emplace_back("GetFileAttributes of an existing file with a trailing backslash", attributesOf(file + "\\"));
    findings.emplace_back("CreateFile(CREATE_ALWAYS) with a trailing backslash", created(createAlways(folder + "\\new.txt\\")));
    findings.emplace_back("CopyFile to a name with a trailing backslash",
                          outcome(CopyFileA(file.c_str(), (folder + "\\copy.txt\\").c_str(), FALSE)));
    findings.emplace_back("GetFileAttributes of the folder with a trailing backslash", attributesOf(folder + "\\"));
    return findings;
}

// Paths of 259 and 260 characters: MAX_PATH is 260 with the terminating NUL.
Findings longPaths(MSIHANDLE) {
    const std::string folder = folderFor("LongPaths");
    Findings findings;
    for (const std::size_t length : {259u, 260u}) {
        std::string path = folder + "\\";
        path += std::string(length - path.size() - 4, 'n') + ".txt";
        findings.emplace_back("CreateFile(CREATE_ALWAYS) of " + std::to_string(path.size()) + " characters",
                              created(createAlways(path)));
        findings.emplace_back("GetFileAttributes of " + std::to_string(path.size()) + " characters", attributesOf(path));
    }
    return findings;
}

Findings normalAttribute(MSIHANDLE) {
    const std::string file = folderFor("NormalAttribute") + "\\plain.txt";
    writeFile(file, "plain");
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    Findings findings;
    findings.emplace_back("attributes before", attributesOf(file));
    findings.emplace_back("SetFileAttributes(NORMAL)", outcome(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL)));
    findings.emplace_back("attributes after", attributesOf(file));
    return findings;
}

std::string profileRead(const char* fallback, const std::string& file) {
    char buffer[64] = {};
    const DWORD length = GetPrivateProfileStringA("Section", "Key", fallback, buffer, sizeof buffer, file.c_str());
    return "\"" + std::string(buffer, length) + "\" (" + std::to_string(length) + ")";
}

// A bare file name, present both in the Windows folder and in the current folder with
// different values.
Findings profileStrings(MSIHANDLE) {
    const std::string folder = folderFor("ProfileStrings");
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    writeFile(std::string(windows) + "\\engine-calls.ini", "[Section]\r\nKey=from the Windows folder\r\n");
    writeFile(folder + "\\engine-calls.ini", "[Section]\r\nKey=from the current folder\r\n");
    SetCurrentDirectoryA(folder.c_str());
    Findings findings;
    findings.emplace_back("fallback with trailing blanks", profileRead("fallback  ", folder + "\\missing.ini"));
    findings.emplace_back("bare file name", profileRead("none", "engine-calls.ini"));
    return findings;
}

std::string listing(const std::string& pattern, std::string* shortNames = nullptr) {
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return "error " + std::to_string(GetLastError());
    std::string names;
    do {
        names += (names.empty() ? "" : ",") + std::string(found.cFileName);
        if (shortNames != nullptr && found.cAlternateFileName[0] != '\0')
            *shortNames += (shortNames->empty() ? "" : ",") + std::string(found.cAlternateFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

Findings shortNamePatterns(MSIHANDLE) {
    const std::string folder = folderFor("ShortNamePatterns");
    writeFile(folder + "\\a.cfgx", "long extension");
    writeFile(folder + "\\b.cfg", "short extension");
    std::string shortNames;
    Findings findings;
    findings.emplace_back("*.cfg finds", listing(folder + "\\*.cfg", &shortNames));
    findings.emplace_back("short names", shortNames);
    return findings;
}

Findings listingOrder(MSIHANDLE) {
    const std::string folder = folderFor("ListingOrder");
    for (const char* name : {"zz.txt", "b.txt", "A.txt", "c.txt"}) writeFile(folder + "\\" + name, name);
    return {{"*.txt, made as zz b A c", listing(folder + "\\*.txt")}};
}

std::string sign(int value) { return value < 0 ? "less" : value > 0 ? "greater" : "equal"; }

// Texts in code page 1252, as the actions pass them.
Findings localeCompare(MSIHANDLE) {
    const std::pair<const char*, const char*> pairs[] = {
        {"Stra\xdf" "e", "STRASSE"}, {"\xe6on", "AEON"}, {"co-op", "coop"}, {"co-op", "cob"}, {"a-b", "ab"},
        {"o'neil", "oneil"},        {"_", "0"},         {"0", "a"},        {"e", "\xe9"},    {"\xe9", "f"},
        {"caf\xe9", "CAFE"}};
    Findings findings;
    for (const auto& [left, right] : pairs)
        findings.emplace_back(std::string(left) + " : " + right, sign(lstrcmpiA(left, right)));
    return findings;
}

Findings setTargetPath(MSIHANDLE session) {
    Findings findings;
    findings.emplace_back("MsiSetTargetPath of a name not in the Directory table",
                          std::to_string(MsiSetTargetPathA(session, "NOT_A_DIRECTORY", "C:\\Elsewhere")));
    findings.emplace_back("MsiSetTargetPath without a trailing backslash",
                          std::to_string(MsiSetTargetPathA(session, "SHARED_FILES_DIR", "C:\\Elsewhere")));
    findings.emplace_back("property after", probe::readProperty(session, "SHARED_FILES_DIR").value);
    findings.emplace_back("target path after", probe::readGrowing(session, "SHARED_FILES_DIR", MsiGetTargetPathA).value);
    return findings;
}

// A property of five characters read into buffers of three and of none.
Findings propertyLength(MSIHANDLE session) {
    MsiSetPropertyA(session, "CALLS_VALUE", "12345");
    Findings findings;
    char buffer[3] = {'x', 'x', 'x'};
    DWORD size = sizeof buffer;
    const UINT code = MsiGetPropertyA(session, "CALLS_VALUE", buffer, &size);
    findings.emplace_back("MsiGetPropertyA into three characters", std::to_string(code) + ", size " + std::to_string(size));
    findings.emplace_back("buffer after", std::string(buffer, strnlen(buffer, sizeof buffer)));
    char empty[1] = {'x'};
    DWORD none = 0;
    const UINT sized = MsiGetPropertyA(session, "CALLS_VALUE", empty, &none);
    findings.emplace_back("MsiGetPropertyA with size 0", std::to_string(sized) + ", size " + std::to_string(none));
    return findings;
}

const std::map<std::string, std::function<Findings(MSIHANDLE)>>& checks() {
    static const std::map<std::string, std::function<Findings(MSIHANDLE)>> all = {
        {"ReplaceHiddenOrSystemFile", replaceHiddenOrSystemFile},
        {"CopyOntoItself", copyOntoItself},
        {"TrailingBackslash", trailingBackslash},
        {"LongPaths", longPaths},
        {"NormalAttribute", normalAttribute},
        {"ProfileStrings", profileStrings},
        {"ShortNamePatterns", shortNamePatterns},
        {"ListingOrder", listingOrder},
        {"LocaleCompare", localeCompare},
        {"SetTargetPath", setTargetPath},
        {"PropertyLength", propertyLength},
    };
    return all;
}

}  // namespace

extern "C" UINT __stdcall CallWindows(MSIHANDLE session) {
    const std::string check = probe::readProperty(session, "CALLS_CHECK").value;
    const auto found = checks().find(check);
    const probe::File out = probe::openReport(probe::readProperty(session, "PROBE_OUTPUT").value);
    if (!out) return ERROR_SUCCESS;
    probe::writeRecord(out.get(), {"stage", "calls"});
    if (found == checks().end()) probe::writeRecord(out.get(), {"call", "unknown check", check});
    else
        for (const auto& [finding, result] : found->second(session)) probe::writeRecord(out.get(), {"call", finding, result});
    probe::writeRecord(out.get(), {"end"});
    return ERROR_SUCCESS;
}
