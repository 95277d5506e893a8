// ProcessHalORBSelection, DisableFeatures and ProcessInstallDB in the installer engine under Wine.
#include <gtest/gtest.h>

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

struct JavaCase {
    const char* name;
    std::optional<std::string> runtime;  // "CurrentVersion" of the runtime's key
    std::optional<std::string> kit;      // and of the development kit's
    std::string installJre;              // INSTALL_JRE after the action
    std::string javaLine;
};

void PrintTo(const JavaCase& c, std::ostream* out) { *out << c.name; }

class BrokerVersion4InEngine : public EngineTest, public ::testing::WithParamInterface<JavaCase> {};

// "HY4" asks for the version 4 broker and, SamplePrograms being local, its samples; a Java of 1.2
// or later, the runtime's registration before the development kit's, spares the runtime install.
// CorbaSamples, not installed in this first installation, is held absent although its level
// would install it.
TEST_P(BrokerVersion4InEngine, RequestsTheBrokerAndJavaWhereNeeded) {
    const JavaCase& c = GetParam();
    const Outcome outcome = Engine::shared().run(engine::orvdialog::brokerVersion4(Engine::shared(), c.runtime, c.kit));
    const engine::ProbeStage& before = outcome.before();
    ASSERT_NE(before.feature("CORBASupport_HY4").action, kLocal);
    ASSERT_EQ(before.feature("CorbaSamples").installed, kAbsent);
    ASSERT_EQ(before.feature("CorbaSamples").action, kLocal);
    ASSERT_EQ(before.feature("SamplePrograms").action, kLocal);

    const engine::ProbeStage& after = outcome.after();
    for (const char* feature : {"CORBASupport_HY4", "CorbaSamples40", "CommonCorbaSamples"})
        EXPECT_EQ(after.feature(feature).action, kLocal) << feature;
    EXPECT_EQ(after.feature("CorbaSamples").action, kAbsent);
    EXPECT_EQ(after.property("INSTALL_HY4"), "1");
    EXPECT_EQ(after.property("INSTALL_JRE"), c.installJre);
    EXPECT_EQ(outcome.installLog.linesOf(engine::orvdialog::kLibrary, "ProcessHalORBSelection"),
              (std::vector<std::string>{
                  "HY_VER \"HY4\": broker version 4 support chosen", "CorbaSamples held at its installed state 2",
                  c.javaLine, c.installJre.empty() ? "INSTALL_HY4 set; INSTALL_JRE left as it was"
                                                   : "INSTALL_HY4 set; INSTALL_JRE set",
                  "CORBASupport_HY4 requested local; SamplePrograms local, so CorbaSamples40 and CommonCorbaSamples "
                  "requested local"}));
}

const JavaCase kJavaCases[] = {
    {"RuntimeSuitable", "1.3", "1.1", "", "Java runtime version \"1.3\": suitable"},
    // Three parts do not make a version the test accepts, even though 1.3.1 is later than 1.2.
    {"RuntimeOfThreeParts", "1.3.1", "2.0", "1", "Java runtime version \"1.3.1\": not suitable"},
    {"KitWhereTheRuntimeHasNone", std::nullopt, "1.10", "", "Java development kit version \"1.10\": suitable"},
    {"NoJava", std::nullopt, std::nullopt, "1", "no Java version registered"},
};

