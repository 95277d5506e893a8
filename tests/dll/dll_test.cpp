// The built DLLs of both architectures, read back with the MinGW objdump: each stands alone on
// any Windows, exports exactly its actions under their plain names, carries its texts and its
// version, stays within its size limit, and the shipping ones load on Windows 95.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kSource = ORV_SOURCE_DIR;

struct Architecture {
    const char* folder;
    const char* objdump;
    const char* format;
    bool loadsOnWindows95;
};
const Architecture kArchitectures[] = {
    {"x86", "i686-w64-mingw32-objdump", "pei-i386", true},
    {"x64", "x86_64-w64-mingw32-objdump", "pei-x86-64", false},
};

// The installer writes a DLL out to a temporary file for every call, and each package that uses
// it stores a copy: a fixed limit on the file, for every library, those still to come included.
constexpr std::uintmax_t kSizeLimit = 128 * 1024;

// DLLs that every Windows, 9x included, has in its system folder.
const std::set<std::string> kSystemDlls = {"kernel32.dll", "user32.dll", "advapi32.dll", "msi.dll",
                                           "shell32.dll",  "version.dll", "msvcrt.dll"};

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string run(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string output;
    if (!pipe) return output;
    char chunk[4096];
    while (std::size_t n = fread(chunk, 1, sizeof chunk, pipe.get())) output.append(chunk, n);
    return output;
}

