// Wine's registry hive files (system.reg for HKLM, user.reg for HKCU), read and edited while no
// wineserver holds the prefix. Editing the file before a run costs nothing, where `reg add`
// would start Wine once per value; reading it after `wineserver -k` sees everything the run
// wrote, because the server saves the hives when it is told to end.
//
// A value line holds the data as the registry stores it (ENGINE_NOTES.md, "Registry"):
//   "Name"="text"            REG_SZ stored with its terminating NUL
//   "Name"=str(2):"text"     REG_EXPAND_SZ, and REG_MULTI_SZ as str(7):"one\0two\0"
//   "Name"=dword:0000002a    REG_DWORD of four bytes
//   "Name"=hex:01,02         REG_BINARY
//   "Name"=hex(1):61,00      anything else: a string without its NUL, an odd length, REG_QWORD...
// Strings are UTF-16, written with C escapes: \x and up to four hex digits for a unit above 127,
// octal for other control characters (\0, \37, \000 before a digit), \a \b \t \n \v \f \r \e,
// \\ and \". Values are written back in the form Wine itself chooses for the data.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <iosfwd>
#include <string>
#include <vector>

namespace engine {

enum class RegType { String, ExpandString, MultiString, Dword, Binary, Other };

struct RegValue {
    RegType type = RegType::String;
    std::string text;                  // String, ExpandString: UTF-8, without the terminating NUL
    std::vector<std::string> strings;  // MultiString: UTF-8, without the NULs between and after
    std::uint32_t dword = 0;           // Dword
    std::string bytes;                 // Binary, Other: the data as stored
    std::uint32_t otherType = 0;       // Other: the registry's type number (REG_QWORD is 11)
    // String, ExpandString: stored with the terminating NUL. A program that writes a string with
    // RegSetValueEx and a length that leaves the NUL out, where no NUL follows in memory, stores
    // it without one, and a reader gets it without one.
    bool terminated = true;

    static RegValue string(std::string text);
    static RegValue unterminatedString(std::string text);
    static RegValue expandString(std::string text);
    static RegValue multiString(std::vector<std::string> strings);
    static RegValue number(std::uint32_t value);
    static RegValue binary(std::string bytes);
    static RegValue other(std::uint32_t type, std::string bytes);

    // The registry's type number (REG_SZ 1, REG_EXPAND_SZ 2, REG_BINARY 3, REG_DWORD 4,
    // REG_MULTI_SZ 7) and the data bytes as stored: strings in UTF-16LE.
    std::uint32_t typeNumber() const;
    std::string data() const;
    static RegValue fromData(std::uint32_t type, const std::string& data);

    std::string describe() const;  // for messages and the demo: "REG_SZ \"x\"", "REG_DWORD 5"
    friend bool operator==(const RegValue&, const RegValue&) = default;
};

std::ostream& operator<<(std::ostream& out, const RegValue& value);

// The text of a value line after "=", and back; exposed for the harness's own tests.
std::string encodeRegValue(const RegValue& value);
RegValue decodeRegValue(const std::string& text);

class RegistryFile {
public:
    static RegistryFile load(const std::filesystem::path& file);
    static RegistryFile parse(const std::string& text);
    void save(const std::filesystem::path& file) const;
    std::string text() const;

    // Key paths are relative to the hive's root ("Software\\Vendor"); names and keys compare
    // without regard to ASCII case, as Windows does. The default value has the empty name.
    bool hasKey(const std::string& key) const;
    std::optional<RegValue> value(const std::string& key, const std::string& name) const;
    std::map<std::string, RegValue> values(const std::string& key) const;
    void set(const std::string& key, const std::string& name, const RegValue& value);
    // Removes the key, its values and every key below it.
    void removeKey(const std::string& key);

private:
    struct Section {
        std::string heading;             // the "[...] time" line as found, or written anew
        std::string key;                 // unescaped
        std::vector<std::string> lines;  // values and metadata, continuation lines joined
    };
    const Section* find(const std::string& key) const;
    Section& findOrAdd(const std::string& key);

    std::vector<std::string> preamble_;
    std::vector<Section> sections_;
};

}  // namespace engine
