// OrvDialog's dialog preparations and checks, run through the library's export table as the
// installer would call them.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "OrvDialog_library.h"
#include "cases.h"
#include "sim/machine.h"

namespace {

constexpr orv::InstallState kAbsent = orv::kStateAbsent;
constexpr orv::InstallState kLocal = orv::kStateLocal;
constexpr orv::InstallState kNone = orv::kStateUnknown;
constexpr std::uint32_t kQuestionStyle = 0x40024;

std::uint32_t run(sim::Machine& machine, const char* exportName) {
    machine.strings = OrvDialog::strings;
    return orv::runExport(machine, OrvDialog::exports, exportName, machine.session.handle);
}

std::string text(std::uint32_t id) {
    for (const orv::StringEntry& entry : OrvDialog::strings)
        if (entry.id == id) return entry.text;
    return {};
}

using Properties = std::map<std::string, std::string>;

// The properties whose names start with one of the prefixes.
Properties withPrefixes(const sim::Machine& machine, std::initializer_list<const char*> prefixes) {
    Properties found;
    for (const auto& [name, value] : machine.session.properties)
        for (const char* prefix : prefixes)
            if (name.rfind(prefix, 0) == 0) found[name] = value;
    return found;
}

// ----- SetupDestinationDialog ------------------------------------------------------------------

struct DestinationCase {
    const char* situation;
    std::map<std::string, sim::States> features;
    Properties slots;  // every Enable_Dest_, DestDlg_Lbl_ and Dest_Prop_ property afterwards
    const char* count;
};

const Properties kHidden = {{"Dest_Prop_1", "DummyProp"}, {"Dest_Prop_2", "DummyProp"}, {"Dest_Prop_3", "DummyProp"},
                            {"Dest_Prop_4", "DummyProp"}, {"Dest_Prop_5", "DummyProp"}};

Properties hiddenExcept(Properties shown) {
    Properties all = kHidden;
    for (auto& [name, value] : shown) all[name] = value;
    return all;
}

class SetupDestinationDialog : public ::testing::TestWithParam<DestinationCase> {};

// Shown rows are packed from slot 1 in the fixed order; every slot property is rewritten.
TEST_P(SetupDestinationDialog, PacksTheLocallyRequestedRows) {
    const DestinationCase& c = GetParam();
    sim::Machine machine;
    machine.session.features = c.features;
    // Left from an earlier run with another selection.
    machine.session.properties = {{"Enable_Dest_4", "1"}, {"DestDlg_Lbl_4", "Table Workbench"}, {"Dest_Prop_4", "OSTWB"},
                                  {"Enable_Dest_5", "1"}, {"DestDirCount", "5"}};

    EXPECT_EQ(run(machine, "SetupDestinationDialog"), orv::kSuccess);

    EXPECT_EQ(withPrefixes(machine, {"Enable_Dest_", "DestDlg_Lbl_", "Dest_Prop_"}), c.slots);
    EXPECT_EQ(machine.session.property("DestDirCount"), c.count);
    EXPECT_TRUE(machine.session.requests.empty());
}

INSTANTIATE_TEST_SUITE_P(
    OrvDialog, SetupDestinationDialog,
    ::testing::Values(
        DestinationCase{"nothing local",
                        {{"MainProgramFiles", {kAbsent, kAbsent}}, {"SharedFiles", {kAbsent, kNone}}},
                        kHidden, "0"},
        DestinationCase{"shared files and CORBA",
                        {{"MainProgramFiles", {kAbsent, kAbsent}}, {"SharedFiles", {kAbsent, kLocal}},
                         {"KRN", {kAbsent, kNone}}, {"TableWorkbench", {kAbsent, kNone}}, {"CORBASupport", {kAbsent, kLocal}}},
                        hiddenExcept({{"Enable_Dest_1", "1"}, {"DestDlg_Lbl_1", "Shared Files"}, {"Dest_Prop_1", "SHARED_FILES_DIR"},
                                      {"Enable_Dest_2", "1"}, {"DestDlg_Lbl_2", "CORBA Support"}, {"Dest_Prop_2", "HALORB_DIR"}}),
                        "2"},
        DestinationCase{"all five",
                        {{"MainProgramFiles", {kAbsent, kLocal}}, {"SharedFiles", {kAbsent, kLocal}}, {"KRN", {kAbsent, kLocal}},
                         {"TableWorkbench", {kAbsent, kLocal}}, {"CORBASupport", {kAbsent, kLocal}}},
                        {{"Enable_Dest_1", "1"}, {"DestDlg_Lbl_1", "Program Files"}, {"Dest_Prop_1", "INSTALLDIR"},
                         {"Enable_Dest_2", "1"}, {"DestDlg_Lbl_2", "Shared Files"}, {"Dest_Prop_2", "SHARED_FILES_DIR"},
                         {"Enable_Dest_3", "1"}, {"DestDlg_Lbl_3", "KRN and NetGate"}, {"Dest_Prop_3", "OSKRN"},
                         {"Enable_Dest_4", "1"}, {"DestDlg_Lbl_4", "Table Workbench"}, {"Dest_Prop_4", "OSTWB"},
                         {"Enable_Dest_5", "1"}, {"DestDlg_Lbl_5", "CORBA Support"}, {"Dest_Prop_5", "HALORB_DIR"}},
                        "5"},
        DestinationCase{"installed before and left alone, or from source",
                        {{"MainProgramFiles", {kLocal, kNone}}, {"KRN", {kAbsent, orv::kStateSource}},
                         {"TableWorkbench", {kAbsent, kLocal}}},
                        hiddenExcept({{"Enable_Dest_1", "1"}, {"DestDlg_Lbl_1", "Table Workbench"}, {"Dest_Prop_1", "OSTWB"}}),
                        "1"},
        DestinationCase{"features the package lacks", {}, kHidden, "0"}),
    NamedBySituation());

// ----- ValidatePath ------------------------------------------------------------------------------

class ValidatePath : public ::testing::Test {
protected:
    // Slots 1 to 3 shown: program files, shared files, database engine.
    void SetUp() override {
        machine.session.properties = {
            {"Enable_Dest_1", "1"}, {"DestDlg_Lbl_1", "Program Files"},   {"Dest_Prop_1", "INSTALLDIR"},
            {"Enable_Dest_2", "1"}, {"DestDlg_Lbl_2", "Shared Files"},    {"Dest_Prop_2", "SHARED_FILES_DIR"},
            {"Enable_Dest_3", "1"}, {"DestDlg_Lbl_3", "KRN and NetGate"}, {"Dest_Prop_3", "OSKRN"},
            {"Dest_Prop_4", "DummyProp"}, {"Dest_Prop_5", "DummyProp"},
            {"INSTALLDIR", "C:\\Prog\\"}, {"SHARED_FILES_DIR", "C:\\Shared\\"}, {"OSKRN", "C:\\KRN\\"},
            {"WindowsVolume", "C:\\"}, {"BadPath", "1"}};
    }

