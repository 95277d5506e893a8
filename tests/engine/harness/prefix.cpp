#include "prefix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>
#include <stdexcept>

#include "process.h"

namespace engine {

namespace fs = std::filesystem;

Environment wineEnvironment(const fs::path& prefix) {
    Environment environment = Environment::inherited();
    environment.set("WINEPREFIX", prefix.string());
    if (const char* debug = std::getenv("ORV_ENGINE_WINEDEBUG")) environment.set("WINEDEBUG", debug);
    else environment.set("WINEDEBUG", "-all");
    environment.set("WINEDLLOVERRIDES", "mscoree,mshtml=;winemenubuilder.exe=d");
    // With a display a message box would wait for a click; without one it returns at once,
    // which is what the tests are written against.
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    return environment;
}

namespace {

constexpr const char* kCompleteMarker = ".engine-template-complete";

class FileLock {
public:
    explicit FileLock(const fs::path& file) : descriptor_(open(file.c_str(), O_RDWR | O_CREAT, 0644)) {
        if (descriptor_ < 0 || flock(descriptor_, LOCK_EX) != 0)
            throw std::runtime_error("cannot lock " + file.string());
    }
    ~FileLock() { close(descriptor_); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int descriptor_;
};

void boot(const WineTools& tools, const fs::path& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    const Environment environment = wineEnvironment(folder);
    const auto booted = runProcess({tools.wine.string(), "wineboot", "-i"}, environment, folder / "../boot.out",
                                   folder / "../boot.err", std::chrono::seconds(300));
    // Waiting for the server to end on its own is the one way to know wineboot's helpers are done
    // and the registry is saved; the template is made once, so the extra seconds are paid once.
    runProcess({tools.wineserver.string(), "-w"}, environment, folder / "../server.out", folder / "../server.err",
               std::chrono::seconds(120));
    if (booted.exitCode != 0 || !fs::exists(folder / "system.reg"))
        throw std::runtime_error("wineboot failed in " + folder.string() + ": " +
                                 readText(folder / "../boot.err"));
}

}  // namespace

void ensureTemplate(const WineTools& tools, const fs::path& folder) {
    if (fs::exists(folder / kCompleteMarker)) return;
    fs::create_directories(folder.parent_path());
    FileLock lock(folder.parent_path() / (folder.filename().string() + ".lock"));
    if (fs::exists(folder / kCompleteMarker)) return;
    const fs::path booting = folder.parent_path() / (folder.filename().string() + ".booting");
    boot(tools, booting);
    std::ofstream(booting / kCompleteMarker) << "booted\n";
    fs::remove_all(folder);
    fs::rename(booting, folder);
}

namespace {

bool isWindowsBinary(const fs::path& file) {
    static const std::set<std::string> kExtensions = {".dll", ".exe", ".drv", ".sys", ".ocx", ".cpl", ".acm",
                                                      ".tlb", ".ax",  ".ds",  ".nls", ".fon", ".ttf", ".com",
                                                      ".mui", ".vxd", ".scr", ".msstyles"};
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return kExtensions.count(extension) != 0;
}

void cloneEntry(const fs::directory_entry& entry, const fs::path& target, bool linkBinaries) {
    if (entry.is_symlink()) {
        fs::copy_symlink(entry.path(), target);
    } else if (entry.is_directory()) {
        fs::create_directory(target);
    } else if (linkBinaries && isWindowsBinary(entry.path())) {
        std::error_code error;
        fs::create_hard_link(entry.path(), target, error);
        // Another file system: a copy is slower but the same to Wine.
        if (error) fs::copy_file(entry.path(), target);
    } else {
        fs::copy_file(entry.path(), target);
    }
}

}  // namespace

Prefix Prefix::cloneOf(const fs::path& templateFolder, const fs::path& folder) {
    fs::create_directories(folder);
    Prefix prefix(folder);
    const fs::path windows = templateFolder / "drive_c" / "windows";
    for (auto it = fs::recursive_directory_iterator(templateFolder); it != fs::recursive_directory_iterator(); ++it) {
        // Lexically: the prefix holds symlinks (dosdevices, the user's folders) that must not be followed.
        const fs::path relative = it->path().lexically_relative(templateFolder);
        if (relative == kCompleteMarker) continue;
        const bool underWindows = !it->path().lexically_relative(windows).string().starts_with("..");
        cloneEntry(*it, folder / relative, underWindows);
        if (it->is_symlink()) it.disable_recursion_pending();
    }
    return prefix;
}

Prefix::~Prefix() {
    if (root_.empty() || keep_) return;
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

Prefix::Prefix(Prefix&& other) noexcept : root_(std::move(other.root_)), keep_(other.keep_) { other.root_.clear(); }

namespace {

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The existing entry of `folder` whose name matches without regard to case, else `name` as given.
fs::path childMatching(const fs::path& folder, const std::string& name) {
    if (fs::exists(folder / name) || !fs::is_directory(folder)) return folder / name;
    for (const auto& entry : fs::directory_iterator(folder))
        if (lowered(entry.path().filename().string()) == lowered(name)) return entry.path();
    return folder / name;
}

}  // namespace

fs::path Prefix::unixPath(const std::string& windowsPath) const {
    if (windowsPath.size() < 3 || windowsPath[1] != ':' || std::tolower(windowsPath[0]) != 'c')
        throw std::invalid_argument("only paths on C: map into the prefix: " + windowsPath);
    fs::path path = root_ / "drive_c";
    std::size_t start = 3;
    while (start <= windowsPath.size()) {
        const std::size_t end = windowsPath.find('\\', start);
        const std::string part = windowsPath.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!part.empty()) path = childMatching(path, part);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return path;
}

void Prefix::setReadOnly(const std::string& windowsPath, bool readOnly) {
    const fs::path path = unixPath(windowsPath);
    const fs::perms write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if (readOnly) fs::permissions(path, write, fs::perm_options::remove);
    else fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
}

void Prefix::seedFile(const std::string& windowsPath, const std::string& contents, bool readOnly) {
    const fs::path path = unixPath(windowsPath);
    fs::create_directories(path.parent_path());
    if (fs::exists(path)) fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
    setReadOnly(windowsPath, readOnly);
}

std::optional<FileState> Prefix::file(const std::string& windowsPath) const {
    const fs::path path = unixPath(windowsPath);
    if (!fs::is_regular_file(path)) return std::nullopt;
    const fs::perms write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return FileState{readText(path), (fs::status(path).permissions() & write) == fs::perms::none};
}

RegistryFile Prefix::machineHive() const { return RegistryFile::load(root_ / "system.reg"); }

void Prefix::saveMachineHive(const RegistryFile& hive) const { hive.save(root_ / "system.reg"); }

RegistryFile Prefix::userHive() const { return RegistryFile::load(root_ / "user.reg"); }

void Prefix::saveUserHive(const RegistryFile& hive) const { hive.save(root_ / "user.reg"); }

}  // namespace engine