// A library is a folder with a .def file named after it.
std::vector<std::string> libraries() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(kSource))
        if (entry.is_directory())
            for (const auto& file : fs::directory_iterator(entry.path()))
                if (file.path().extension() == ".def") names.push_back(file.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

fs::path sourceFolderOf(const std::string& library) { return kSource / lower(library); }

std::set<std::string> declaredExports(const std::string& library) {
    std::ifstream def(sourceFolderOf(library) / (library + ".def"));
    std::set<std::string> names;
    std::string line;
    bool inExports = false;
    while (std::getline(def, line)) {
        std::istringstream words(line);
        std::string word;
        if (!(words >> word) || word[0] == ';') continue;
        if (word == "EXPORTS") {
            inExports = true;
            continue;
        }
        if (inExports) names.insert(word);
    }
    return names;
}

// Exports as the export table of the .inc the actions are bound in names them.
std::set<std::string> boundExports(const std::string& library) {
    std::ifstream inc(sourceFolderOf(library) / "exports.inc");
    std::set<std::string> names;
    std::string line;
    const std::regex entry(R"(^ORV_EXPORT\((\w+),.*)");
    std::smatch match;
    while (std::getline(inc, line))
        if (std::regex_match(line, match, entry)) names.insert(match[1]);
    return names;
}

std::vector<std::string> stringTableTexts(const std::string& library) {
    std::ifstream inc(sourceFolderOf(library) / "strings.inc");
    std::vector<std::string> texts;
    std::string line;
    const std::regex entry(R"re(^ORV_STRING\(\d+, "(.*)"\)\s*$)re");
    std::smatch match;
    while (std::getline(inc, line))
        if (std::regex_match(line, match, entry)) texts.push_back(std::regex_replace(match[1].str(), std::regex(R"(\\n)"), "\n"));
    return texts;
}

std::string utf16(const std::string& text) {
    std::string wide;
    for (char c : text) {
        wide.push_back(c);
        wide.push_back('\0');
    }
    return wide;
}

struct PeTables {
    std::string format;
    std::set<std::string> exports;
    std::set<std::string> imports;
    bool tlsEntryRead = false;  // data directory entry 9: the TLS directory
    unsigned long long tlsAddress = 0;
    unsigned long long tlsSize = 0;
    std::set<std::string> sections;
};

PeTables readTables(const Architecture& arch, const fs::path& dll) {
    const std::string dump = run(std::string(arch.objdump) + " -p '" + dll.string() + "' 2>&1");
    PeTables tables;
    std::smatch match;
    if (std::regex_search(dump, match, std::regex(R"(file format (\S+))"))) tables.format = match[1];
    if (std::regex_search(dump, match, std::regex(R"(Entry 9 ([0-9a-fA-F]+) ([0-9a-fA-F]+) Thread Storage Directory)"))) {
        tables.tlsEntryRead = true;
        tables.tlsAddress = std::stoull(match[1].str(), nullptr, 16);
        tables.tlsSize = std::stoull(match[2].str(), nullptr, 16);
    }
    const std::string headers = run(std::string(arch.objdump) + " -h '" + dll.string() + "' 2>&1");
    const std::regex sectionLine(R"(\n\s+\d+ (\S+)\s+[0-9a-fA-F]+ )");
    for (std::sregex_iterator it(headers.begin(), headers.end(), sectionLine), end; it != end; ++it)
        tables.sections.insert((*it)[1]);
    const std::regex importLine(R"(DLL Name: (\S+))");
    for (std::sregex_iterator it(dump.begin(), dump.end(), importLine), end; it != end; ++it)
        tables.imports.insert(lower((*it)[1]));
    const auto names = dump.find("[Ordinal/Name Pointer] Table");
    if (names != std::string::npos) {
        std::istringstream lines(dump.substr(names));
        std::string line;
        std::getline(lines, line);
        const std::regex exportLine(R"(^\s+\[\s*\d+\]\s+(\S+)\s*$)");
        while (std::getline(lines, line) && std::regex_match(line, match, exportLine)) tables.exports.insert(match[1]);
    }
    return tables;
}

std::string bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(BuiltDlls, EveryLibraryIsBuiltForBothArchitectures) {
    ASSERT_FALSE(libraries().empty());
    for (const Architecture& arch : kArchitectures)
        for (const std::string& library : libraries())
            EXPECT_TRUE(fs::exists(kSource / "dist" / arch.folder / (library + ".dll")))
                << "dist/" << arch.folder << "/" << library << ".dll is missing: run scripts/dist.sh";
}

// Exactly the actions, undecorated, bound to the same names the .def declares.
TEST(BuiltDlls, ExportExactlyTheirActionsUnderPlainNames) {
    for (const std::string& library : libraries()) {
        const std::set<std::string> declared = declaredExports(library);
        ASSERT_FALSE(declared.empty()) << library;
        EXPECT_EQ(boundExports(library), declared) << library << ": exports.inc and " << library << ".def differ";
        for (const Architecture& arch : kArchitectures) {
            const PeTables tables = readTables(arch, kSource / "dist" / arch.folder / (library + ".dll"));
            EXPECT_EQ(tables.format, arch.format) << library << " " << arch.folder;
            EXPECT_EQ(tables.exports, declared) << library << " " << arch.folder;
            for (const std::string& name : tables.exports)
                EXPECT_EQ(name.find('@'), std::string::npos) << library << " " << arch.folder << ": " << name;
        }
    }
}

TEST(BuiltDlls, ImportOnlyDllsEveryWindowsHas) {
    for (const std::string& library : libraries())
        for (const Architecture& arch : kArchitectures) {
            const PeTables tables = readTables(arch, kSource / "dist" / arch.folder / (library + ".dll"));
            EXPECT_FALSE(tables.imports.empty()) << library << " " << arch.folder;
            for (const std::string& dll : tables.imports)
                EXPECT_TRUE(kSystemDlls.count(dll)) << library << " " << arch.folder << " imports " << dll;
        }
}

// Every library, both architectures: at most kSizeLimit bytes.
TEST(BuiltDlls, StayWithinTheSizeLimit) {
    for (const std::string& library : libraries())
        for (const Architecture& arch : kArchitectures) {
            const fs::path dll = kSource / "dist" / arch.folder / (library + ".dll");
            ASSERT_TRUE(fs::exists(dll)) << dll;
            EXPECT_LE(fs::file_size(dll), kSizeLimit) << library << " " << arch.folder;
        }
}

// Windows 95's loader refuses a DLL with a TLS directory (error 1114), and the installer then
// fails every action: the shipping DLLs have neither the directory nor a .tls section.
TEST(BuiltDlls, ShippingDllsCarryNoTlsDirectory) {
    for (const std::string& library : libraries())
        for (const Architecture& arch : kArchitectures) {
            if (!arch.loadsOnWindows95) continue;
            const PeTables tables = readTables(arch, kSource / "dist" / arch.folder / (library + ".dll"));
            ASSERT_FALSE(tables.sections.empty()) << library << " " << arch.folder << ": no section headers read";
            EXPECT_EQ(tables.sections.count(".tls"), 0u) << library << " " << arch.folder;
            ASSERT_TRUE(tables.tlsEntryRead) << library << " " << arch.folder << ": no data directory read";
            EXPECT_EQ(tables.tlsAddress, 0u) << library << " " << arch.folder;
            EXPECT_EQ(tables.tlsSize, 0u) << library << " " << arch.folder;
        }
}

// Resources keep their texts as UTF-16; finding each one proves the string table and the
// version block made it into the DLL.
TEST(BuiltDlls, CarryTheirStringTableAndVersion) {
    for (const std::string& library : libraries())
        for (const Architecture& arch : kArchitectures) {
            const std::string image = bytesOf(kSource / "dist" / arch.folder / (library + ".dll"));
            for (const std::string& text : stringTableTexts(library))
                EXPECT_NE(image.find(utf16(text)), std::string::npos) << library << " " << arch.folder << ": " << text;
            EXPECT_NE(image.find(utf16("VS_VERSION_INFO")), std::string::npos) << library << " " << arch.folder;
            EXPECT_NE(image.find(utf16(library + ".dll")), std::string::npos) << library << " " << arch.folder;
            EXPECT_NE(image.find(utf16(ORV_PROJECT_VERSION)), std::string::npos) << library << " " << arch.folder;
        }
}

}  // namespace