    sim::Machine machine;
};

TEST_F(ValidatePath, PreparingAnEmptySlotGivesItTheWindowsVolume) {
    machine.session.properties.erase("SHARED_FILES_DIR");
    machine.session.properties["ValidatePath"] = "2";

    EXPECT_EQ(run(machine, "ValidatePath"), orv::kSuccess);

    EXPECT_EQ(machine.session.property("SHARED_FILES_DIR"), "C:\\");
    EXPECT_EQ(machine.session.targetPaths, (std::map<std::string, std::string>{{"SHARED_FILES_DIR", "C:\\"}}));
    EXPECT_FALSE(machine.session.hasProperty("BadPath"));
    EXPECT_TRUE(machine.messageBoxes.empty());
}

// Anything but the exact text "0" names a slot; one the dialog lacks names no folder, and
// nothing but BadPath changes.
TEST_F(ValidatePath, PreparingAFilledOrUnknownSlotOnlyClearsBadPath) {
    for (const std::string& request : std::vector<std::string>{"2", "00", " 0", "7", "abc", "-1", std::string(259, '9')}) {
        SCOPED_TRACE("ValidatePath = \"" + request.substr(0, 10) + "\"");
        SetUp();
        machine.session.properties["ValidatePath"] = request;
        Properties before = machine.session.properties;
        before.erase("BadPath");

        EXPECT_EQ(run(machine, "ValidatePath"), orv::kSuccess);

        EXPECT_EQ(machine.session.properties, before);
        EXPECT_TRUE(machine.session.targetPaths.empty());
        EXPECT_TRUE(machine.messageBoxes.empty());
    }
}

// A request too long to read is neither a check nor a slot: nothing changes.
TEST_F(ValidatePath, AnUnreadableRequestChangesNothing) {
    machine.session.properties["ValidatePath"] = std::string(260, '0');
    const Properties before = machine.session.properties;
    EXPECT_EQ(run(machine, "ValidatePath"), orv::kSuccess);
    EXPECT_EQ(machine.session.properties, before);
}

// The first blank folder is reported, once, and the slots after it are not looked at.
TEST_F(ValidatePath, CheckReportsTheFirstBlankFolder) {
    machine.session.properties.erase("SHARED_FILES_DIR");
    machine.session.properties.erase("OSKRN");
    machine.session.properties.erase("BadPath");
    machine.session.properties["ValidatePath"] = "0";
    machine.answers = {orv::kIdOk};

    EXPECT_EQ(run(machine, "ValidatePath"), orv::kSuccess);

    EXPECT_EQ(machine.messageBoxes,
              (std::vector<sim::MessageBoxShown>{{"Shared Files path cannot be blank.", "Error", 0x40010}}));
    EXPECT_EQ(machine.session.property("BadPath"), "1");
}

struct CheckCase {
    const char* situation;
    Properties changes;  // on top of the three shown, filled slots; "" removes
};

// Every shown slot filled, or a hidden slot reached first: the check passes.
TEST_F(ValidatePath, CheckPassesWhenNoShownFolderIsBlank) {
    const CheckCase cases[] = {
        {"three shown, all filled", {}},
        {"no slot shown", {{"Enable_Dest_1", ""}, {"Enable_Dest_2", ""}, {"Enable_Dest_3", ""}}},
        {"five shown, all filled",
         {{"Enable_Dest_4", "1"}, {"Dest_Prop_4", "OSTWB"}, {"OSTWB", "C:\\TWB\\"},
          {"Enable_Dest_5", "1"}, {"Dest_Prop_5", "HALORB_DIR"}, {"HALORB_DIR", "C:\\Halyard\\"}}},
        {"a hidden slot before a blank one", {{"Enable_Dest_2", ""}, {"OSKRN", ""}}},
        {"a folder too long to read counts as filled", {{"OSKRN", std::string(300, 'k')}}},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.situation);
        SetUp();
        for (const auto& [name, value] : c.changes)
            if (value.empty())
                machine.session.properties.erase(name);
            else
                machine.session.properties[name] = value;
        machine.session.properties["ValidatePath"] = "0";

        EXPECT_EQ(run(machine, "ValidatePath"), orv::kSuccess);

        EXPECT_FALSE(machine.session.hasProperty("BadPath"));
        EXPECT_TRUE(machine.messageBoxes.empty());
    }
}

