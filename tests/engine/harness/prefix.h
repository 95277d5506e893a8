// Wine prefixes: one template booted once (about 6 s of wineboot) and a cheap clone of it for
// each run, so that no run sees another's registry or files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "registry_file.h"

namespace engine {

struct WineTools {
    std::filesystem::path wine;        // wine64
    std::filesystem::path wineserver;  // the one that belongs to that wine
};

class Environment;
Environment wineEnvironment(const std::filesystem::path& prefix);

// Boots the template into `folder` unless a complete one is already there. Processes that share
// the folder boot it only once: the first takes a lock, boots into a temporary sibling and
// renames it into place when wineboot has finished and the server has saved the registry.
void ensureTemplate(const WineTools& tools, const std::filesystem::path& folder);

struct FileState {
    std::string contents;
    bool readOnly = false;  // Wine shows a file without write permission bits as read-only
};

class Prefix {
public:
    // Windows binaries under drive_c/windows are hard links to the template's (the engine only
    // reads them); everything else is copied, since runs write to it.
    static Prefix cloneOf(const std::filesystem::path& templateFolder, const std::filesystem::path& folder);
    ~Prefix();
    Prefix(Prefix&& other) noexcept;
    Prefix& operator=(Prefix&&) = delete;
    Prefix(const Prefix&) = delete;

    const std::filesystem::path& root() const { return root_; }
    void keep() { keep_ = true; }  // leave the folder for a look after a failure

    // "C:\\Program Files\\X" → <root>/drive_c/Program Files/X. Existing components are matched
    // without regard to case, as Wine does.
    std::filesystem::path unixPath(const std::string& windowsPath) const;

    void seedFile(const std::string& windowsPath, const std::string& contents, bool readOnly);
    void setReadOnly(const std::string& windowsPath, bool readOnly);
    std::optional<FileState> file(const std::string& windowsPath) const;

    // HKEY_LOCAL_MACHINE, as the prefix's system.reg holds it; only while no server runs.
    RegistryFile machineHive() const;
    void saveMachineHive(const RegistryFile& hive) const;
    // HKEY_CURRENT_USER, as user.reg holds it; the same rule.
    RegistryFile userHive() const;
    void saveUserHive(const RegistryFile& hive) const;

private:
    explicit Prefix(std::filesystem::path root) : root_(std::move(root)) {}
    std::filesystem::path root_;
    bool keep_ = false;
};

}  // namespace engine
