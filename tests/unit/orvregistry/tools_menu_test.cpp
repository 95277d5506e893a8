// The Tools-menu entries: which tools get one, their numbers, the title check, and the failures
// that stop every row.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "cases.h"
#include "orvregistry_run.h"

namespace {

constexpr const char* kTransfer = "Software\\Orvanta\\Quillon\\7.0\\Transfer";
constexpr const char* kVaultSync = "Software\\Orvanta\\VaultSync\\1.0";
constexpr std::uint32_t kWarningStyle = 0x40030;  // MB_TOPMOST | MB_ICONWARNING | MB_OK

struct Tool {
    const char* path;
    const char* workingDir;
    std::uint32_t titleId;
};

// The eight rows, by their row number, for INSTALLDIR C:\Q\, OSTWB C:\Shared\TWB\ and a VaultSync
// RootDir of D:\VS\.
const std::map<int, Tool> kRows = {
    {1, {"C:\\Shared\\TWB\\twb32.exe", "C:\\Shared\\TWB\\", 103}},
    {2, {"C:\\Q\\Bin\\mkimport.exe", "C:\\Q\\Bin", 115}},
    {3, {"C:\\Q\\Bin\\hsconfig.exe", "C:\\Q\\Bin", 116}},
    {4, {"C:\\Q\\Bin\\pixpad.exe", "C:\\Q\\Bin", 104}},
    {5, {"C:\\Q\\Bin\\bundler.exe", "C:\\Q\\Bin", 105}},
    {6, {"C:\\Q\\Bin\\schemalink.exe", "C:\\Q\\Bin", 112}},
    {7, {"C:\\Q\\Folio5\\Folio.exe", "C:\\Q\\Folio5", 118}},
    {8, {"D:\\VS\\Bin\\vsync.exe", "D:\\VS\\Bin", 106}},
};
const std::vector<int> kAllRows = {1, 2, 3, 4, 5, 6, 7, 8};

using Values = std::map<std::string, std::string>;

// The package's folders, VaultSync registered, and the executables of the rows given.
sim::Machine toolsOnDisk(const std::vector<int>& present) {
    sim::Machine machine;
    machine.session.properties = {{"REG_PRODUCT", "Quillon"}, {"REG_VERSION", "7.0"}, {"INSTALLDIR", "C:\\Q\\"},
                                  {"OSTWB", "C:\\Shared\\TWB\\"}};
    machine.files.addDrive('D');
    machine.hklm.setString(kVaultSync, "RootDir", "D:\\VS\\");
    for (int row : present) machine.files.addFile(kRows.at(row).path);
    return machine;
}

// What the key holds after the rows were added in this order from `first` on.
Values withEntries(Values values, const std::vector<int>& added, int first) {
    int number = first;
    for (int row : added) {
        const std::string n = std::to_string(number++);
        const Tool& tool = kRows.at(row);
        values["Params" + n] = "";
        values["Path" + n] = tool.path;
        values["Title" + n] = text(tool.titleId);
        values["WorkingDir" + n] = tool.workingDir;
    }
    if (!added.empty()) values["Count"] = std::to_string(number);
    return values;
}

struct MenuCase {
    const char* situation;
    std::vector<int> present;  // rows whose executable is on the disk
    Values seeded;             // the Tools-menu key's values before the run
    Properties properties;     // over the defaults of toolsOnDisk
    std::vector<int> added;    // rows added, in the order of their numbers
    int firstNumber;
};

class UpdateTransferKey : public ::testing::TestWithParam<MenuCase> {};

TEST_P(UpdateTransferKey, AppendsAnEntryForEachToolFoundWhoseTitleIsNew) {
    const MenuCase& c = GetParam();
    sim::Machine machine = toolsOnDisk(c.present);
    for (const auto& [name, value] : c.properties) machine.session.properties[name] = value;
    for (const auto& [name, value] : c.seeded) machine.hklm.setString(kTransfer, name, value);

    EXPECT_EQ(run(machine, "UpdateTransferKey"), orv::kSuccess);

    EXPECT_EQ(stringsOf(machine, kTransfer), withEntries(c.seeded, c.added, c.firstNumber));
    EXPECT_TRUE(machine.desktop.messageBoxes.empty());
    EXPECT_EQ(machine.openKeys(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    OrvRegistry, UpdateTransferKey,
    ::testing::Values(
        MenuCase{"no key yet and all eight tools", kAllRows, {}, {}, kAllRows, 0},
        MenuCase{"no tool on the disk", {}, {}, {}, {}, 0},
        MenuCase{"Count 3 with Bitmap Studio as Title1", kAllRows,
                 {{"Count", "3"}, {"Title1", "&Bitmap Studio"}}, {}, {1, 2, 3, 5, 6, 7, 8}, 3},
        MenuCase{"an empty Count counts as none", {4}, {{"Count", ""}}, {}, {4}, 0},
        MenuCase{"a title in other letter case is another title", {4},
                 {{"Count", "1"}, {"Title0", "&bitmap studio"}}, {}, {4}, 1},
        MenuCase{"a title without its ampersand is another title", {4},
                 {{"Count", "1"}, {"Title0", "Bitmap Studio"}}, {}, {4}, 1},
        MenuCase{"a value named just Title counts", {4}, {{"Title", "&Bitmap Studio"}}, {}, {}, 0},
        MenuCase{"any name beginning with Title counts", {4}, {{"TitleOld", "&Bitmap Studio"}}, {}, {}, 0},
        MenuCase{"a name beginning with title in lower case does not", {4},
                 {{"titleOld", "&Bitmap Studio"}}, {}, {4}, 0},
        MenuCase{"only VaultSync on the disk", {8}, {{"Count", "5"}}, {}, {8}, 5},
        MenuCase{"an empty OSTWB skips rows 1 to 6 only", kAllRows, {}, {{"OSTWB", ""}}, {7, 8}, 0},
        MenuCase{"an OSTWB too long to read skips rows 1 to 6 only", kAllRows, {},
                 {{"OSTWB", std::string(260, 'o')}}, {7, 8}, 0},
        MenuCase{"an INSTALLDIR too long to read skips rows 2 to 7", kAllRows, {},
                 {{"INSTALLDIR", std::string(260, 'i')}}, {1, 8}, 0},
        MenuCase{"the last number left is taken, and no further", kAllRows, {{"Count", "2147483646"}}, {}, {1},
                 2147483646},
        MenuCase{"no number left after the largest Count", kAllRows, {{"Count", "2147483647"}}, {}, {}, 0}),
    NamedBySituation());

TEST(UpdateTransferKeyRows, AFolderAtAToolsPathIsNoTool) {
    sim::Machine machine = toolsOnDisk({});
    machine.files.addFolder("C:\\Q\\Bin\\pixpad.exe");
    EXPECT_EQ(run(machine, "UpdateTransferKey"), orv::kSuccess);
    EXPECT_TRUE(stringsOf(machine, kTransfer).empty());
}

// Without INSTALLDIR the tools' paths would be relative to wherever msiexec runs; tools found
// there are not entered.
TEST(UpdateTransferKeyRows, AnEmptyInstallDirEntersNoRelativePath) {
    sim::Machine machine = toolsOnDisk({1, 8});
    machine.session.properties["INSTALLDIR"] = "";
    machine.files.currentFolder = "C:\\";
    machine.files.addFile("C:\\Bin\\pixpad.exe");
    machine.files.addFile("C:\\Folio5\\Folio.exe");
    EXPECT_EQ(run(machine, "UpdateTransferKey"), orv::kSuccess);
    EXPECT_EQ(stringsOf(machine, kTransfer), withEntries({}, {1, 8}, 0));
}

// Each title check reads only names that begin with "Title"; a value of another type ends the
// search, so what lies behind it is not seen.
TEST(UpdateTransferKeyRows, ATitleOfAnotherTypeEndsTheSearch) {
    struct Case {
        const char* situation;
        bool otherTypeFirst;
        bool added;
    };
    for (const Case& c : {Case{"before the title", true, true}, Case{"after the title", false, false}}) {
        SCOPED_TRACE(c.situation);
        sim::Machine machine = toolsOnDisk({4});
        if (c.otherTypeFirst) machine.hklm.setDword(kTransfer, "Title0", 7);
        machine.hklm.setString(kTransfer, "Title1", "&Bitmap Studio");
        if (!c.otherTypeFirst) machine.hklm.setDword(kTransfer, "Title0", 7);
        machine.hklm.setString(kTransfer, "Count", "2");

        EXPECT_EQ(run(machine, "UpdateTransferKey"), orv::kSuccess);

        EXPECT_EQ(machine.hklm.string(kTransfer, "Title2") == "&Bitmap Studio", c.added);
        EXPECT_EQ(machine.hklm.string(kTransfer, "Count"), c.added ? "3" : "2");
    }
}

TEST(UpdateTransferKeyRows, ASecondRunAddsNothing) {
    sim::Machine machine = toolsOnDisk(kAllRows);
    run(machine, "UpdateTransferKey");
    const Values first = stringsOf(machine, kTransfer);
    EXPECT_EQ(run(machine, "UpdateTransferKey"), orv::kSuccess);
    EXPECT_EQ(stringsOf(machine, kTransfer), first);
    EXPECT_EQ(first.at("Count"), "8");
}

// Ten thousand values are searched to the end for every tool found, without a box.
TEST(UpdateTransferKeyRows, AKeyWithTenThousandValuesIsSearchedWhole) {
    sim::Machine machine = toolsOnDisk({4, 8});
    sim::RegKey& key = machine.hklm.ensure(kTransfer);
    for (int i = 0; i < 10000; ++i)
        key.values.emplace_back("Other" + std::to_string(i), sim::RegValue{orv::kRegSz, std::string("x\0", 2)});
    machine.hklm.setString(kTransfer, "TitleLast", "&VaultSync");
    machine.hklm.setString(kTransfer, "Count", "9999");

    EXPECT_EQ(run(machine, "UpdateTransferKey"), orv::kSuccess);

    EXPECT_EQ(machine.hklm.string(kTransfer, "Title9999"), "&Bitmap Studio");
    EXPECT_FALSE(machine.hklm.value(kTransfer, "Title10000"));
    EXPECT_EQ(machine.hklm.string(kTransfer, "Count"), "10000");
}

// VaultSync's row needs a registered folder that is a string and not empty; without one there
// is no row and no box.
TEST(UpdateTransferKeyRows, VaultSyncWithoutAUsableRootDirIsSkippedQuietly) {
    struct Case {
        const char* situation;
        void (*seed)(sim::Machine&);
    };
    const Case cases[] = {
        {"no VaultSync key", [](sim::Machine& m) { m.hklm.find("Software\\Orvanta\\VaultSync")->subkeys.clear(); }},
        {"no RootDir", [](sim::Machine& m) { m.hklm.find(kVaultSync)->values.clear(); }},
        {"an empty RootDir", [](sim::Machine& m) { m.hklm.setString(kVaultSync, "RootDir", ""); }},
        {"a RootDir of another type", [](sim::Machine& m) { m.hklm.setDword(kVaultSync, "RootDir", 1); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.situation);
        sim::Machine machine = toolsOnDisk({8});
        machine.files.addFile("\\Bin\\vsync.exe");
        c.seed(machine);
        EXPECT_EQ(run(machine, "UpdateTransferKey"), orv::kSuccess);
        EXPECT_TRUE(stringsOf(machine, kTransfer).empty());
        EXPECT_TRUE(machine.desktop.messageBoxes.empty());
        EXPECT_EQ(machine.openKeys(), 0u);
    }
}

struct RefusalCase {
    const char* situation;
    void (*seed)(sim::Machine&);
};

class UpdateTransferKeyRefused : public ::testing::TestWithParam<RefusalCase> {};

// A key that cannot be opened, or a Count that is no count of entries, shows the failure
// message and tries no row.
TEST_P(UpdateTransferKeyRefused, ShowsTheFailureMessageAndAddsNothing) {
    sim::Machine machine = toolsOnDisk(kAllRows);
    GetParam().seed(machine);
    const Values before = stringsOf(machine, kTransfer);

    EXPECT_EQ(run(machine, "UpdateTransferKey"), orv::kSuccess);

    EXPECT_EQ(stringsOf(machine, kTransfer), before);
    EXPECT_EQ(machine.desktop.messageBoxes, (std::vector<sim::MessageBoxShown>{{text(111), "Error", kWarningStyle}}));
    EXPECT_EQ(machine.openKeys(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    OrvRegistry, UpdateTransferKeyRefused,
    ::testing::Values(
        RefusalCase{"letters", [](sim::Machine& m) { m.hklm.setString(kTransfer, "Count", "abc"); }},
        RefusalCase{"past the 32-bit range", [](sim::Machine& m) { m.hklm.setString(kTransfer, "Count", "2147483648"); }},
        // Numbering from -1 would write an entry the IDE never reads.
        RefusalCase{"negative", [](sim::Machine& m) { m.hklm.setString(kTransfer, "Count", "-1"); }},
        RefusalCase{"ten thousand digits",
                    [](sim::Machine& m) { m.hklm.setString(kTransfer, "Count", std::string(10000, '7')); }},
        RefusalCase{"a REG_DWORD", [](sim::Machine& m) { m.hklm.setDword(kTransfer, "Count", 3); }},
        RefusalCase{"the key refused",
                    [](sim::Machine& m) { m.fail(sim::Op::RegCreateKey, kTransfer, orv::kErrorAccessDenied); }},
        RefusalCase{"Count unreadable",
                    [](sim::Machine& m) {
                        m.hklm.setString(kTransfer, "Count", "1");
                        m.fail(sim::Op::RegQueryValue, kTransfer, orv::kErrorAccessDenied);
                    }},
        RefusalCase{"no product name", [](sim::Machine& m) { m.session.properties.erase("REG_PRODUCT"); }}),
    NamedBySituation());

TEST(UpdateTransferKeyRefusals, NoBoxInASilentInstallation) {
    sim::Machine machine = toolsOnDisk(kAllRows);
    machine.session.properties["UILevel"] = "2";
    machine.hklm.setString(kTransfer, "Count", "abc");
    EXPECT_EQ(run(machine, "UpdateTransferKey"), orv::kSuccess);
    EXPECT_TRUE(machine.desktop.messageBoxes.empty());
    EXPECT_TRUE(logged(machine, "Count \"abc\" under \"Software\\Orvanta\\Quillon\\7.0\\Transfer\" is not a number"));
}

// Writes the registry refuses leave no entry and no box; the action still ends normally.
TEST(UpdateTransferKeyRefusals, RefusedWritesEndEachRowQuietly) {
    sim::Machine machine = toolsOnDisk(kAllRows);
    machine.fail(sim::Op::RegSetValue, kTransfer, orv::kErrorAccessDenied);
    EXPECT_EQ(run(machine, "UpdateTransferKey"), orv::kSuccess);
    EXPECT_TRUE(stringsOf(machine, kTransfer).empty());
    EXPECT_TRUE(machine.desktop.messageBoxes.empty());
    EXPECT_TRUE(logged(machine, "entry 7 \"&VaultSync\" for \"D:\\VS\\Bin\\vsync.exe\" could not be written whole"));
}

// The log says what each row decided; folders from a hidden property stay hidden.
TEST(UpdateTransferKeyLog, SaysWhatEachRowDecided) {
    sim::Machine machine = toolsOnDisk({1, 4, 8});
    machine.session.properties["MsiHiddenProperties"] = "INSTALLDIR";
    machine.hklm.setString(kTransfer, "Title0", "&Bitmap Studio");
    machine.hklm.setString(kTransfer, "Count", "1");
    run(machine, "UpdateTransferKey");
    EXPECT_EQ(logOf(machine, "OrvRegistry.UpdateTransferKey: "),
              (std::vector<std::string>{
                  "Tools-menu key \"Software\\Orvanta\\Quillon\\7.0\\Transfer\", Count 1",
                  "entry 1 \"Tab&le Workbench\" added for \"C:\\Shared\\TWB\\twb32.exe\"",
                  "mkimport.exe not found at **********: no entry",
                  "hsconfig.exe not found at **********: no entry",
                  "entry \"&Bitmap Studio\" already present: pixpad.exe not added",
                  "bundler.exe not found at **********: no entry",
                  "schemalink.exe not found at **********: no entry",
                  "Folio.exe not found at **********: no entry",
                  "entry 2 \"&VaultSync\" added for \"D:\\VS\\Bin\\vsync.exe\"",
              }));
}

}  // namespace