// ----- OrvValidateInstallOptions -----------------------------------------------------------------

struct OptionsCase {
    const char* situation;
    std::map<std::string, sim::States> features;
    Properties properties;
    std::vector<int> answers;
    std::vector<std::uint32_t> questions;  // string ids, in the order asked
    std::vector<sim::StateRequest> requests;
    std::optional<std::string> badConfig;  // afterwards; nullopt: removed
};

// Every feature of the rules, nothing requested; a case overrides what it needs.
std::map<std::string, sim::States> selection(std::map<std::string, sim::States> overrides) {
    std::map<std::string, sim::States> features = {
        {"MainProgramFiles", {kAbsent, kLocal}}, {"KRN", {kAbsent, kLocal}},     {"KRNCommon", {kAbsent, kLocal}},
        {"DBDirect", {kAbsent, kLocal}},         {"InternetControls", {kAbsent, kNone}}, {"Indy", {kAbsent, kLocal}},
        {"SOAP", {kAbsent, kNone}}};
    for (auto& [name, states] : overrides) features[name] = states;
    return features;
}

sim::StateRequest request(const char* feature, orv::InstallState state) { return {"feature", feature, state}; }

class ValidateInstallOptions : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(ValidateInstallOptions, AppliesTheFourRulesInOrder) {
    const OptionsCase& c = GetParam();
    sim::Machine machine;
    machine.session.features = c.features;
    machine.session.properties = c.properties;
    machine.answers.assign(c.answers.begin(), c.answers.end());

