// The preview edition's extra files, those the installer never laid down, named in the
// uninstall list in the product's root folder. The list lies in a folder the user can write
// while the uninstallation runs with rights the user may lack: an entry is only ever taken as
// a file below the root. Only the File<n> keys the list holds are visited, so the cost follows
// the entries, never Count.
//
// No installer call is made here, not even a log line: the action works from the registry and
// the file system alone.
#include <algorithm>
#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "actions.h"
#include "frame/files.h"
#include "frame/text.h"

namespace q6uninst {

namespace {

// Fixed from load to unload: read-only data of the library, in place before the first call and
// gone with the DLL, with nothing to set up that could fail.
constexpr const char* kPreviewProductKey = "Software\\Orvanta\\Quillon for .NET Preview\\1.0";
constexpr std::size_t kRootBuffer = 260;        // bytes, the terminating NUL included
constexpr std::uint32_t kEntryCapacity = 2048;  // characters read of a value, the NUL included
constexpr const char* kSection = "Program";
constexpr std::string_view kEntryPrefix = "File";

// The preview product key, open for as long as the root folder is being read.
class PreviewKey {
public:
    explicit PreviewKey(orv::Platform& os) : os_(os) {
        if (os_.regOpenKey(kPreviewProductKey, false, &key_) != 0) key_ = 0;
    }
    ~PreviewKey() {
        if (key_ != 0) os_.regCloseKey(key_);
    }
    PreviewKey(const PreviewKey&) = delete;
    PreviewKey& operator=(const PreviewKey&) = delete;

    bool isOpen() const { return key_ != 0; }
    orv::RegKeyHandle handle() const { return key_; }

private:
    orv::Platform& os_;
    orv::RegKeyHandle key_ = 0;
};

// The root folder with its trailing backslash, as the 260-byte buffer holds it. Refused: a value
// that is not text (its bytes name no folder), one that leaves no room for the backslash, and
// one that is not a full path, an empty one included, which would put the list and every entry
// wherever msiexec runs.
std::optional<std::string> rootFolder(orv::Platform& os) {
    PreviewKey key(os);
    if (!key.isOpen()) return std::nullopt;
    std::uint32_t type = 0;
    std::string data;
    if (os.regQueryValue(key.handle(), "RootDir", &type, &data) != 0) return std::nullopt;
    if ((type != orv::kRegSz && type != orv::kRegExpandSz) || data.size() > kRootBuffer) return std::nullopt;
    const std::string root = orv::ensureTrailingBackslash(std::string(data.begin(), std::find(data.begin(), data.end(), '\0')));
    if (root.size() >= kRootBuffer || !orv::isFullPath(root)) return std::nullopt;
    return root;
}

bool sameLetter(char a, char b) {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return upper(a) == upper(b);
}

// n for a key the list's loop reads, "File" and n in decimal without leading zeros. Key names
// ignore case as the profile calls compare them: "file1" is File1, and "File01" is no key the
// loop would ever ask for.
std::optional<std::int32_t> fileIndex(std::string_view key) {
    if (key.size() <= kEntryPrefix.size() || !std::equal(kEntryPrefix.begin(), kEntryPrefix.end(), key.begin(), sameLetter))
        return std::nullopt;
    const std::string_view digits = key.substr(kEntryPrefix.size());
    if (digits.size() > 1 && digits.front() == '0') return std::nullopt;
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) return std::nullopt;
    std::int32_t index = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return index;
}

// The indexes below Count that have a key, each once and in increasing order: what the loop
// from 0 to Count - 1 would find, without walking the numbers that have none.
std::vector<std::int32_t> listedIndexes(const std::vector<std::string>& keys, std::int32_t count) {
    std::vector<std::int32_t> indexes;
    for (const std::string& key : keys)
        if (const std::optional<std::int32_t> index = fileIndex(key); index && *index < count) indexes.push_back(*index);
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    return indexes;
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Plain names below the root and nothing else. Rooted, drive-qualified, UNC and device paths
// leave it, and so does "..". A colon also opens an alternate stream, and Windows strips a
// trailing dot or blank from a name, so "a." or "..." would be another name than it reads.
bool staysBelowRoot(std::string_view entry) {
    if (entry.find(':') != std::string_view::npos || isSeparator(entry.front())) return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(entry.find_first_of("\\/", start), entry.size());
        const std::string_view name = entry.substr(start, end - start);
        if (!name.empty() && (name.back() == '.' || name.back() == ' ')) return false;
        if (end == entry.size()) return true;
        start = end + 1;
    }
}

// A folder on the way that is a junction or a link could lead anywhere, whatever the names say.
bool noLinkOnTheWay(orv::Platform& os, const std::string& root, std::string_view entry) {
    for (std::size_t at = entry.find_first_of("\\/"); at != std::string_view::npos; at = entry.find_first_of("\\/", at + 1)) {
        const std::uint32_t attributes = os.fileAttributes((root + std::string(entry.substr(0, at))).c_str());
        if (attributes == orv::kInvalidAttributes || (attributes & orv::kAttrReparsePoint) != 0) return false;
    }
    return true;
}

// The listed file, if it may be deleted. A value that filled the buffer may have been cut short,
// and would then name another file than the one listed.
std::optional<std::string> fileToDelete(orv::Platform& os, const std::string& root, const std::string& entry) {
    if (entry.empty() || entry.size() >= kEntryCapacity - 1 || !staysBelowRoot(entry)) return std::nullopt;
    if (!noLinkOnTheWay(os, root, entry)) return std::nullopt;
    const std::string path = root + entry;
    if (!orv::fileExists(os, path)) return std::nullopt;
    return path;
}

}  // namespace

orv::ActionResult removeExtraFiles(orv::ActionContext& context) {
    orv::Platform& os = context.os;
    const std::optional<std::string> root = rootFolder(os);
    if (!root) return orv::ActionResult::Success;
    const std::string list = *root + "uninstall.ini";
    const std::int32_t count =
        orv::profileInteger(os.readProfileString(list.c_str(), kSection, "Count", "", kEntryCapacity), 0);
    if (count <= 0) return orv::ActionResult::Success;

    for (const std::int32_t index : listedIndexes(os.readProfileKeys(list.c_str(), kSection), count)) {
        const std::string key = orv::numberedName(kEntryPrefix, index);
        const std::string entry = os.readProfileString(list.c_str(), kSection, key.c_str(), "", kEntryCapacity);
        if (const std::optional<std::string> path = fileToDelete(os, *root, entry)) os.deleteFile(path->c_str());
    }
    return orv::ActionResult::Success;
}

}  // namespace q6uninst
