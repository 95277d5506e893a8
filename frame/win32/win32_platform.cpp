// The seam on real Windows: each operation is the ANSI call it names, nothing more.
#include "win32_platform.h"

#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <shellapi.h>
#include <winver.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace orv {

namespace {

struct MsiHandleCloser {
    MSIHANDLE handle = 0;
    ~MsiHandleCloser() {
        if (handle != 0) MsiCloseHandle(handle);
    }
};

struct SearchCloser {
    explicit SearchCloser(HANDLE search) : handle(search) {}
    HANDLE handle;
    SearchCloser(const SearchCloser&) = delete;
    SearchCloser& operator=(const SearchCloser&) = delete;
    ~SearchCloser() {
        if (handle != INVALID_HANDLE_VALUE) FindClose(handle);
    }
};

constexpr int kValueReadRounds = 4;

HKEY toKey(RegKeyHandle key) { return reinterpret_cast<HKEY>(key); }
HANDLE toFile(FileHandle file) { return reinterpret_cast<HANDLE>(file); }
HMODULE toModule(LibraryHandle library) { return reinterpret_cast<HMODULE>(library); }

// The DLL this code is linked into: its string table is the one the actions speak from.
// VirtualQuery finds it on every Windows, 9x included, without keeping a global.
HMODULE ownModule() {
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(reinterpret_cast<const void*>(&ownModule), &info, sizeof info) == 0) return nullptr;
    return static_cast<HMODULE>(info.AllocationBase);
}

// Feature and component states arrive as the INSTALLSTATE enum; the seam hands on its full
// 32-bit value.
using StateQuery = UINT(WINAPI*)(MSIHANDLE, LPCSTR, INSTALLSTATE*, INSTALLSTATE*);
UINT readStates(StateQuery query, MsiHandle session, const char* name, InstallState* installed, InstallState* action) {
    INSTALLSTATE was = INSTALLSTATE_UNKNOWN;
    INSTALLSTATE requested = INSTALLSTATE_UNKNOWN;
    const UINT result = query(session, name, &was, &requested);
    *installed = was;
    *action = requested;
    return result;
}

class Win32Platform final : public Platform {
public:
    std::uint32_t msiGetProperty(MsiHandle session, const char* name, char* buffer, std::uint32_t* length) override {
        DWORD size = *length;
        const UINT result = MsiGetPropertyA(session, name, buffer, &size);
        *length = size;
        return result;
    }

    std::uint32_t msiSetProperty(MsiHandle session, const char* name, const char* value) override {
        return MsiSetPropertyA(session, name, value);
    }

    std::uint32_t msiGetFeatureState(MsiHandle session, const char* feature, InstallState* installed,
                                     InstallState* action) override {
        return readStates(MsiGetFeatureStateA, session, feature, installed, action);
    }

    std::uint32_t msiSetFeatureState(MsiHandle session, const char* feature, InstallState state) override {
        return MsiSetFeatureStateA(session, feature, static_cast<INSTALLSTATE>(state));
    }

    std::uint32_t msiGetComponentState(MsiHandle session, const char* component, InstallState* installed,
                                       InstallState* action) override {
        return readStates(MsiGetComponentStateA, session, component, installed, action);
    }

    std::uint32_t msiSetComponentState(MsiHandle session, const char* component, InstallState state) override {
        return MsiSetComponentStateA(session, component, static_cast<INSTALLSTATE>(state));
    }

    std::uint32_t msiDoAction(MsiHandle session, const char* action) override { return MsiDoActionA(session, action); }

    bool msiGetMode(MsiHandle session, int runMode) override {
        return MsiGetMode(session, static_cast<MSIRUNMODE>(runMode)) != FALSE;
    }

    std::uint32_t msiSetTargetPath(MsiHandle session, const char* folder, const char* path) override {
        return MsiSetTargetPathA(session, folder, path);
    }