    EXPECT_EQ(run(machine, "OrvValidateInstallOptions"), orv::kSuccess);

    std::vector<sim::MessageBoxShown> expected;
    for (std::uint32_t id : c.questions) expected.push_back({text(id), "Component Selection Error", kQuestionStyle});
    EXPECT_EQ(machine.messageBoxes, expected);
    EXPECT_EQ(machine.session.requests, c.requests);
    if (c.badConfig)
        EXPECT_EQ(machine.session.property("BadConfig"), *c.badConfig);
    else
        EXPECT_FALSE(machine.session.hasProperty("BadConfig"));
}

INSTANTIATE_TEST_SUITE_P(
    OrvDialog, ValidateInstallOptions,
    ::testing::Values(
        OptionsCase{"all needed features wanted", selection({}), {{"BadConfig", "1"}}, {}, {}, {}, std::nullopt},
        OptionsCase{"KRN deselected, Yes", selection({{"KRN", {kAbsent, kAbsent}}}), {}, {orv::kIdYes}, {112},
                    {request("KRN", kLocal)}, std::nullopt},
        OptionsCase{"KRN deselected, No", selection({{"KRN", {kAbsent, kAbsent}}}), {}, {orv::kIdNo}, {112},
                    {request("KRNCommon", kAbsent)}, "1"},
        OptionsCase{"KRN deselected, the box fails", selection({{"KRN", {kAbsent, kAbsent}}}), {}, {}, {112},
                    {request("KRNCommon", kAbsent)}, "1"},
        OptionsCase{"KRN deselected but already on the machine", selection({{"KRN", {kAbsent, kAbsent}}}),
                    {{"KRN_EXISTS", "1"}}, {}, {}, {request("KRNCommon", kAbsent)}, std::nullopt},
        OptionsCase{"KRN installed and being removed", selection({{"MainProgramFiles", {kLocal, kNone}}, {"KRN", {kLocal, kAbsent}}}),
                    {}, {orv::kIdNo}, {112}, {request("KRNCommon", kAbsent)}, "1"},
        OptionsCase{"KRN deselected, no program files", selection({{"MainProgramFiles", {kAbsent, kAbsent}}, {"KRN", {kAbsent, kAbsent}}}),
                    {}, {}, {}, {request("KRNCommon", kAbsent)}, std::nullopt},
        // A later consistent pair must not hide the declined repair.
        OptionsCase{"No to KRN, then DataPipe and Indy wanted", selection({{"KRN", {kAbsent, kAbsent}}}), {},
                    {orv::kIdNo}, {112}, {request("KRNCommon", kAbsent)}, "1"},
        OptionsCase{"DataPipe off, Internet controls on, Yes",
                    selection({{"DBDirect", {kAbsent, kAbsent}}, {"InternetControls", {kAbsent, kLocal}}, {"SOAP", {kAbsent, kLocal}}}),
                    {}, {orv::kIdYes}, {144}, {request("SOAP", kAbsent), request("InternetControls", kAbsent)}, std::nullopt},
        OptionsCase{"DataPipe off, Internet controls on, No",
                    selection({{"DBDirect", {kAbsent, kAbsent}}, {"InternetControls", {kAbsent, kLocal}}}),
                    {}, {orv::kIdNo}, {144}, {}, "1"},
        OptionsCase{"Yes to 144 on a fresh install with Indy off: SOAP no longer local",
                    selection({{"DBDirect", {kAbsent, kAbsent}}, {"InternetControls", {kAbsent, kLocal}},
                               {"Indy", {kAbsent, kAbsent}}, {"SOAP", {kAbsent, kLocal}}}),
                    {}, {orv::kIdYes}, {144}, {request("SOAP", kAbsent), request("InternetControls", kAbsent)}, std::nullopt},
        OptionsCase{"Yes to 144 with SOAP installed and Indy off: 147 follows",
                    selection({{"DBDirect", {kAbsent, kAbsent}}, {"InternetControls", {kAbsent, kLocal}},
                               {"Indy", {kAbsent, kAbsent}}, {"SOAP", {kLocal, kNone}}}),
                    {}, {orv::kIdYes, orv::kIdNo}, {144, 147},
                    {request("SOAP", kAbsent), request("InternetControls", kAbsent)}, "1"},
        OptionsCase{"DataPipe off, Internet controls absent: rule 3 silent",
                    selection({{"DBDirect", {kAbsent, kAbsent}}, {"Indy", {kAbsent, kAbsent}}}),
                    {{"BadConfig", "1"}}, {}, {}, {}, std::nullopt},
        OptionsCase{"Indy off, web services on, Yes",
                    selection({{"Indy", {kAbsent, kAbsent}}, {"SOAP", {kAbsent, kLocal}}}),
                    {}, {orv::kIdYes}, {147}, {request("SOAP", kAbsent)}, std::nullopt},
        OptionsCase{"No to 112, Yes to 144 and 147",
                    selection({{"KRN", {kAbsent, kAbsent}}, {"DBDirect", {kAbsent, kAbsent}}, {"InternetControls", {kAbsent, kLocal}},
                               {"Indy", {kAbsent, kAbsent}}, {"SOAP", {kLocal, kLocal}}}),
                    {}, {orv::kIdNo, orv::kIdYes, orv::kIdYes}, {112, 144, 147},
                    {request("KRNCommon", kAbsent), request("SOAP", kAbsent), request("InternetControls", kAbsent),
                     request("SOAP", kAbsent)},
                    "1"},
        OptionsCase{"a package without these features", {}, {}, {}, {}, {request("KRNCommon", kAbsent)}, std::nullopt},
        OptionsCase{"an unreadable KRN marker skips rule 1", selection({{"KRN", {kAbsent, kAbsent}}}),
                    {{"KRN_EXISTS", std::string(260, '1')}}, {}, {}, {request("KRNCommon", kAbsent)}, std::nullopt}),
    NamedBySituation());

