#include "versioned_file.h"

#include <stdlib.h>

#include <fstream>
#include <stdexcept>
#include <system_error>

#include "process.h"

namespace engine {

namespace fs = std::filesystem;

namespace {

constexpr const char* kDllName = "Versioned.dll";

// A DLL needs an entry point; one that only says yes keeps it free of any runtime.
constexpr const char* kSource =
    "#include <windows.h>\n"
    "BOOL WINAPI VersionedEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) { return TRUE; }\n";

std::string resourceScript(const FileVersion& version) {
    const std::string commas = std::to_string(version.major) + "," + std::to_string(version.minor) + "," +
                               std::to_string(version.build) + "," + std::to_string(version.revision);
    return "1 VERSIONINFO\n"
           "FILEVERSION " + commas + "\n"
           "PRODUCTVERSION " + commas + "\n"
           "FILEOS 0x40004\n"
           "FILETYPE 0x2\n"
           "BEGIN\n"
           "  BLOCK \"StringFileInfo\"\n"
           "  BEGIN\n"
           "    BLOCK \"040904b0\"\n"
           "    BEGIN\n"
           "      VALUE \"FileDescription\", \"Orvanta engine tests: a file of version " + version.text() + "\"\n"
           "      VALUE \"FileVersion\", \"" + version.text() + "\"\n"
           "      VALUE \"ProductVersion\", \"" + version.text() + "\"\n"
           "    END\n"
           "  END\n"
           "  BLOCK \"VarFileInfo\"\n"
           "  BEGIN\n"
           "    VALUE \"Translation\", 0x409, 1200\n"
           "  END\n"
           "END\n";
}

}  // namespace

std::string FileVersion::text() const {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(build) + "." +
           std::to_string(revision);
}

VersionedFiles::VersionedFiles(fs::path cacheFolder)
    : cacheFolder_(std::move(cacheFolder) / "versioned"),
      windres_(locateProgram("ORV_WINDRES", {}, "x86_64-w64-mingw32-windres")),
      compiler_(locateProgram("ORV_MINGW_CC", {}, "x86_64-w64-mingw32-gcc")) {}

fs::path VersionedFiles::dll(const FileVersion& version) const {
    const fs::path done = cacheFolder_ / version.text();
    if (fs::is_regular_file(done / kDllName)) return done / kDllName;
    if (windres_.empty() || compiler_.empty())
        throw std::runtime_error("a file with a version resource needs MinGW's windres and gcc (set ORV_WINDRES and "
                                 "ORV_MINGW_CC, or see scripts/deps.sh)");
    // Built aside and moved into place whole, since other test processes may ask at the same time.
    fs::create_directories(cacheFolder_);
    std::string pattern = (cacheFolder_ / (version.text() + ".building-XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a folder in " + cacheFolder_.string());
    const fs::path work = pattern;
    std::ofstream(work / "versioned.c") << kSource;
    std::ofstream(work / "versioned.rc") << resourceScript(version);
    const Environment environment = Environment::inherited();
    const auto compiled = runProcess({windres_.string(), "-O", "coff", "-o", (work / "versioned.res").string(),
                                      (work / "versioned.rc").string()},
                                     environment, work / "windres.out", work / "windres.err", std::chrono::seconds(60));
    if (compiled.exitCode != 0)
        throw std::runtime_error("windres failed in " + work.string() + ": " + readText(work / "windres.err"));
    const auto linked = runProcess({compiler_.string(), "-shared", "-nostdlib", "-s", "-Wl,-e,VersionedEntry", "-o",
                                    (work / kDllName).string(), (work / "versioned.c").string(),
                                    (work / "versioned.res").string()},
                                   environment, work / "gcc.out", work / "gcc.err", std::chrono::seconds(60));
    if (linked.exitCode != 0) throw std::runtime_error("gcc failed in " + work.string() + ": " + readText(work / "gcc.err"));
    std::error_code raced;
    fs::rename(work, done, raced);
    if (raced) fs::remove_all(work);  // another process put its build there first
    return done / kDllName;
}

}  // namespace engine
