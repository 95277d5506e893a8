// Files with a version resource, for seeding and for packages: a DLL with nothing but its entry
// point and a VERSIONINFO, built with MinGW (windres and gcc) the first time a version is asked
// for, and kept in the work folder for every later run and test process.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace engine {

struct FileVersion {
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint16_t build = 0;
    std::uint16_t revision = 0;
    std::string text() const;  // "1.2.3.4"
    friend bool operator==(const FileVersion&, const FileVersion&) = default;
};

class VersionedFiles {
public:
    // ORV_WINDRES and ORV_MINGW_CC choose the tools (default: x86_64-w64-mingw32-windres and
    // x86_64-w64-mingw32-gcc on PATH).
    explicit VersionedFiles(std::filesystem::path cacheFolder);
    // The DLL of that version; throws with the tools' message when it cannot be built.
    std::filesystem::path dll(const FileVersion& version) const;

private:
    std::filesystem::path cacheFolder_;
    std::filesystem::path windres_;
    std::filesystem::path compiler_;
};

}  // namespace engine