// ----- SetupSQLConfigDialog ----------------------------------------------------------------------

TEST(SetupSQLConfigDialog, FillsTheFiveDriverSlots) {
    sim::Machine machine;
    machine.session.properties = {{"SQLConfig_Driver_1", "new"}, {"SQL_INSTALL_DB2", "0"}};
    const Properties expected = {
        {"Enable_SQLConfig_1", "1"}, {"SQLConfig_DrvName_1", "MS Access"},
        {"SQLConfig_1_Text_1", "DAO 3.5 (MS Access 97) Driver"}, {"SQLConfig_1_Text_2", "DAO 3.0 (MS Access 95) Driver"},
        {"Enable_SQLConfig_2", "1"}, {"SQLConfig_DrvName_2", "DB2"},
        {"SQLConfig_2_Text_1", "DB2 UDB Driver"}, {"SQLConfig_2_Text_2", "DB2 Version 2.x Driver"},
        {"Enable_SQLConfig_3", "1"}, {"SQLConfig_DrvName_3", "Informix"},
        {"SQLConfig_3_Text_1", "Informix 9 Driver"}, {"SQLConfig_3_Text_2", "Informix 7 Driver"},
        {"Enable_SQLConfig_4", "1"}, {"SQLConfig_DrvName_4", "Oracle"},
        {"SQLConfig_4_Text_1", "Oracle 8 Driver"}, {"SQLConfig_4_Text_2", "Oracle 7 Driver"},
        {"Enable_SQLConfig_5", "1"}, {"SQLConfig_DrvName_5", "Sybase"},
        {"SQLConfig_5_Text_1", "CT Library Driver"}, {"SQLConfig_5_Text_2", "DB Library Driver"},
        {"SQLConfig_Driver_1", "new"},  // the user's choice survives
    };
    for (int pass = 1; pass <= 2; ++pass) {
        SCOPED_TRACE("run " + std::to_string(pass));
        EXPECT_EQ(run(machine, "SetupSQLConfigDialog"), orv::kSuccess);
        EXPECT_EQ(withPrefixes(machine, {"Enable_SQLConfig_", "SQLConfig_"}), expected);
    }
    EXPECT_EQ(machine.session.property("SQL_INSTALL_DB2"), "0");
}

