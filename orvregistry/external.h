// What this library loads or starts from outside itself: the paths it hands to Windows and the
// libraries it holds while it calls them.
#pragma once

#include <string>
#include <string_view>

#include "frame/platform.h"
#include "frame/session.h"

namespace orvregistry {

// The path fits a 260-character buffer with its terminating NUL, as the Windows calls that
// load and start files require.
inline bool fitsPathBuffer(std::string_view path) { return path.size() < orv::kPropertyCapacity; }

// A library loaded for the length of one call and released on every way out of it.
class LoadedLibrary {
public:
    LoadedLibrary(orv::Platform& os, const std::string& path) : os_(os), handle_(os.loadLibrary(path.c_str())) {}
    ~LoadedLibrary() {
        if (handle_ != 0) os_.freeLibrary(handle_);
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    bool loaded() const { return handle_ != 0; }
    // 0 when the library does not export it.
    orv::ExportHandle find(const char* name) { return os_.findExport(handle_, name); }

private:
    orv::Platform& os_;
    orv::LibraryHandle handle_;
};

}  // namespace orvregistry
