// The file system of the simulated machine, with the rules of Windows that the actions meet:
// drive letters, names without regard to case, attribute words, "." and ".." in listings, and
// the refusals Windows makes.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "frame/platform.h"
#include "text.h"

namespace sim {

struct FileNode {
    std::string path;  // as first spelled
    std::uint32_t attributes = orv::kAttrArchive;
    std::string bytes;
    std::optional<orv::FileVersion> version;
    std::uint64_t created = 0;  // a folder lists its entries in this order, as FAT does: unsorted
    bool isDirectory() const { return (attributes & orv::kAttrDirectory) != 0; }
};

class FileSystem {
public:
    FileSystem();
    void addDrive(char letter);

    // Seeding. Parents are created as plain folders.
    void addFolder(const std::string& path, std::uint32_t attributes = orv::kAttrDirectory);
    void addFile(const std::string& path, const std::string& bytes = {}, std::uint32_t attributes = orv::kAttrArchive);
    void setVersion(const std::string& path, std::uint16_t major, std::uint16_t minor, std::uint16_t build,
                    std::uint16_t revision);

    FileNode* find(const std::string& path);
    bool isFile(const std::string& path);
    bool isFolder(const std::string& path);
    std::optional<std::string> contents(const std::string& path);
    std::uint32_t attributes(const std::string& path);  // kInvalidAttributes when absent

    // Windows operations with their rules.
    bool copy(const std::string& from, const std::string& to, bool failIfExists);
    bool remove(const std::string& path);
    bool setAttributes(const std::string& path, std::uint32_t attributes);
    bool list(const std::string& pattern, std::vector<orv::DirectoryEntry>* entries);
    // Creates or empties a file; false where Windows would refuse.
    bool create(const std::string& path);

    // GetPrivateProfileString: the first matching section and key win, names ignore case, one pair
    // of surrounding quotes is dropped, trailing blanks leave the fallback, a bare file name is
    // looked for in the Windows folder; at most `capacity` - 1 characters.
    std::string readProfile(const std::string& file, const std::string& section, const std::string& key,
                            const std::string& fallback, std::uint32_t capacity);
    // The same with no key: the section's key names as spelled, in file order, from every section
    // of that name, as the reads above find them.
    std::vector<std::string> readProfileKeys(const std::string& file, const std::string& section);

    // The full, normalised spelling of a path: "c:/a//b\" gives "c:\a\b".
    std::string normalise(const std::string& path) const;
    std::string currentFolder = "C:\\";
    // Where GetPrivateProfileString looks for a bare file name.
    std::string windowsFolder = "C:\\Windows";

private:
    std::string parentOf(const std::string& normalised) const;
    std::string profilePath(const std::string& file) const;
    FileNode& place(const std::string& normalised, FileNode node);
    std::map<std::string, FileNode, NoCaseLess> nodes_;
    std::uint64_t nextCreated_ = 0;
};

}  // namespace sim