// ----- SetUseSharedFlag and SetKRNPath ---------------------------------------------------------

constexpr const char* kSharedRoot = "Software\\Orvanta\\Orvanta Shared";
constexpr const char* kProductKey = "Software\\Orvanta\\Quillon\\7.0";

struct SharedCase {
    const char* situation;
    std::optional<std::string> registered;  // SharedFilesDir; nullopt: no shared root at all
    const char* chosen;
    bool useShared;
};

class SetUseSharedFlag : public ::testing::TestWithParam<SharedCase> {};

TEST_P(SetUseSharedFlag, UsesTheRegisteredFolderWhenChosenOrFirst) {
    const SharedCase& c = GetParam();
    sim::Machine machine;
    machine.session.properties = {{"REG_PRODUCT", "Quillon"}, {"REG_VERSION", "7.0"}, {"USE_ORVSHARED", "1"}};
    if (*c.chosen) machine.session.properties["SHARED_FILES_DIR"] = c.chosen;
    if (c.registered) {
        machine.hklm.ensure(kSharedRoot);
        if (!c.registered->empty()) machine.hklm.setString(kSharedRoot, "SharedFilesDir", *c.registered);
    }

    EXPECT_EQ(run(machine, "SetUseSharedFlag"), orv::kSuccess);

    EXPECT_EQ(machine.session.hasProperty("USE_ORVSHARED"), c.useShared);
    if (c.useShared) {
        EXPECT_EQ(machine.session.property("USE_ORVSHARED"), "1");
    }
    EXPECT_EQ(machine.hklm.string(kProductKey, "UseSharedFiles"), c.useShared ? "TRUE" : "FALSE");
    EXPECT_EQ(machine.openKeys(), 0u);
}

const std::string kCommon = "C:\\Program Files\\Common Files\\Orvanta Shared";

INSTANTIATE_TEST_SUITE_P(
    OrvDialog, SetUseSharedFlag,
    ::testing::Values(
        SharedCase{"first Orvanta installation", std::nullopt, "D:\\Anywhere\\", true},
        SharedCase{"same folder, registered with a backslash", kCommon + "\\", "C:\\Program Files\\Common Files\\Orvanta Shared", true},
        SharedCase{"same folder, chosen with a backslash", kCommon, "C:\\Program Files\\Common Files\\Orvanta Shared\\", true},
        SharedCase{"same folder in other letter case", kCommon, "c:\\PROGRAM FILES\\common files\\orvanta shared\\", true},
        SharedCase{"accented letters compare by the locale", "C:\\\xC9t\xE9", "C:\\\xE9T\xC9\\", true},
        SharedCase{"another folder", kCommon, "D:\\Shared\\", false},
        SharedCase{"root without a registered folder", "", "D:\\Shared\\", false},
        SharedCase{"root without a registered folder, none chosen", "", "", true},
        SharedCase{"two backslashes keep one", kCommon, "C:\\Program Files\\Common Files\\Orvanta Shared\\\\", false}),
    NamedBySituation());

