// Wine's registry hive files (system.reg for HKLM, user.reg for HKCU), read and edited while no
// wineserver holds the prefix. Editing the file before a run costs nothing, where `reg add`
// would start Wine once per value; reading it after `wineserver -k` sees everything the run
// wrote, because the server saves the hives when it is told to end.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace engine {

enum class RegType { String, ExpandString, Dword, Other };

struct RegValue {
    RegType type = RegType::String;
    std::string text;         // String and ExpandString
    std::uint32_t dword = 0;  // Dword
    std::string raw;          // the data as the file holds it, for any type

    static RegValue string(std::string text);
    static RegValue number(std::uint32_t value);
    std::string describe() const;  // for messages and the demo: "REG_SZ \"x\"", "REG_DWORD 5"
    friend bool operator==(const RegValue& a, const RegValue& b) {
        return a.type == b.type && a.text == b.text && a.dword == b.dword;
    }
};

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
