// DisableCompactFeatures and ResetFeatureState in the installer engine under Wine, on a flat
// Feature table of twelve plus the harness's own feature. The table is flat because the engine
// passes a request on to a feature's children, which would blur what each action requested itself.
#include <gtest/gtest.h>

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

bool isCore(const std::string& feature) {
    // Compared exactly: "debugger" in lower case is no core feature.
    for (const char* core : {"ProgramFiles", "MainProgramFiles", "SharedFiles", "Debugger", "KRN", "CompressedMainFiles"})
        if (feature == core) return true;
    return false;
}

class FeatureResetsInEngine : public EngineTest {
protected:
    static void expectPremise(const Outcome& outcome) {
        for (const std::string& feature : engine::orvdialog::resetFeatures()) {
            const bool off = feature == "TableWorkbench" || feature == "HelpFiles";
            ASSERT_EQ(outcome.before().feature(feature).action == kLocal, !off) << feature;
        }
        ASSERT_EQ(outcome.before().property("INSTALL_GRANARY"), "1");
    }
};

// The compact installation keeps the six core features as requested and asks every other one,
// the lower-case "debugger" among them, to stay absent; its offers and notes are withdrawn.
TEST_F(FeatureResetsInEngine, DisableCompactFeaturesKeepsOnlyTheCore) {
    const Outcome outcome =
        Engine::shared().run(engine::orvdialog::featureResets(Engine::shared(), {"DisableCompactFeatures"}));
    expectPremise(outcome);

    const engine::ProbeStage& after = outcome.after();
    for (const std::string& feature : engine::orvdialog::resetFeatures())
        EXPECT_EQ(after.feature(feature).action, isCore(feature) ? kLocal : kAbsent) << feature;
    for (const char* property : {"INSTALL_GRANARY", "INSTALL_MDAC", "Enable_Ext_Install_1", "Enable_Install_Msg_1",
                                 "Enable_Install_Msg_2"})
        EXPECT_EQ(after.property(property), "") << property;
    EXPECT_EQ(outcome.installLog.linesOf(engine::orvdialog::kLibrary, "DisableCompactFeatures"),
              (std::vector<std::string>{
                  "7 features requested absent: EngineHarness, debugger, SamplePrograms, CORBASupport, "
                  "TableWorkbench, HelpFiles, InternetControls; untouched: ProgramFiles, MainProgramFiles, "
                  "SharedFiles, Debugger, KRN, CompressedMainFiles",
                  "external-install offers and ready-dialog notes withdrawn: INSTALL_GRANARY, INSTALL_MDAC, "
                  "Enable_Ext_Install_1, Enable_Install_Msg_1, Enable_Install_Msg_2"}));
}

// After a compact selection, the reset asks every feature local again, the two left off by
// their level included, and offers the external installs anew (Wine registers no DataAccess, so
// MDAC is offered too).
TEST_F(FeatureResetsInEngine, ResetFeatureStateUndoesACompactSelection) {
    const Outcome outcome = Engine::shared().run(
        engine::orvdialog::featureResets(Engine::shared(), {"DisableCompactFeatures", "ResetFeatureState"}));
    expectPremise(outcome);

    const engine::ProbeStage& after = outcome.after();
    for (const std::string& feature : engine::orvdialog::resetFeatures())
        EXPECT_EQ(after.feature(feature).action, kLocal) << feature;
    EXPECT_EQ(after.property("INSTALL_GRANARY"), "1");
    EXPECT_EQ(after.property("Enable_Ext_Install_1"), "1");
    EXPECT_EQ(after.property("INSTALL_MDAC"), "2");
    EXPECT_EQ(after.property("Enable_Ext_Install_2"), "1");
    EXPECT_EQ(after.property("Enable_Install_Msg_1"), "");
    EXPECT_EQ(outcome.installLog.linesOf(engine::orvdialog::kLibrary, "ResetFeatureState"),
              (std::vector<std::string>{
                  "13 features requested local: EngineHarness, ProgramFiles, MainProgramFiles, SharedFiles, "
                  "Debugger, KRN, CompressedMainFiles, debugger, SamplePrograms, CORBASupport, TableWorkbench, "
                  "HelpFiles, InternetControls",
                  "external installs offered again",
                  "slot 1 offers \"Install Granary Client\"; INSTALL_GRANARY \"1\"",
                  "Software\\Microsoft\\DataAccess cannot be opened: MDAC missing",
                  "slot 2 offers \"Install/Upgrade to Microsoft Data Access Components 2.7\"; INSTALL_MDAC \"2\""}));
}

}  // namespace
