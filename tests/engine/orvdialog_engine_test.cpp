// OrvDialog's actions in the installer engine under Wine. A question cannot be answered here
// (MessageBoxA fails at once without a display), so a box shows up only in Wine's trace and in
// the action's log lines. Each case checks its premise in the probe's first look, then the
// action's effects and what it wrote to the installer log.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine.h"
#include "engine_test.h"
#include "orvdialog_scenarios.h"

namespace {

using engine::Engine;
using engine::Outcome;

constexpr int kLocal = 3;
constexpr int kAbsent = 2;

class OrvDialogInEngine : public EngineTest {
protected:
    static engine::Scenario withBadPath(engine::Scenario scenario) {
        scenario.package.properties["BadPath"] = "1";
        return scenario;
    }

    // Runs the scenario and fails unless the probe saw the session after the action.
    Outcome run(const engine::Scenario& scenario) {
        Outcome outcome = Engine::shared().run(scenario);
        EXPECT_NO_THROW(outcome.after()) << outcome.log();
        return outcome;
    }

    void expectProperties(const Outcome& outcome, const std::map<std::string, std::string>& expected) {
        for (const auto& [name, value] : expected) EXPECT_EQ(outcome.after().property(name), value) << name;
    }
};

// Shared files and CORBA support requested locally take slots 1 and 2; the rest are hidden.
TEST_F(OrvDialogInEngine, SetupDestinationDialogPacksTheRequestedRows) {
    const Outcome outcome = run(engine::orvdialog::destinationDialog(
        Engine::shared(),
        {{"MainProgramFiles", 2}, {"SharedFiles", 1}, {"KRN", 2}, {"TableWorkbench", 2}, {"CORBASupport", 1}}));
    ASSERT_EQ(outcome.before().feature("SharedFiles").action, kLocal);
    ASSERT_NE(outcome.before().feature("KRN").action, kLocal);
    ASSERT_EQ(outcome.before().property("Enable_Dest_5"), "1");

    expectProperties(outcome, {{"Enable_Dest_1", "1"}, {"DestDlg_Lbl_1", "Shared Files"}, {"Dest_Prop_1", "SHARED_FILES_DIR"},
                               {"Enable_Dest_2", "1"}, {"DestDlg_Lbl_2", "CORBA Support"}, {"Dest_Prop_2", "HALORB_DIR"},
                               {"Enable_Dest_3", ""},  {"DestDlg_Lbl_3", ""},             {"Dest_Prop_3", "DummyProp"},
                               {"Enable_Dest_4", ""},  {"DestDlg_Lbl_4", ""},             {"Dest_Prop_4", "DummyProp"},
                               {"Enable_Dest_5", ""},  {"DestDlg_Lbl_5", ""},             {"Dest_Prop_5", "DummyProp"},
                               {"DestDirCount", "2"}});
}

// The emptied folder of slot 2 becomes the Windows volume, as property and as target path.
TEST_F(OrvDialogInEngine, ValidatePathPreparesAnEmptySlotFromTheWindowsVolume) {
    const Outcome outcome = run(withBadPath(engine::orvdialog::validatePath(Engine::shared(), "2", true)));
    const engine::ProbeStage& before = outcome.before();
    ASSERT_EQ(before.property("SHARED_FILES_DIR"), "");
    const std::string volume = before.property("WindowsVolume");
    ASSERT_FALSE(volume.empty());
    ASSERT_NE(before.target("SHARED_FILES_DIR"), volume);

    EXPECT_EQ(outcome.after().property("SHARED_FILES_DIR"), volume);
    EXPECT_EQ(outcome.after().target("SHARED_FILES_DIR"), volume);
    EXPECT_EQ(outcome.after().property("BadPath"), "");
}

// A slot whose folder is filled, or a slot number the dialog lacks, is left as it is.
struct UntouchedSlotCase {
    const char* name;
    const char* request;  // ValidatePath
};

void PrintTo(const UntouchedSlotCase& c, std::ostream* out) { *out << c.name; }

class ValidatePathUntouchedInEngine : public OrvDialogInEngine, public ::testing::WithParamInterface<UntouchedSlotCase> {};

TEST_P(ValidatePathUntouchedInEngine, LeavesAFilledOrUnknownSlotAlone) {
    const Outcome outcome = run(withBadPath(engine::orvdialog::validatePath(Engine::shared(), GetParam().request, false)));
    const std::string folder = outcome.before().property("SHARED_FILES_DIR");
    ASSERT_FALSE(folder.empty());
    ASSERT_EQ(outcome.before().property("BadPath"), "1");
    EXPECT_EQ(outcome.after().property("SHARED_FILES_DIR"), folder);
    EXPECT_EQ(outcome.after().target("SHARED_FILES_DIR"), outcome.before().target("SHARED_FILES_DIR"));
    EXPECT_EQ(outcome.after().property("BadPath"), "");
}

const UntouchedSlotCase kUntouchedSlots[] = {
    {"FilledSlot", "2"},
    {"SlotZeroWrittenTwice", "00"},
    {"SlotTheDialogLacks", "7"},
};

INSTANTIATE_TEST_SUITE_P(Requests, ValidatePathUntouchedInEngine, ::testing::ValuesIn(kUntouchedSlots),
                         [](const auto& info) { return std::string(info.param.name); });

// Every shown slot with a folder: no box at /qb, where one would be shown, and BadPath goes.
TEST_F(OrvDialogInEngine, ValidatePathPassesWhenEveryShownSlotHasAFolder) {
    engine::Scenario scenario = withBadPath(engine::orvdialog::validatePath(Engine::shared(), "0", false));
    scenario.traceMessageBoxes = true;
    scenario.uiLevel = engine::UiLevel::Basic;
    const Outcome outcome = run(scenario);
    ASSERT_EQ(outcome.before().property("BadPath"), "1");
    EXPECT_EQ(outcome.after().property("BadPath"), "");
    EXPECT_TRUE(outcome.messageBoxes.empty());
    EXPECT_EQ(outcome.installLog.linesOf(engine::orvdialog::kLibrary, "ValidatePath"),
              (std::vector<std::string>{"every shown slot has a folder: BadPath removed"}));
}

// The UI levels at which boxes differ: at /qb a box is shown (without a display it returns -1 at
// once, and Wine's trace records it); at /qn it is never shown and counts as unanswered.
struct UiCase {
    const char* name;
    engine::UiLevel level;
    const char* uiLevelProperty;  // what the installer tells the actions
    bool boxShown;
};

void PrintTo(const UiCase& c, std::ostream* out) { *out << c.name; }

const UiCase kUiCases[] = {
    {"BasicUi", engine::UiLevel::Basic, "3", true},
    {"Silent", engine::UiLevel::None, "2", false},
};

class OrvDialogBoxesInEngine : public OrvDialogInEngine, public ::testing::WithParamInterface<UiCase> {
protected:
    static engine::Scenario traced(engine::Scenario scenario) {
        scenario.traceMessageBoxes = true;
        scenario.uiLevel = GetParam().level;
        return scenario;
    }
    static std::vector<engine::MessageBoxCall> boxesIfShown(const engine::MessageBoxCall& box) {
        return GetParam().boxShown ? std::vector<engine::MessageBoxCall>{box} : std::vector<engine::MessageBoxCall>{};
    }
    static std::string boxLine(const engine::MessageBoxCall& box) {
        return "box \"" + box.caption + "\" \"" + box.text + "\"" +
               (GetParam().boxShown ? " shown; answer none (-1)" : " not shown: silent installation; answer none");
    }
};

// A blank folder in a shown slot keeps the user on the dialog at either level; the error box is
// shown only where someone could read it, and the log says which.
TEST_P(OrvDialogBoxesInEngine, ValidatePathReportsABlankFolder) {
    const Outcome outcome = run(traced(engine::orvdialog::validatePath(Engine::shared(), "0", true)));
    ASSERT_EQ(outcome.before().property("UILevel"), GetParam().uiLevelProperty);
    ASSERT_EQ(outcome.before().property("SHARED_FILES_DIR"), "");
    ASSERT_EQ(outcome.before().property("BadPath"), "");

    const engine::MessageBoxCall box{"Shared Files path cannot be blank.", "Error", 0x40010};
    EXPECT_EQ(outcome.messageBoxes, boxesIfShown(box));
    EXPECT_EQ(outcome.after().property("BadPath"), "1");
    EXPECT_EQ(outcome.after().property("SHARED_FILES_DIR"), "");
    EXPECT_EQ(outcome.installLog.linesOf(engine::orvdialog::kLibrary, "ValidatePath"),
              (std::vector<std::string>{"slot 2 (Shared Files) has a blank folder: BadPath set", boxLine(box)}));
}

// The question about KRN goes unanswered at either level, which counts as No: KRNCommon goes out
// and BadConfig stays set, although DataPipe and Indy, wanted, make their own pairs consistent.
TEST_P(OrvDialogBoxesInEngine, OrvValidateInstallOptionsKeepsADeclinedRepairReported) {
    const Outcome outcome = run(traced(engine::orvdialog::installOptions(
        Engine::shared(), {{"MainProgramFiles", 1}, {"KRN", 2}, {"KRNCommon", 1}, {"DBDirect", 1},
                           {"InternetControls", 2}, {"Indy", 1}, {"SOAP", 2}})));
    ASSERT_EQ(outcome.before().property("UILevel"), GetParam().uiLevelProperty);
    ASSERT_EQ(outcome.before().feature("MainProgramFiles").action, kLocal);
    ASSERT_NE(outcome.before().feature("KRN").action, kLocal);
    ASSERT_EQ(outcome.before().feature("KRNCommon").action, kLocal);

    const engine::MessageBoxCall question{"KRN is a required component. Do you want to install KRN?",
                                          "Component Selection Error", 0x40024};
    EXPECT_EQ(outcome.messageBoxes, boxesIfShown(question));
    EXPECT_EQ(outcome.after().feature("KRNCommon").action, kAbsent);
    EXPECT_NE(outcome.after().feature("KRN").action, kLocal);
    EXPECT_EQ(outcome.after().property("BadConfig"), "1");
    EXPECT_EQ(outcome.installLog.linesOf(engine::orvdialog::kLibrary, "OrvValidateInstallOptions"),
              (std::vector<std::string>{"rule 1: KRN not wanted while MainProgramFiles is local; asking 112",
                                        boxLine(question), "repair declined",
                                        "rule 2: KRN not wanted; KRNCommon requested absent",
                                        "rule 3: DBDirect wanted; consistent", "rule 4: Indy wanted; consistent",
                                        "BadConfig set: a repair was declined"}));
}

INSTANTIATE_TEST_SUITE_P(UiLevels, OrvDialogBoxesInEngine, ::testing::ValuesIn(kUiCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Every needed feature wanted: nothing is asked and a verdict left from before is removed.
TEST_F(OrvDialogInEngine, OrvValidateInstallOptionsClearsTheVerdictOfAConsistentSelection) {
    engine::Scenario scenario = engine::orvdialog::installOptions(
        Engine::shared(), {{"MainProgramFiles", 1}, {"KRN", 1}, {"KRNCommon", 1}, {"DBDirect", 1},
                           {"InternetControls", 1}, {"Indy", 1}, {"SOAP", 1}});
    scenario.package.properties["BadConfig"] = "1";
    const Outcome outcome = run(scenario);
    ASSERT_EQ(outcome.before().property("BadConfig"), "1");

    EXPECT_TRUE(outcome.messageBoxes.empty());
    EXPECT_EQ(outcome.after().property("BadConfig"), "");
    for (const char* feature : {"KRN", "KRNCommon", "InternetControls", "SOAP"})
        EXPECT_EQ(outcome.after().feature(feature).action, kLocal) << feature;
}

// The engine passes a feature's requested state on to the features below it, which the simulated
// machine does not model; the action reads states afresh after its own requests, as a real
// package's nested Feature table needs. Where DataPipe sits under KRNCommon, rule 2's request to
// leave KRNCommon out takes DataPipe with it, and rule 3 then finds the Internet Controls without
// DataPipe and asks; in the same selection without nesting DataPipe stays and rule 3 is content.
// Silent, so both questions count as declined.
struct FeatureTreeCase {
    const char* name;
    bool nested;
    int dataPipeAfter;  // DBDirect's action state after the action
    std::vector<std::string> rule3Lines;
};

void PrintTo(const FeatureTreeCase& c, std::ostream* out) { *out << c.name; }

class FeatureTreeInEngine : public OrvDialogInEngine, public ::testing::WithParamInterface<FeatureTreeCase> {};

const char* const kDataPipeQuestion =
    "DataPipe is required for the Internet Controls.\n\nSince you have turned off DataPipe, do you want Setup\nto turn "
    "off Internet Controls for you?";

TEST_P(FeatureTreeInEngine, OrvValidateInstallOptionsSeesWhatItsRequestTookAlong) {
    const FeatureTreeCase& c = GetParam();
    const std::string parentOfCommon = c.nested ? "MainProgramFiles" : "";
    const std::string parentOfDataPipe = c.nested ? "KRNCommon" : "";
    const std::string parentOfSoap = c.nested ? "InternetControls" : "";
    engine::Scenario scenario = engine::orvdialog::installOptions(
        Engine::shared(), {{"MainProgramFiles", 1}, {"KRNCommon", 1, parentOfCommon}, {"DBDirect", 1, parentOfDataPipe},
                           {"KRN", 2}, {"InternetControls", 1}, {"SOAP", 1, parentOfSoap}, {"Indy", 1}});
    scenario.uiLevel = engine::UiLevel::None;
    scenario.traceMessageBoxes = false;
    const Outcome outcome = run(scenario);
    for (const char* feature : {"MainProgramFiles", "KRNCommon", "DBDirect", "InternetControls", "SOAP", "Indy"})
        ASSERT_EQ(outcome.before().feature(feature).action, kLocal) << feature;
    ASSERT_NE(outcome.before().feature("KRN").action, kLocal);

    EXPECT_EQ(outcome.after().feature("KRNCommon").action, kAbsent);
    EXPECT_EQ(outcome.after().feature("DBDirect").action, c.dataPipeAfter);
    EXPECT_EQ(outcome.after().feature("InternetControls").action, kLocal);
    EXPECT_EQ(outcome.after().feature("SOAP").action, kLocal);
    EXPECT_EQ(outcome.after().property("BadConfig"), "1");
    std::vector<std::string> expected{
        "rule 1: KRN not wanted while MainProgramFiles is local; asking 112",
        "box \"Component Selection Error\" \"KRN is a required component. Do you want to install KRN?\" not shown: "
        "silent installation; answer none",
        "repair declined", "rule 2: KRN not wanted; KRNCommon requested absent"};
    expected.insert(expected.end(), c.rule3Lines.begin(), c.rule3Lines.end());
    expected.insert(expected.end(), {"rule 4: Indy wanted; consistent", "BadConfig set: a repair was declined"});
    EXPECT_EQ(outcome.installLog.linesOf(engine::orvdialog::kLibrary, "OrvValidateInstallOptions"), expected);
}

const FeatureTreeCase kFeatureTrees[] = {
    {"Nested", true, kAbsent,
     {"rule 3: DBDirect not wanted while InternetControls is local; asking 144",
      std::string("box \"Component Selection Error\" \"") + kDataPipeQuestion + "\" not shown: silent installation; answer none",
      "repair declined"}},
    {"Flat", false, kLocal, {"rule 3: DBDirect wanted; consistent"}},
};

INSTANTIATE_TEST_SUITE_P(Trees, FeatureTreeInEngine, ::testing::ValuesIn(kFeatureTrees),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OrvDialogInEngine, SetupSQLConfigDialogFillsTheTwentySlotProperties) {
    const Outcome outcome = run(engine::orvdialog::sqlConfigDialog(Engine::shared()));
    const char* families[][3] = {{"MS Access", "DAO 3.5 (MS Access 97) Driver", "DAO 3.0 (MS Access 95) Driver"},
                                 {"DB2", "DB2 UDB Driver", "DB2 Version 2.x Driver"},
                                 {"Informix", "Informix 9 Driver", "Informix 7 Driver"},
                                 {"Oracle", "Oracle 8 Driver", "Oracle 7 Driver"},
                                 {"Sybase", "CT Library Driver", "DB Library Driver"}};
    for (int n = 1; n <= 5; ++n) {
        const std::string slot = std::to_string(n);
        expectProperties(outcome, {{"Enable_SQLConfig_" + slot, "1"},
                                   {"SQLConfig_DrvName_" + slot, families[n - 1][0]},
                                   {"SQLConfig_" + slot + "_Text_1", families[n - 1][1]},
                                   {"SQLConfig_" + slot + "_Text_2", families[n - 1][2]}});
    }
    EXPECT_EQ(outcome.after().property("SQLConfig_Driver_1"), "new");
}

struct SharedCase {
    const char* name;
    const char* chosen;
    std::optional<engine::RegValue> registered;  // nullopt leaves the shared root out
    bool useShared;
};

void PrintTo(const SharedCase& c, std::ostream* out) { *out << c.name; }

class SetUseSharedFlagInEngine : public OrvDialogInEngine, public ::testing::WithParamInterface<SharedCase> {};

TEST_P(SetUseSharedFlagInEngine, RecordsTheDecisionAsPropertyAndRegistryValue) {
    const SharedCase& c = GetParam();
    const Outcome outcome = run(engine::orvdialog::useSharedFlag(Engine::shared(), c.chosen, c.registered));
    ASSERT_EQ(outcome.machineBefore.value(engine::orvdialog::kSharedRoot, "SharedFilesDir"), c.registered);

    EXPECT_EQ(outcome.after().property("USE_ORVSHARED"), c.useShared ? "1" : "");
    EXPECT_EQ(outcome.machineValue(engine::orvdialog::kProductKey, "UseSharedFiles"),
              engine::RegValue::string(c.useShared ? "TRUE" : "FALSE"));
}

const std::string kCommonFiles = "C:\\Program Files\\Common Files\\Orvanta Shared\\";

const SharedCase kSharedCases[] = {
    {"FirstOrvantaInstallation", "D:\\Elsewhere\\", std::nullopt, true},
    {"RegisteredFolderInOtherCase", "c:\\program files\\common files\\orvanta shared",
     engine::RegValue::string(kCommonFiles), true},
    {"AnotherFolder", "D:\\Elsewhere\\", engine::RegValue::string(kCommonFiles), false},
    // Reading it raises inside the DLL; the action catches that and counts the folder as none.
    {"RegisteredValueOfAnotherType", "D:\\Elsewhere\\", engine::RegValue::number(1), false},
};

INSTANTIATE_TEST_SUITE_P(Cases, SetUseSharedFlagInEngine, ::testing::ValuesIn(kSharedCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OrvDialogInEngine, SetKRNPathHandsTheEngineFolderToItsMergeModule) {
    const Outcome outcome = run(engine::orvdialog::krnPath(Engine::shared(), "C:\\Program Files\\KRN\\"));
    ASSERT_EQ(outcome.before().property(engine::orvdialog::kKrnModuleFolder), "");
    EXPECT_EQ(outcome.after().property(engine::orvdialog::kKrnModuleFolder), "C:\\Program Files\\KRN\\");
    EXPECT_EQ(outcome.installLog.linesOf(engine::orvdialog::kLibrary, "SetKRNPath"),
              (std::vector<std::string>{std::string(engine::orvdialog::kKrnModuleFolder) +
                                        " set to OSKRN \"C:\\Program Files\\KRN\\\""}));
}

// A package that hides the engine folder, and its copy for the merge module, through
// MsiHiddenProperties: the action's line shows "**********" and no line of the action's holds
// the folder.
TEST_F(OrvDialogInEngine, SetKRNPathKeepsAHiddenFolderOutOfTheLog) {
    const std::string module = engine::orvdialog::kKrnModuleFolder;
    engine::Scenario scenario = engine::orvdialog::krnPath(Engine::shared(), "C:\\Hidden KRN 7\\");
    scenario.package.properties["MsiHiddenProperties"] = "OSKRN;" + module;
    const Outcome outcome = run(scenario);
    ASSERT_EQ(outcome.before().property("OSKRN"), "C:\\Hidden KRN 7\\");
    EXPECT_EQ(outcome.after().property(module), "C:\\Hidden KRN 7\\");

    EXPECT_EQ(outcome.installLog.linesOf(engine::orvdialog::kLibrary, "SetKRNPath"),
              (std::vector<std::string>{module + " set to OSKRN **********"}));
    // Wine differs from Windows here: Wine 8 lists every property at the end of the log, hidden
    // ones with their values, where Windows keeps a hidden value out of the log altogether. Those
    // two lines are the engine's; the folder appears in no other line.
    std::vector<std::string> holding = outcome.installLog.linesContaining("Hidden KRN");
    std::sort(holding.begin(), holding.end());
    EXPECT_EQ(holding, (std::vector<std::string>{"Property(S): KRN_INSTALL_PATH.E966F0CB_76B3_11D3_945B_00C04FB1760A = "
                                                 "C:\\Hidden KRN 7\\",
                                                 "Property(S): OSKRN = C:\\Hidden KRN 7\\"}));
}

// The sample-data note needs both the local sample files and the Granary server's key; the
// switches counted by InstallMsgCount are cleared first, the others left alone.
class SampleDataNoteInEngine : public OrvDialogInEngine, public ::testing::WithParamInterface<bool> {};

TEST_P(SampleDataNoteInEngine, SetupReadyDialogSwitchesTheSampleDataNote) {
    const bool granary = GetParam();
    const std::string note =
        "You have selected to install the sample data files. If you have an older version of Granary installed, then "
        "please see the release notes for information about using these sample data files.";
    const Outcome outcome = run(engine::orvdialog::readyDialog(Engine::shared(), "3", granary));
    ASSERT_EQ(outcome.before().feature("SampleDataFiles").action, kLocal);
    ASSERT_EQ(outcome.machineBefore.hasKey("Software\\Granary Corp"), granary);

    expectProperties(outcome, {{"Enable_Install_Msg_1", granary ? "1" : ""},
                               {"InstallMsg_1", granary ? note : ""},
                               {"Enable_Install_Msg_2", ""},
                               {"Enable_Install_Msg_3", ""},
                               {"Enable_Install_Msg_4", "1"}});
}

INSTANTIATE_TEST_SUITE_P(Granary, SampleDataNoteInEngine, ::testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "Installed" : "Absent"); });

// A count of three characters is an error in the package: the action fails the installation
// before changing anything, so the run stops there and the probe after it never runs.
TEST_F(OrvDialogInEngine, SetupReadyDialogFailsTheInstallationOnACountOfOneHundred) {
    engine::Scenario scenario = engine::orvdialog::readyDialog(Engine::shared(), "100", true);
    scenario.expectedResult = 1603;
    const Outcome outcome = Engine::shared().run(scenario);
    ASSERT_NO_THROW(outcome.before()) << outcome.log();
    EXPECT_EQ(outcome.before().property("Enable_Install_Msg_1"), "1");
    EXPECT_THROW(outcome.after(), std::exception);
    EXPECT_EQ(outcome.exitCode, 1603 & 0xFF);
    // The engine hands the action the length of "100" as ERROR_MORE_DATA (234).
    EXPECT_EQ(outcome.installLog.linesOf(engine::orvdialog::kLibrary, "SetupReadyDialog"),
              (std::vector<std::string>{"InstallMsgCount does not fit in two characters (result 234): the package is "
                                        "broken; failing the installation"}));
}

// Two characters fit: all four switches are counted and cleared, and the installation goes on.
TEST_F(OrvDialogInEngine, SetupReadyDialogTakesACountOfNinetyNine) {
    const Outcome outcome = run(engine::orvdialog::readyDialog(Engine::shared(), "99", true));
    ASSERT_EQ(outcome.before().property("Enable_Install_Msg_4"), "1");
    EXPECT_EQ(outcome.after().property("Enable_Install_Msg_4"), "");
    EXPECT_EQ(outcome.exitCode, 0);
}

}  // namespace