TEST(SetUseSharedFlagFailures, UnreadableRegisteredFolderCountsAsNone) {
    sim::Machine machine;
    machine.session.properties = {{"REG_PRODUCT", "Quillon"}, {"REG_VERSION", "7.0"}, {"SHARED_FILES_DIR", "C:\\S\\"}};
    machine.hklm.setDword(kSharedRoot, "SharedFilesDir", 1);
    EXPECT_EQ(run(machine, "SetUseSharedFlag"), orv::kSuccess);
    EXPECT_FALSE(machine.session.hasProperty("USE_ORVSHARED"));
    EXPECT_EQ(machine.hklm.string(kProductKey, "UseSharedFiles"), "FALSE");
}

// Without a product key to record it in, the decision is not made at all.
TEST(SetUseSharedFlagFailures, NothingIsDecidedWithoutAProductKeyOrAChosenFolder) {
    struct Case {
        const char* situation;
        Properties properties;
        bool refuseProductKey;
    };
    const Case cases[] = {
        {"product key refused", {{"REG_PRODUCT", "Quillon"}, {"REG_VERSION", "7.0"}}, true},
        {"no product name", {{"REG_VERSION", "7.0"}}, false},
        {"no version", {{"REG_PRODUCT", "Quillon"}}, false},
        {"chosen folder too long to read",
         {{"REG_PRODUCT", "Quillon"}, {"REG_VERSION", "7.0"}, {"SHARED_FILES_DIR", std::string(260, 's')}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.situation);
        sim::Machine machine;
        machine.session.properties = c.properties;
        if (c.refuseProductKey) machine.fail(sim::Op::RegCreateKey, kProductKey, orv::kErrorAccessDenied);
        const Properties before = machine.session.properties;

        EXPECT_EQ(run(machine, "SetUseSharedFlag"), orv::kSuccess);

        EXPECT_EQ(machine.session.properties, before);
        EXPECT_FALSE(machine.hklm.exists("Software\\Orvanta\\Quillon"));
        EXPECT_FALSE(machine.hklm.exists("Software\\Orvanta\\7.0"));
        EXPECT_EQ(machine.openKeys(), 0u);
    }
}

TEST(SetUseSharedFlagFailures, ARefusedRegistryWriteStillSetsTheProperty) {
    sim::Machine machine;
    machine.session.properties = {{"REG_PRODUCT", "Quillon"}, {"REG_VERSION", "7.0"}, {"SHARED_FILES_DIR", "C:\\S\\"}};
    machine.fail(sim::Op::RegSetValue, kProductKey, orv::kErrorAccessDenied);
    EXPECT_EQ(run(machine, "SetUseSharedFlag"), orv::kSuccess);
    EXPECT_EQ(machine.session.property("USE_ORVSHARED"), "1");
    EXPECT_FALSE(machine.hklm.value(kProductKey, "UseSharedFiles"));
}

TEST(SetKRNPath, HandsTheEngineFolderToItsMergeModule) {
    const char* kModuleFolder = "KRN_INSTALL_PATH.E966F0CB_76B3_11D3_945B_00C04FB1760A";
    sim::Machine machine;
    machine.session.properties["OSKRN"] = "C:\\Program Files\\KRN\\";
    EXPECT_EQ(run(machine, "SetKRNPath"), orv::kSuccess);
    EXPECT_EQ(machine.session.property(kModuleFolder), "C:\\Program Files\\KRN\\");

    machine.session.properties.erase("OSKRN");
    EXPECT_EQ(run(machine, "SetKRNPath"), orv::kSuccess);
    EXPECT_FALSE(machine.session.hasProperty(kModuleFolder));

    // Never a folder cut short.
    machine.session.properties["OSKRN"] = std::string(260, 'k');
    machine.session.properties[kModuleFolder] = "C:\\KRN\\";
    EXPECT_EQ(run(machine, "SetKRNPath"), orv::kSuccess);
    EXPECT_EQ(machine.session.property(kModuleFolder), "C:\\KRN\\");
}

// ----- SetupReadyDialog --------------------------------------------------------------------------

struct ReadyCase {
    const char* situation;
    std::optional<std::string> count;  // InstallMsgCount; nullopt: unset
    std::uint32_t result;
    std::set<int> switchesLeft;  // of Enable_Install_Msg_1 to _100, all "1" before
};

std::set<int> allSwitches(int from, int to) {
    std::set<int> numbers;
    for (int n = from; n <= to; ++n) numbers.insert(n);
    return numbers;
}

class SetupReadyDialogCount : public ::testing::TestWithParam<ReadyCase> {};

TEST_P(SetupReadyDialogCount, HidesTheCountedNotes) {
    const ReadyCase& c = GetParam();
    sim::Machine machine;
    for (int n = 1; n <= 100; ++n) machine.session.properties["Enable_Install_Msg_" + std::to_string(n)] = "1";
    if (c.count) machine.session.properties["InstallMsgCount"] = *c.count;

    EXPECT_EQ(run(machine, "SetupReadyDialog"), c.result);

    std::set<int> left;
    for (int n = 1; n <= 100; ++n)
        if (machine.session.hasProperty("Enable_Install_Msg_" + std::to_string(n))) left.insert(n);
    EXPECT_EQ(left, c.switchesLeft);
}

INSTANTIATE_TEST_SUITE_P(
    OrvDialog, SetupReadyDialogCount,
    ::testing::Values(ReadyCase{"missing", std::nullopt, orv::kSuccess, allSwitches(1, 100)},
                      ReadyCase{"empty", "", orv::kSuccess, allSwitches(1, 100)},
                      ReadyCase{"3", "3", orv::kSuccess, allSwitches(4, 100)},
                      ReadyCase{"99", "99", orv::kSuccess, {100}},
                      ReadyCase{"100 does not fit", "100", orv::kErrorInstallFailure, allSwitches(1, 100)},
                      ReadyCase{"0", "0", orv::kSuccess, allSwitches(1, 100)},
                      ReadyCase{"-1", "-1", orv::kSuccess, allSwitches(1, 100)},
                      ReadyCase{"leading number", "2x", orv::kSuccess, allSwitches(3, 100)},
                      ReadyCase{"not a number", "x2", orv::kSuccess, allSwitches(1, 100)}),
    NamedBySituation());

TEST(SetupReadyDialog, SampleDataNoteOnlyForLocalSamplesBesideGranary) {
    struct Case {
        const char* situation;
        sim::States samples;
        bool granary;
        bool noteShown;
    };
    const Case cases[] = {
        {"both hold", {kAbsent, kLocal}, true, true},
        {"samples installed before, left alone", {kLocal, kNone}, true, false},
        {"no Granary server", {kAbsent, kLocal}, false, false},
        {"samples from source", {kAbsent, orv::kStateSource}, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.situation);
        sim::Machine machine;
        machine.session.features["SampleDataFiles"] = c.samples;
        machine.session.properties = {{"InstallMsgCount", "0"}, {"InstallMsg_2", "kept"}};
        if (c.granary) machine.hklm.ensure("Software\\Granary Corp");

        EXPECT_EQ(run(machine, "SetupReadyDialog"), orv::kSuccess);

        EXPECT_EQ(machine.session.hasProperty("Enable_Install_Msg_1"), c.noteShown);
        if (c.noteShown) {
            EXPECT_EQ(machine.session.property("Enable_Install_Msg_1"), "1");
            EXPECT_EQ(machine.session.property("InstallMsg_1"), text(141));
        }
        EXPECT_EQ(machine.session.property("InstallMsg_2"), "kept");
        EXPECT_EQ(machine.openKeys(), 0u);
        EXPECT_TRUE(machine.messageBoxes.empty());
    }
}

TEST(SetupReadyDialog, AFailedCountReadChangesNothing) {
    sim::Machine machine;
    machine.session.features["SampleDataFiles"] = {kAbsent, kLocal};
    machine.hklm.ensure("Software\\Granary Corp");
    machine.session.properties["InstallMsgCount"] = "2";
    machine.fail(sim::Op::GetProperty, "InstallMsgCount");
    const Properties before = machine.session.properties;
    EXPECT_EQ(run(machine, "SetupReadyDialog"), orv::kErrorInstallFailure);
    EXPECT_EQ(machine.session.properties, before);
}

}  // namespace