    std::uint32_t msiFeatureNames(MsiHandle session, std::vector<std::string>* names) override {
        MsiHandleCloser database{MsiGetActiveDatabase(session)};
        MsiHandleCloser view;
        const UINT opened = MsiDatabaseOpenViewA(database.handle, "select Feature from Feature", &view.handle);
        if (opened != ERROR_SUCCESS) return opened;
        MsiViewExecute(view.handle, 0);
        for (;;) {
            MsiHandleCloser record;
            if (MsiViewFetch(view.handle, &record.handle) != ERROR_SUCCESS) break;
            std::array<char, 260> field{};
            DWORD length = field.size();
            if (MsiRecordGetStringA(record.handle, 1, field.data(), &length) == ERROR_SUCCESS)
                names->emplace_back(field.data());
        }
        MsiViewClose(view.handle);
        return opened;
    }

    std::uint32_t msiLogInfo(MsiHandle session, const char* text) override {
        MsiHandleCloser record{MsiCreateRecord(1)};
        if (record.handle == 0) return ERROR_FUNCTION_FAILED;
        // The text goes in as a field, so that "[" and "]" in a value are never formatted.
        MsiRecordSetStringA(record.handle, 0, "[1]");
        MsiRecordSetStringA(record.handle, 1, text);
        const int result = MsiProcessMessage(session, INSTALLMESSAGE_INFO, record.handle);
        return result < 0 ? ERROR_FUNCTION_FAILED : ERROR_SUCCESS;
    }

