// The Office automation package among the IDE's known packages, and the end of the IDE's
// library search path with its warning when the key is missing.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cases.h"
#include "orvregistry_run.h"

namespace {

constexpr const char* kKnownPackages = "Software\\Orvanta\\Quillon\\7.0\\Known Packages";
constexpr const char* kLibrary = "Software\\Orvanta\\Quillon\\7.0\\Library";

struct PackageCase {
    const char* situation;
    std::optional<std::string> officeVersion;  // nullopt: unset
    const char* registered;                    // the package's value name; nullptr: nothing
};

class RegisterOfficeControls : public ::testing::TestWithParam<PackageCase> {};

TEST_P(RegisterOfficeControls, RegistersThePackageOfTheChosenOfficeVersion) {
    const PackageCase& c = GetParam();
    sim::Machine machine;
    if (c.officeVersion) machine.session.properties["MSOFFICE_VER"] = *c.officeVersion;

    EXPECT_EQ(run(machine, "RegisterOfficeControls"), orv::kSuccess);

    std::map<std::string, std::string> expected;
    if (c.registered) expected[c.registered] = "(Untitled)";
    EXPECT_EQ(stringsOf(machine, kKnownPackages), expected);
    EXPECT_EQ(machine.hklm.exists(kKnownPackages), c.registered != nullptr);
    EXPECT_EQ(machine.openKeys(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    OrvRegistry, RegisterOfficeControls,
    ::testing::Values(PackageCase{"Office 97", "Office97", "$(TSY)\\Bin\\tsy97axserver60.opk"},
                      PackageCase{"Office 2000", "Office2k", "$(TSY)\\Bin\\tsy2kaxserver60.opk"},
                      // No package file is known for it.
                      PackageCase{"Office XP", "OfficeXP", nullptr},
                      PackageCase{"a version in lower case", "office2k", nullptr},
                      PackageCase{"an empty version", "", nullptr},
                      PackageCase{"no version", std::nullopt, nullptr},
                      PackageCase{"a version too long to read", std::string(260, 'O'), nullptr}),
    NamedBySituation());

TEST(RegisterOfficeControlsExisting, OverwritesTheDescriptionAndKeepsOtherPackages) {
    sim::Machine machine;
    machine.session.properties["MSOFFICE_VER"] = "Office97";
    machine.hklm.setString(kKnownPackages, "$(TSY)\\Bin\\tsy97axserver60.opk", "Office 97 servers");
    machine.hklm.setString(kKnownPackages, "$(TSY)\\Bin\\other.opk", "Other");
    EXPECT_EQ(run(machine, "RegisterOfficeControls"), orv::kSuccess);
    EXPECT_EQ(stringsOf(machine, kKnownPackages),
              (std::map<std::string, std::string>{{"$(TSY)\\Bin\\tsy97axserver60.opk", "(Untitled)"},
                                                  {"$(TSY)\\Bin\\other.opk", "Other"}}));
    EXPECT_EQ(logOf(machine, "OrvRegistry.RegisterOfficeControls: "),
              (std::vector<std::string>{"\"$(TSY)\\Bin\\tsy97axserver60.opk\" registered under "
                                        "\"Software\\Orvanta\\Quillon\\7.0\\Known Packages\""}));
}

struct SearchPathCase {
    const char* situation;
    void (*seed)(sim::Machine&);
    std::optional<std::string> searchPath;  // afterwards; nullopt: no string value
};

class UpdateLibraryPath : public ::testing::TestWithParam<SearchPathCase> {};

TEST_P(UpdateLibraryPath, EndsTheSearchPathWithOneSeparator) {
    const SearchPathCase& c = GetParam();
    sim::Machine machine;
    c.seed(machine);

    EXPECT_EQ(run(machine, "UpdateLibraryPath"), orv::kSuccess);

    EXPECT_EQ(machine.hklm.string(kLibrary, "Search Path"), c.searchPath);
    EXPECT_TRUE(machine.desktop.messageBoxes.empty());
    EXPECT_EQ(machine.openKeys(), 0u);
}

const std::string kLongPath(100 * 1024, 'l');

INSTANTIATE_TEST_SUITE_P(
    OrvRegistry, UpdateLibraryPath,
    ::testing::Values(
        SearchPathCase{"a path without a final separator",
                       [](sim::Machine& m) { m.hklm.setString(kLibrary, "Search Path", "C:\\Lib"); }, "C:\\Lib;"},
        SearchPathCase{"a path ending with a separator",
                       [](sim::Machine& m) { m.hklm.setString(kLibrary, "Search Path", "C:\\Lib;"); }, "C:\\Lib;"},
        SearchPathCase{"no Search Path", [](sim::Machine& m) { m.hklm.ensure(kLibrary); }, ""},
        SearchPathCase{"a path of 100 KB",
                       [](sim::Machine& m) { m.hklm.setString(kLibrary, "Search Path", kLongPath); }, kLongPath + ";"},
        SearchPathCase{"a path of another type", [](sim::Machine& m) { m.hklm.setDword(kLibrary, "Search Path", 1); },
                       std::nullopt},
        SearchPathCase{"a key that cannot be opened",
                       [](sim::Machine& m) {
                           m.hklm.setString(kLibrary, "Search Path", "C:\\Lib");
                           m.fail(sim::Op::RegCreateKey, kLibrary, orv::kErrorAccessDenied);
                       },
                       "C:\\Lib"},
        SearchPathCase{"a refused write",
                       [](sim::Machine& m) {
                           m.hklm.setString(kLibrary, "Search Path", "C:\\Lib");
                           m.fail(sim::Op::RegSetValue, kLibrary, orv::kErrorAccessDenied);
                       },
                       "C:\\Lib"}),
    NamedBySituation());

// A missing library key is the one failure the user hears of, with the key as the caption, and
// only where someone can answer.
TEST(UpdateLibraryPathMissingKey, WarnsWithTheKeyAsCaptionAndCreatesNothing) {
    struct Case {
        const char* situation;
        const char* uiLevel;
        std::vector<sim::MessageBoxShown> boxes;
        const char* logLine;
    };
    const Case cases[] = {
        {"a basic user interface", "3",
         {{"Warning: Registry Key not found", kLibrary, 0}},
         "box \"Software\\Orvanta\\Quillon\\7.0\\Library\" \"Warning: Registry Key not found\" shown; answer OK"},
        {"a silent installation", "2", {},
         "box \"Software\\Orvanta\\Quillon\\7.0\\Library\" \"Warning: Registry Key not found\" not shown: silent "
         "installation; answer none"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.situation);
        sim::Machine machine;
        machine.session.properties["UILevel"] = c.uiLevel;
        machine.desktop.answers = {orv::kIdOk};
        EXPECT_EQ(run(machine, "UpdateLibraryPath"), orv::kSuccess);
        EXPECT_EQ(machine.desktop.messageBoxes, c.boxes);
        EXPECT_FALSE(machine.hklm.exists("Software\\Orvanta\\Quillon"));
        EXPECT_EQ(logOf(machine, "OrvRegistry.UpdateLibraryPath: "),
                  (std::vector<std::string>{"the IDE's library key is missing: warning the user", c.logLine}));
    }
}

}  // namespace
