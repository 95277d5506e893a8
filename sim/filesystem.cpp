#include <algorithm>
#include <sstream>

#include "filesystem.h"

namespace sim {

namespace {

// Windows wildcard matching of one name: "*" any run, "?" any one character, case ignored;
// "*.*" matches every name, with or without a dot.
bool matches(const std::string& pattern, const std::string& name) {
    if (pattern == "*.*" || pattern == "*") return true;
    const std::string p = upperCodePage1252(pattern);
    const std::string n = upperCodePage1252(name);
    std::size_t pi = 0, ni = 0, star = std::string::npos, mark = 0;
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
            ++pi;
            ++ni;
        } else if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = ni;
        } else if (star != std::string::npos) {
            pi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

// The 8.3 name Windows gives a long name, which FindFirstFile matches as well: "a.cfgx" is also
// "A~1.CFG", so "*.cfg" finds it. A name that already fits 8.3 has no second name.
std::string shortNameOf(const std::string& name) {
    if (name == "." || name == "..") return {};
    const auto dot = name.rfind('.');
    const std::string base = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    const auto plain = [](const std::string& part) {
        return part.find_first_of(" .+,;=[]") == std::string::npos;
    };
    if (!base.empty() && base.size() <= 8 && extension.size() <= 3 && plain(base) && plain(extension)) return {};
    std::string shortBase;
    for (char c : base)
        if (std::string(" .+,;=[]").find(c) == std::string::npos && shortBase.size() < 6) shortBase += c;
    std::string shortExtension;
    for (char c : extension)
        if (c != ' ' && shortExtension.size() < 3) shortExtension += c;
    return upperCodePage1252(shortBase + "~1" + (shortExtension.empty() ? "" : "." + shortExtension));
}

// The ANSI calls take at most MAX_PATH (260) characters with the terminating NUL.
bool tooLong(const std::string& path) { return path.size() >= 260; }

// "C:ile.txt" names no file: a trailing separator only ever names a folder.
bool namesAFolderOnly(const std::string& path) {
    return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

// The attributes that make CREATE_ALWAYS, and so CopyFile, refuse an existing file.
constexpr std::uint32_t kRefusesReplacement = orv::kAttrReadOnly | orv::kAttrHidden | orv::kAttrSystem;

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// Calls `visit(key, value)` for each entry of every section of that name, in file order, until
// it returns true.
template <typename Visit>
void visitProfileEntries(const std::string& contents, const std::string& section, Visit visit) {
    std::istringstream lines(contents);
    std::string line;
    bool inSection = false;
    while (std::getline(lines, line)) {
        const std::string text = trim(line);
        if (text.empty() || text[0] == ';') continue;
        if (text[0] == '[') {
            const auto close = text.find(']');
            inSection = close != std::string::npos && sameName(trim(text.substr(1, close - 1)), section);
            continue;
        }
        const auto equals = text.find('=');
        if (!inSection || equals == std::string::npos) continue;
        if (visit(trim(text.substr(0, equals)), trim(text.substr(equals + 1)))) return;
    }
}

std::optional<std::string> profileValue(const std::string& contents, const std::string& section,
                                        const std::string& key) {
    std::optional<std::string> found;
    visitProfileEntries(contents, section, [&](const std::string& name, std::string value) {
        if (!sameName(name, key)) return false;
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        found = value;
        return true;
    });
    return found;
}

std::string leafOf(const std::string& normalised) {
    const auto slash = normalised.rfind('\\');
    return slash == std::string::npos ? normalised : normalised.substr(slash + 1);
}

}  // namespace

FileSystem::FileSystem() { addDrive('C'); }

void FileSystem::addDrive(char letter) {
    const std::string root = std::string(1, letter) + ":";
    place(root, FileNode{root, orv::kAttrDirectory, {}, std::nullopt});
}

FileNode& FileSystem::place(const std::string& normalised, FileNode node) {
    node.created = nextCreated_++;
    return nodes_[normalised] = std::move(node);
}

std::string FileSystem::normalise(const std::string& path) const {
    std::string full = path;
    for (char& c : full)
        if (c == '/') c = '\\';
    const bool absolute = full.size() >= 2 && full[1] == ':';
    if (!absolute) full = currentFolder + "\\" + full;
    std::vector<std::string> parts;
    std::string part;
    std::istringstream stream(full);
    while (std::getline(stream, part, '\\')) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (parts.size() > 1) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string joined;
    for (const std::string& p : parts) joined += (joined.empty() ? "" : "\\") + p;
    return joined;
}

std::string FileSystem::parentOf(const std::string& normalised) const {
    const auto slash = normalised.rfind('\\');
    return slash == std::string::npos ? std::string() : normalised.substr(0, slash);
}

FileNode* FileSystem::find(const std::string& path) {
    if (tooLong(path)) return nullptr;
    auto found = nodes_.find(normalise(path));
    if (found == nodes_.end()) return nullptr;
    if (namesAFolderOnly(path) && !found->second.isDirectory()) return nullptr;
    return &found->second;
}

bool FileSystem::isFile(const std::string& path) {
    const FileNode* node = find(path);
    return node != nullptr && !node->isDirectory();
}

bool FileSystem::isFolder(const std::string& path) {
    const FileNode* node = find(path);
    return node != nullptr && node->isDirectory();
}

std::optional<std::string> FileSystem::contents(const std::string& path) {
    const FileNode* node = find(path);
    if (node == nullptr || node->isDirectory()) return std::nullopt;
    return node->bytes;
}

std::uint32_t FileSystem::attributes(const std::string& path) {
    const FileNode* node = find(path);
    if (node == nullptr) return orv::kInvalidAttributes;
    // A file without any attribute reads back as FILE_ATTRIBUTE_NORMAL.
    return node->attributes == 0 ? orv::kAttrNormal : node->attributes;
}

void FileSystem::addFolder(const std::string& path, std::uint32_t attributes) {
    const std::string full = normalise(path);
    const std::string parent = parentOf(full);
    if (!parent.empty() && nodes_.count(parent) == 0) addFolder(parent);
    place(full, FileNode{full, attributes | orv::kAttrDirectory, {}, std::nullopt});
}

void FileSystem::addFile(const std::string& path, const std::string& bytes, std::uint32_t attributes) {
    const std::string full = normalise(path);
    const std::string parent = parentOf(full);
    if (!parent.empty() && nodes_.count(parent) == 0) addFolder(parent);
    place(full, FileNode{full, attributes & ~orv::kAttrDirectory, bytes, std::nullopt});
}

void FileSystem::setVersion(const std::string& path, std::uint16_t major, std::uint16_t minor, std::uint16_t build,
                            std::uint16_t revision) {
    if (FileNode* node = find(path))
        node->version = orv::FileVersion{static_cast<std::uint32_t>(major) << 16 | minor,
                                         static_cast<std::uint32_t>(build) << 16 | revision};
}

bool FileSystem::copy(const std::string& from, const std::string& to, bool failIfExists) {
    const FileNode* source = find(from);
    if (source == nullptr || source->isDirectory()) return false;
    if (tooLong(to) || namesAFolderOnly(to)) return false;
    const std::string target = normalise(to);
    if (!isFolder(parentOf(target))) return false;
    FileNode copied = *source;
    copied.path = target;
    copied.attributes |= orv::kAttrArchive;
    if (FileNode* existing = find(target)) {
        // A file cannot be copied onto itself: it is open for reading while being replaced.
        if (existing == source) return false;
        if (failIfExists || existing->isDirectory() || (existing->attributes & kRefusesReplacement) != 0) return false;
        copied.created = existing->created;
        *existing = std::move(copied);
        return true;
    }
    place(target, std::move(copied));
    return true;
}

bool FileSystem::remove(const std::string& path) {
    const FileNode* node = find(path);
    if (node == nullptr || node->isDirectory() || (node->attributes & orv::kAttrReadOnly) != 0) return false;
    nodes_.erase(normalise(path));
    return true;
}

bool FileSystem::setAttributes(const std::string& path, std::uint32_t attributes) {
    FileNode* node = find(path);
    if (node == nullptr) return false;
    // FILE_ATTRIBUTE_NORMAL means "none"; the directory bit is not the caller's to change.
    attributes &= ~(orv::kAttrNormal | orv::kAttrDirectory);
    node->attributes = attributes | (node->attributes & orv::kAttrDirectory);
    return true;
}

bool FileSystem::list(const std::string& pattern, std::vector<orv::DirectoryEntry>* entries) {
    if (tooLong(pattern)) return false;
    const std::string full = normalise(pattern);
    const std::string folder = parentOf(full);
    const std::string wildcard = leafOf(full);
    const FileNode* parent = find(folder);
    if (parent == nullptr || !parent->isDirectory()) return false;
    std::vector<orv::DirectoryEntry> found;
    // Every folder but a drive's root lists itself and its parent first.
    if (folder.find('\\') != std::string::npos)
        for (const char* dots : {".", ".."})
            if (matches(wildcard, dots)) found.push_back({dots, orv::kAttrDirectory});
    std::vector<const FileNode*> children;
    for (const auto& [key, node] : nodes_) {
        if (NoCaseLess()(parentOf(key), folder) || NoCaseLess()(folder, parentOf(key))) continue;
        const std::string leaf = leafOf(key);
        const std::string shortName = shortNameOf(leaf);
        if (matches(wildcard, leaf) || (!shortName.empty() && matches(wildcard, shortName))) children.push_back(&node);
    }
    std::sort(children.begin(), children.end(),
              [](const FileNode* a, const FileNode* b) { return a->created < b->created; });
    for (const FileNode* node : children) found.push_back({leafOf(node->path), node->attributes});
    if (found.empty()) return false;
    entries->insert(entries->end(), found.begin(), found.end());
    return true;
}

bool FileSystem::create(const std::string& path) {
    if (tooLong(path) || namesAFolderOnly(path)) return false;
    const std::string target = normalise(path);
    if (!isFolder(parentOf(target))) return false;
    if (FileNode* existing = find(target)) {
        if (existing->isDirectory() || (existing->attributes & kRefusesReplacement) != 0) return false;
        existing->bytes.clear();
        return true;
    }
    place(target, FileNode{target, orv::kAttrArchive, {}, std::nullopt});
    return true;
}

std::string FileSystem::profilePath(const std::string& file) const {
    const bool bare = file.find_first_of("\\/:") == std::string::npos;
    return bare ? windowsFolder + "\\" + file : file;
}

std::vector<std::string> FileSystem::readProfileKeys(const std::string& file, const std::string& section) {
    std::vector<std::string> names;
    if (const auto found = contents(profilePath(file)))
        visitProfileEntries(*found, section, [&names](const std::string& name, const std::string&) {
            names.push_back(name);
            return false;
        });
    return names;
}

std::string FileSystem::readProfile(const std::string& file, const std::string& section, const std::string& key,
                                    const std::string& fallback, std::uint32_t capacity) {
    if (capacity == 0) return {};
    std::string value = fallback.substr(0, fallback.find_last_not_of(' ') + 1);
    if (const auto found = contents(profilePath(file)))
        if (auto entry = profileValue(*found, section, key)) value = *entry;
    if (value.size() > capacity - 1) value.resize(capacity - 1);
    return value;
}

}  // namespace sim