    std::int32_t regOpenKey(const char* path, bool create, RegKeyHandle* key) override {
        HKEY opened = nullptr;
        LONG result;
        if (create) {
            DWORD disposition = 0;
            result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                     nullptr, &opened, &disposition);
        } else {
            result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_ALL_ACCESS, &opened);
        }
        *key = result == ERROR_SUCCESS ? reinterpret_cast<RegKeyHandle>(opened) : 0;
        return result;
    }

    std::int32_t regCloseKey(RegKeyHandle key) noexcept override { return RegCloseKey(toKey(key)); }

    std::int32_t regQueryValue(RegKeyHandle key, const char* name, std::uint32_t* type, std::string* data) override {
        // The value may grow between the two calls; ask again, a few times, until it fits. A value
        // that keeps growing is reported as not fitting rather than chased for ever.
        for (int round = 0; round < kValueReadRounds; ++round) {
            DWORD valueType = 0;
            DWORD size = 0;
            LONG result = RegQueryValueExA(toKey(key), name, nullptr, &valueType, nullptr, &size);
            if (result != ERROR_SUCCESS) return result;
            std::string bytes(size, '\0');
            result = RegQueryValueExA(toKey(key), name, nullptr, &valueType,
                                      reinterpret_cast<BYTE*>(bytes.data()), &size);
            if (result == ERROR_MORE_DATA) continue;
            if (result != ERROR_SUCCESS) return result;
            bytes.resize(size);
            *type = valueType;
            *data = std::move(bytes);
            return ERROR_SUCCESS;
        }
        return ERROR_MORE_DATA;
    }

    std::int32_t regSetValue(RegKeyHandle key, const char* name, std::uint32_t type, std::string_view data) override {
        return RegSetValueExA(toKey(key), name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                              static_cast<DWORD>(data.size()));
    }

    std::int32_t regEnumValueName(RegKeyHandle key, std::uint32_t index, std::string* name) override {
        std::vector<char> buffer(16384);
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG result = RegEnumValueA(toKey(key), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_SUCCESS) name->assign(buffer.data(), length);
        return result;
    }

    std::uint32_t fileAttributes(const char* path) override { return GetFileAttributesA(path); }

    bool setFileAttributes(const char* path, std::uint32_t attributes) override {
        return SetFileAttributesA(path, attributes) != FALSE;
    }

    bool copyFile(const char* from, const char* to, bool failIfExists) override {
        return CopyFileA(from, to, failIfExists ? TRUE : FALSE) != FALSE;
    }

    bool deleteFile(const char* path) override { return DeleteFileA(path) != FALSE; }

    bool findFiles(const char* pattern, std::vector<DirectoryEntry>* entries) override {
        WIN32_FIND_DATAA found{};
        const SearchCloser search{FindFirstFileA(pattern, &found)};
        if (search.handle == INVALID_HANDLE_VALUE) return false;
        // Storing an entry may raise; the search is closed on the way out all the same.
        do {
            entries->push_back(DirectoryEntry{found.cFileName, found.dwFileAttributes});
        } while (FindNextFileA(search.handle, &found));
        return true;
    }

    FileHandle createFile(const char* path) override {
        HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        return file == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<FileHandle>(file);
    }

    bool writeFile(FileHandle file, std::string_view bytes) override {
        DWORD written = 0;
        const BOOL ok = WriteFile(toFile(file), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        return ok != FALSE && written == bytes.size();
    }

    void closeFile(FileHandle file) noexcept override { CloseHandle(toFile(file)); }

    bool fileVersion(const char* path, FileVersion* version) override {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
        if (size == 0) return false;
        std::vector<char> block(size);
        if (!GetFileVersionInfoA(path, 0, size, block.data())) return false;
        void* fixed = nullptr;
        UINT fixedSize = 0;
        if (!VerQueryValueA(block.data(), "\\", &fixed, &fixedSize) || fixedSize < sizeof(VS_FIXEDFILEINFO))
            return false;
        const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
        version->mostSignificant = info->dwFileVersionMS;
        version->leastSignificant = info->dwFileVersionLS;
        return true;
    }

    std::string readProfileString(const char* file, const char* section, const char* key, const char* fallback,
                                  std::uint32_t capacity) override {
        if (capacity == 0) return {};
        std::vector<char> buffer(capacity);
        const DWORD length = GetPrivateProfileStringA(section, key, fallback, buffer.data(), capacity, file);
        return std::string(buffer.data(), length);
    }

    std::vector<std::string> readProfileKeys(const char* file, const char* section) override {
        // The names come NUL-separated; a list cut short reports capacity - 2 characters, so the
        // buffer grows until one is left over. Past the limit the list is taken as it stands.
        constexpr DWORD kLimit = 1u << 24;
        for (DWORD capacity = 4096;; capacity *= 2) {
            std::vector<char> buffer(capacity);
            const DWORD length = GetPrivateProfileStringA(section, nullptr, "", buffer.data(), capacity, file);
            if (length + 2 >= capacity && capacity < kLimit) continue;
            std::vector<std::string> names;
            const char* end = buffer.data() + length;
            for (const char* start = buffer.data(); start < end;) {
                const char* stop = std::find(start, end, '\0');
                if (stop != start) names.emplace_back(start, stop);
                start = stop + 1;
            }
            return names;
        }
    }

    int messageBox(const char* text, const char* caption, std::uint32_t style) override {
        return MessageBoxA(nullptr, text, caption, style);
    }

    std::string loadString(std::uint32_t id) override {
        std::vector<char> buffer(4096);
        const int length = LoadStringA(ownModule(), id, buffer.data(), static_cast<int>(buffer.size()));
        return length > 0 ? std::string(buffer.data(), length) : std::string();
    }

    LibraryHandle loadLibrary(const char* path) override {
        return reinterpret_cast<LibraryHandle>(LoadLibraryA(path));
    }

    void freeLibrary(LibraryHandle library) noexcept override { FreeLibrary(toModule(library)); }

    ExportHandle findExport(LibraryHandle library, const char* name) override {
        return reinterpret_cast<ExportHandle>(GetProcAddress(toModule(library), name));
    }

    int callIntExport(ExportHandle function) override {
        return reinterpret_cast<int(WINAPI*)()>(function)();
    }

    void callTextExport(ExportHandle function, const char* argument) override {
        reinterpret_cast<void(WINAPI*)(const char*)>(function)(argument);
    }

    bool shellExecute(const char* file, const char* parameters, const char* folder, int showCommand) override {
        const HINSTANCE started = ShellExecuteA(nullptr, nullptr, file, parameters, folder, showCommand);
        return reinterpret_cast<INT_PTR>(started) > 32;
    }

    std::string upperCase(std::string_view text) override {
        std::string upper(text);
        if (!upper.empty()) CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
        return upper;
    }

    int compareIgnoreCase(const char* left, const char* right) override { return lstrcmpiA(left, right); }
};

// Built when the DLL is attached and never destroyed: it holds no data, so there is nothing to
// release, and its first use inside the guard runs no code that could fail, takes no lock and
// registers nothing to run at unload.
alignas(Win32Platform) unsigned char platformStorage[sizeof(Win32Platform)];
Win32Platform* platform = nullptr;

}  // namespace

void attachWin32Platform() noexcept { platform = std::construct_at(reinterpret_cast<Win32Platform*>(platformStorage)); }

Platform& win32Platform() { return *platform; }

}  // namespace orv
