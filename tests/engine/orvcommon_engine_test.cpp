// OrvCommon's actions in the installer engine under Wine. Each case is one msiexec run of a few
// seconds. The engine reports success even when an action is missing or faults (the harness
// fails such a run on Wine's own report), so every case judges the action by what the probe, the
// registry, the files and the installer log show afterwards, and checks first that the run set up
// what the case is about.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine.h"
#include "engine_test.h"
#include "orvcommon_scenarios.h"

namespace {

using engine::Engine;
using engine::FeatureDesign;
using engine::Outcome;

constexpr int kLocal = 3;

struct RebootCase {
    const char* name;
    std::vector<FeatureDesign> features;  // a level above 1 leaves the feature off
    std::map<std::string, std::string> properties;
    std::vector<std::pair<std::string, std::string>> commandLine;
    std::string expectedReboot;
    std::string expectedLine;  // the action's one line in the installer log
};

const std::string kNoReason = "no reason for a restart: REBOOT left as it was";

const RebootCase kRebootCases[] = {
    {"Corba4LocalForces", {{"CORBASupport_HY4", 1}}, {}, {}, "Force",
     "REBOOT set to Force: CORBASupport_HY4 requested local"},
    {"CorbaLocalForces", {{"CORBASupport", 1}, {"CORBASupport_HY4", 2}}, {}, {}, "Force",
     "REBOOT set to Force: CORBASupport requested local"},
    {"MainProgramOn9xForces", {{"MainProgramFiles", 1}}, {{"Version9X", "490"}}, {}, "Force",
     "REBOOT set to Force: MainProgramFiles requested local on Windows 9x"},
    {"MdacRequestForces", {}, {}, {{"INSTALL_MDAC", "1"}}, "Force", "REBOOT set to Force: INSTALL_MDAC is set"},
    // Wine, like any NT system, leaves Version9X unset; the features for CORBA exist but are off.
    {"MainProgramOnNtAndCorbaOffLeaveUnset",
     {{"MainProgramFiles", 1}, {"CORBASupport", 2}, {"CORBASupport_HY4", 2}},
     {},
     {},
     "",
     kNoReason},
    {"Version9XWithoutMainProgramLeavesUnset", {{"MainProgramFiles", 2}}, {{"Version9X", "490"}}, {}, "", kNoReason},
    // The action only ever forces; a value the package author chose survives a run with no reason.
    {"ExistingValueKeptWhenNothingQualifies", {{"MainProgramFiles", 1}}, {}, {{"REBOOT", "ReallySuppress"}},
     "ReallySuppress", kNoReason},
};

void PrintTo(const RebootCase& c, std::ostream* out) { *out << c.name; }

class OrvSetRebootInEngine : public EngineTest, public ::testing::WithParamInterface<RebootCase> {};

// The case's premise, as the engine saw it: features at level 1 requested locally, the others
// not, and the properties the case sets present.
void expectPremise(const RebootCase& c, const Outcome& outcome) {
    const engine::ProbeStage& before = outcome.before();
    for (const FeatureDesign& feature : c.features) {
        const engine::ProbedState state = before.feature(feature.id);
        EXPECT_EQ(state.code, 0u) << feature.id;
        if (feature.level == 1) {
            EXPECT_EQ(state.action, kLocal) << feature.id;
        } else {
            EXPECT_NE(state.action, kLocal) << feature.id;
        }
    }
    if (!c.properties.contains("Version9X")) {
        EXPECT_EQ(before.property("Version9X"), "");
    }
}

TEST_P(OrvSetRebootInEngine, SetsRebootOnlyForAReason) {
    const RebootCase& c = GetParam();
    Engine& engine = Engine::shared();
    engine::Scenario scenario = engine::orvcommon::setReboot(engine, c.features, c.properties);
    scenario.commandLine = c.commandLine;
    const Outcome outcome = engine.run(scenario);
    ASSERT_NO_THROW(outcome.after()) << outcome.log();
    expectPremise(c, outcome);
    EXPECT_EQ(outcome.after().property("REBOOT"), c.expectedReboot) << outcome.log();
    EXPECT_EQ(outcome.installLog.linesOf(engine::orvcommon::kLibrary, "OrvSetReboot"),
              std::vector<std::string>{c.expectedLine});
}

INSTANTIATE_TEST_SUITE_P(Cases, OrvSetRebootInEngine, ::testing::ValuesIn(kRebootCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct CopyCase {
    const char* name;
    engine::Stage stage;
    bool resolveSource;
    bool packageReadOnly;
    bool staleReadOnlyCopy;  // an older read-only file already where the copy goes
    bool expectCopy;
};

constexpr engine::Stage kAfterInstall = engine::Stage::AfterInstallFinalize;

const CopyCase kCopyCases[] = {
    {"WritablePackage", kAfterInstall, true, false, false, true},
    // A copy inherits the read-only attribute of its source; the action must clear it.
    {"ReadOnlyPackage", kAfterInstall, true, true, false, true},
    {"ReadOnlyPackageOverStaleReadOnlyCopy", kAfterInstall, true, true, true, true},
    // SourceDir is set while installing even without ResolveSource; it is unset only before.
    {"WithoutResolveSourceAfterInstall", kAfterInstall, false, false, false, true},
    // With SourceDir unset the action must touch nothing: the stale copy keeps its contents and
    // its read-only attribute.
    {"SourceDirUnsetLeavesStaleCopyAlone", engine::Stage::AfterCostFinalize, false, false, true, false},
};

void PrintTo(const CopyCase& c, std::ostream* out) { *out << c.name; }

class CopyInstallDbInEngine : public EngineTest, public ::testing::WithParamInterface<CopyCase> {};

TEST_P(CopyInstallDbInEngine, LeavesAWritableCopyOfThePackage) {
    const CopyCase& c = GetParam();
    Engine& engine = Engine::shared();
    engine::Scenario scenario = engine::orvcommon::copyInstallDb(engine, c.stage, c.resolveSource);
    scenario.packageReadOnly = c.packageReadOnly;
    const std::string target = engine::orvcommon::installedPackagePath(scenario);
    if (c.staleReadOnlyCopy) scenario.files = {{target, "an older package", true}};
    const Outcome outcome = engine.run(scenario);
    ASSERT_NO_THROW(outcome.after()) << outcome.log();

    const auto source = outcome.file(outcome.packagePath());
    ASSERT_TRUE(source.has_value());
    ASSERT_EQ(source->readOnly, c.packageReadOnly) << "the harness did not set up the source as asked";
    EXPECT_EQ(outcome.after().property("SourceDir"), c.expectCopy ? "C:\\source\\" : "");

    const auto copy = outcome.file(target);
    ASSERT_TRUE(copy.has_value()) << target << "\n" << outcome.log();
    const std::vector<std::string> lines = outcome.installLog.linesOf(engine::orvcommon::kLibrary, "CopyInstallDB");
    if (!c.expectCopy) {
        EXPECT_TRUE(copy->contents == "an older package") << "replaced by " << copy->contents.size() << " bytes";
        EXPECT_TRUE(copy->readOnly);
        EXPECT_EQ(lines, std::vector<std::string>{
                             "SourceDir, INSTALLDIR or ProductName not set or too long: no copy of the package made"});
        return;
    }
    EXPECT_EQ(lines, std::vector<std::string>{"copied \"" + outcome.packagePath() + "\" to \"" + target +
                                              "\"; the copy is writable"});
    EXPECT_TRUE(copy->contents == source->contents) << "the copy differs from the package";
    EXPECT_FALSE(copy->readOnly);
}

INSTANTIATE_TEST_SUITE_P(Cases, CopyInstallDbInEngine, ::testing::ValuesIn(kCopyCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
