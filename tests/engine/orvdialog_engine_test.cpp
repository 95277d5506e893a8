// OrvDialog's actions in the installer engine under Wine, on the paths that ask the user
// nothing (a question cannot be answered here: MessageBoxA fails at once without a display).
// Each case checks its premise in the probe's first look, then the action's effects.
#include <gtest/gtest.h>

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
TEST_F(OrvDialogInEngine, ValidatePathLeavesAFilledOrUnknownSlotAlone) {
    for (const char* request : {"2", "00", "7"}) {
        SCOPED_TRACE(std::string("ValidatePath = ") + request);
        const Outcome outcome = run(withBadPath(engine::orvdialog::validatePath(Engine::shared(), request, false)));
        const std::string folder = outcome.before().property("SHARED_FILES_DIR");
        ASSERT_FALSE(folder.empty());
        ASSERT_EQ(outcome.before().property("BadPath"), "1");
        EXPECT_EQ(outcome.after().property("SHARED_FILES_DIR"), folder);
        EXPECT_EQ(outcome.after().target("SHARED_FILES_DIR"), outcome.before().target("SHARED_FILES_DIR"));
        EXPECT_EQ(outcome.after().property("BadPath"), "");
    }
}

// The check of all slots: filled folders pass; a blank one is reported in an error box and
// keeps the user on the dialog.
TEST_F(OrvDialogInEngine, ValidatePathChecksTheShownSlots) {
    engine::Scenario filledScenario = withBadPath(engine::orvdialog::validatePath(Engine::shared(), "0", false));
    filledScenario.traceMessageBoxes = true;
    const Outcome filled = run(filledScenario);
    EXPECT_EQ(filled.before().property("BadPath"), "1");
    EXPECT_EQ(filled.after().property("BadPath"), "");
    EXPECT_TRUE(filled.messageBoxes.empty());

    engine::Scenario blankScenario = engine::orvdialog::validatePath(Engine::shared(), "0", true);
    blankScenario.traceMessageBoxes = true;
    const Outcome blank = run(blankScenario);
    ASSERT_EQ(blank.before().property("SHARED_FILES_DIR"), "");
    ASSERT_EQ(blank.before().property("BadPath"), "");
    EXPECT_EQ(blank.messageBoxes,
              (std::vector<engine::MessageBoxCall>{{"Shared Files path cannot be blank.", "Error", 0x40010}}));
    EXPECT_EQ(blank.after().property("BadPath"), "1");
    EXPECT_EQ(blank.after().property("SHARED_FILES_DIR"), "");
}

// Without a display the question about KRN gets no answer, which counts as No: KRNCommon goes
// out and BadConfig stays set, although DataPipe and Indy, wanted, make their own pairs
// consistent afterwards.
TEST_F(OrvDialogInEngine, OrvValidateInstallOptionsKeepsADeclinedRepairReported) {
    const Outcome outcome = run(engine::orvdialog::installOptions(
        Engine::shared(), {{"MainProgramFiles", 1}, {"KRN", 2}, {"KRNCommon", 1}, {"DBDirect", 1},
                           {"InternetControls", 2}, {"Indy", 1}, {"SOAP", 2}}));
    ASSERT_EQ(outcome.before().feature("MainProgramFiles").action, kLocal);
    ASSERT_NE(outcome.before().feature("KRN").action, kLocal);
    ASSERT_EQ(outcome.before().feature("KRNCommon").action, kLocal);

    EXPECT_EQ(outcome.messageBoxes,
              (std::vector<engine::MessageBoxCall>{
                  {"KRN is a required component. Do you want to install KRN?", "Component Selection Error", 0x40024}}));
    EXPECT_EQ(outcome.after().feature("KRNCommon").action, kAbsent);
    EXPECT_NE(outcome.after().feature("KRN").action, kLocal);
    EXPECT_EQ(outcome.after().property("BadConfig"), "1");
}

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
}

// The sample-data note needs both the local sample files and the Granary server's key; the
// switches counted by InstallMsgCount are cleared first, the others left alone.
TEST_F(OrvDialogInEngine, SetupReadyDialogSwitchesTheSampleDataNote) {
    const std::string note =
        "You have selected to install the sample data files. If you have an older version of Granary installed, then "
        "please see the release notes for information about using these sample data files.";
    for (const bool granary : {true, false}) {
        SCOPED_TRACE(granary ? "Granary installed" : "no Granary");
        const Outcome outcome = run(engine::orvdialog::readyDialog(Engine::shared(), "3", granary));
        ASSERT_EQ(outcome.before().feature("SampleDataFiles").action, kLocal);
        ASSERT_EQ(outcome.machineBefore.hasKey("Software\\Granary Corp"), granary);

        expectProperties(outcome, {{"Enable_Install_Msg_1", granary ? "1" : ""},
                                   {"InstallMsg_1", granary ? note : ""},
                                   {"Enable_Install_Msg_2", ""},
                                   {"Enable_Install_Msg_3", ""},
                                   {"Enable_Install_Msg_4", "1"}});
    }
}

// A count of three characters is an error in the package: the action fails the installation
// before changing anything, so the run stops there and the probe after it never runs.
TEST_F(OrvDialogInEngine, SetupReadyDialogFailsTheInstallationOnACountOfOneHundred) {
    const Outcome outcome = Engine::shared().run(engine::orvdialog::readyDialog(Engine::shared(), "100", true));
    ASSERT_NO_THROW(outcome.before()) << outcome.log();
    EXPECT_EQ(outcome.before().property("Enable_Install_Msg_1"), "1");
    EXPECT_THROW(outcome.after(), std::exception);
    EXPECT_EQ(outcome.exitCode, 1603 & 0xFF);

    const Outcome ninetyNine = run(engine::orvdialog::readyDialog(Engine::shared(), "99", true));
    EXPECT_EQ(ninetyNine.after().property("Enable_Install_Msg_4"), "");
    EXPECT_EQ(ninetyNine.exitCode, 0);
}

}  // namespace