INSTANTIATE_TEST_SUITE_P(Java, BrokerVersion4InEngine, ::testing::ValuesIn(kJavaCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Without "HY4", a maintenance run that asks to remove the installed CORBASupport_HY4 and
// CorbaSamples and to add CorbaSamples40 gets each held at its installed state instead; the
// version 4 requests are removed.
class BrokerMaintenanceInEngine : public EngineTest {};

TEST_F(BrokerMaintenanceInEngine, ProcessHalORBSelectionHoldsInstalledStates) {
    const Outcome outcome = Engine::shared().run(engine::orvdialog::brokerMaintenance(Engine::shared()));
    ASSERT_EQ(outcome.laterRuns.size(), 1u);
    const engine::RunOutcome& maintenance = outcome.laterRuns.front();
    EXPECT_TRUE(outcome.installLog.linesOf(engine::orvdialog::kLibrary, "ProcessHalORBSelection").empty());
    const engine::ProbeStage& before = maintenance.before();
    ASSERT_FALSE(before.property("Installed").empty());
    for (const char* feature : {"CORBASupport_HY4", "CorbaSamples", "CommonCorbaSamples"}) {
        ASSERT_EQ(before.feature(feature).installed, kLocal) << feature;
    }
    ASSERT_EQ(before.feature("CORBASupport_HY4").action, kAbsent);
    ASSERT_EQ(before.feature("CorbaSamples").action, kAbsent);
    ASSERT_EQ(before.feature("CorbaSamples40").installed, kAbsent);
    ASSERT_EQ(before.feature("CorbaSamples40").action, kLocal);

    const engine::ProbeStage& after = maintenance.after();
    EXPECT_EQ(after.feature("CORBASupport_HY4").action, kLocal);
    EXPECT_EQ(after.feature("CorbaSamples").action, kLocal);
    EXPECT_EQ(after.feature("CommonCorbaSamples").action, kLocal);
    EXPECT_EQ(after.feature("CorbaSamples40").action, kAbsent);
    EXPECT_EQ(after.property("INSTALL_HY4"), "");
    EXPECT_EQ(after.property("INSTALL_JRE"), "");
    EXPECT_EQ(maintenance.installLog.linesOf(engine::orvdialog::kLibrary, "ProcessHalORBSelection"),
              (std::vector<std::string>{"HY_VER \"\": no version 4 support",
                                        "CORBASupport_HY4 held at its installed state 3",
                                        "CorbaSamples held at its installed state 3",
                                        "CorbaSamples40 held at its installed state 2",
                                        "CommonCorbaSamples held at its installed state 3",
                                        "INSTALL_HY4 and INSTALL_JRE removed"}));
}

struct SwitchCase {
    const char* name;
    std::string disableHalOrb;
    std::string installMsiDb;
    int corbaAfter;
    int databaseAfter;
    std::vector<std::string> disableLines;
    std::vector<std::string> databaseLines;
};

void PrintTo(const SwitchCase& c, std::ostream* out) { *out << c.name; }

class FeatureSwitchesInEngine : public EngineTest, public ::testing::WithParamInterface<SwitchCase> {};

// Disable_HalORB takes CORBA support out; INSTALL_MSIDB other than "1" takes out the copy of the
// installation database.
TEST_P(FeatureSwitchesInEngine, DisableFeaturesAndProcessInstallDbFollowTheirSwitches) {
    const SwitchCase& c = GetParam();
    const Outcome outcome =
        Engine::shared().run(engine::orvdialog::featureSwitches(Engine::shared(), c.disableHalOrb, c.installMsiDb));
    ASSERT_EQ(outcome.before().feature("CORBASupport").action, kLocal);
    ASSERT_EQ(outcome.before().component("InstallationDatabase").action, kLocal);

    EXPECT_EQ(outcome.after().feature("CORBASupport").action, c.corbaAfter);
    EXPECT_EQ(outcome.after().component("InstallationDatabase").action, c.databaseAfter);
    // Wine differs from Windows here: Windows would leave install.db out where the component is
    // requested absent; Wine installs it either way (ENGINE_NOTES.md, "A component requested
    // absent is installed all the same").
    EXPECT_TRUE(outcome.file("C:\\Program Files\\Orv Engine Test\\install.db").has_value());
    EXPECT_EQ(outcome.installLog.linesOf(engine::orvdialog::kLibrary, "DisableFeatures"), c.disableLines);
    EXPECT_EQ(outcome.installLog.linesOf(engine::orvdialog::kLibrary, "ProcessInstallDB"), c.databaseLines);
}

const SwitchCase kSwitches[] = {
    {"BrokerOffDatabaseDropped", "1", "", kAbsent, kAbsent,
     {"Disable_HalORB set: CORBASupport requested absent"},
     {"INSTALL_MSIDB \"\", not \"1\": InstallationDatabase requested absent"}},
    {"BrokerKeptDatabaseKept", "", "1", kLocal, kLocal,
     {"Disable_HalORB not set: CORBASupport left as it is"},
     {"INSTALL_MSIDB \"1\": InstallationDatabase kept"}},
};

INSTANTIATE_TEST_SUITE_P(Switches, FeatureSwitchesInEngine, ::testing::ValuesIn(kSwitches),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
