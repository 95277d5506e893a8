// The harness against the real engine: what it seeds must be what Wine loads, and what it reads
// back must be what Wine saved. A seed Wine could not parse would vanish when the server saves the
// hive, so a round trip through a run shows both directions at once. Actions run where their
// Execute field puts them, runs after the first see what the first installed, and a run in which
// an action crashed, or could not be called, fails although Wine reports success.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <vector>
#include <fstream>
#include <string>

#include "engine.h"
#include "engine_test.h"

namespace {

using engine::Engine;
using engine::RegValue;

using HarnessInEngine = EngineTest;

// Every value type, a REG_SZ without its terminating NUL among them, comes back unchanged after
// the engine loaded and saved the hive; an action reading them with the ANSI call gets the
// strings in code page 1252, and the unterminated one without a NUL.
TEST_F(HarnessInEngine, SeededRegistryValuesSurviveARun) {
    Engine& engine = Engine::shared();
    engine::Scenario scenario;
    const std::string key = "Software\\Orvanta Engine\\Seeds";
    const struct {
        const char* name;
        RegValue value;
        unsigned type;
        std::string readByAnAction;  // what RegQueryValueExA gives
    } seeds[] = {
        {"Plain", RegValue::string("C:\\Program Files\\Orvanta\\"), 1, std::string("C:\\Program Files\\Orvanta\\\0", 26)},
        {"Quoted", RegValue::string("say \"yes\"; tab\there"), 1, std::string("say \"yes\"; tab\there\0", 20)},
        {"Accented", RegValue::string("Caf\xc3\xa9 \xe2\x82\xac"), 1, std::string("Caf\xe9 \x80\0", 7)},
        {"", RegValue::string("the default value"), 1, std::string("the default value\0", 18)},
        {"Unterminated", RegValue::unterminatedString("abc"), 1, "abc"},
        {"Expandable", RegValue::expandString("%SystemRoot%\\Orvanta"), 2, std::string("%SystemRoot%\\Orvanta\0", 21)},
        {"Several", RegValue::multiString({"one", "two", "3"}), 7, std::string("one\0two\0" "3\0\0", 11)},
        {"Count", RegValue::number(0xDEADBEEF), 4, "\xef\xbe\xad\xde"},
        {"Bytes", RegValue::binary(std::string("\x00\x01\xfe\xff\x00", 5)), 3, std::string("\x00\x01\xfe\xff\x00", 5)},
    };
    for (const auto& seed : seeds) {
        scenario.registry.push_back({key, seed.name, seed.value});
        scenario.package.probe.values.push_back({key, seed.name});
    }
    const engine::Outcome outcome = engine.run(scenario);
    ASSERT_NO_THROW(outcome.after()) << outcome.log();

    for (const auto& seed : seeds) {
        const auto read = outcome.machineValue(key, seed.name);
        ASSERT_TRUE(read.has_value()) << "'" << seed.name << "' did not survive";
        EXPECT_EQ(*read, seed.value) << "'" << seed.name << "' came back as " << read->describe();
        EXPECT_EQ(outcome.before().value(key, seed.name), (engine::ProbedValue{0, seed.type, seed.readByAnAction}))
            << "'" << seed.name << "'";
    }
    // The hive was read after the run, not just kept from before it: the engine registered the
    // product there.
    EXPECT_TRUE(outcome.machine.hasKey("Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData"));
    EXPECT_FALSE(outcome.machineBefore.hasKey("Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData"));
}

// A key whose DACL denies writing, made by the probe's own action just before the first look: an
// action may read it but not open it to set values, in every run of the package.
TEST_F(HarnessInEngine, WriteProtectedKeyRefusesWritingButNotReading) {
    Engine& engine = Engine::shared();
    engine::Scenario scenario;
    const std::string locked = "Software\\Orvanta Engine\\Locked";
    scenario.registry = {{locked, "Kept", RegValue::string("seeded")}};
    scenario.package.writeProtectedKeys = {locked, "Software\\Orvanta Engine\\Created Locked"};
    scenario.package.probe.keys = {locked, "Software\\Orvanta Engine\\Created Locked", "Software\\Orvanta Engine\\Seeds"};
    scenario.package.probe.values = {{locked, "Kept"}};
    scenario.laterRuns = {engine::Run{engine::Operation::Repair}};
    const engine::Outcome outcome = engine.run(scenario);

    constexpr unsigned kAccessDenied = 5;
    constexpr unsigned kNotFound = 2;
    for (const engine::RunOutcome* run : {static_cast<const engine::RunOutcome*>(&outcome), &outcome.laterRuns.at(0)}) {
        const engine::ProbeStage& before = run->before();
        EXPECT_EQ(before.key(locked), (engine::ProbedKey{0, kAccessDenied})) << run->log();
        EXPECT_EQ(before.key("Software\\Orvanta Engine\\Created Locked"), (engine::ProbedKey{0, kAccessDenied}));
        EXPECT_EQ(before.key("Software\\Orvanta Engine\\Seeds"), (engine::ProbedKey{kNotFound, kNotFound}));
        EXPECT_EQ(before.value(locked, "Kept"), (engine::ProbedValue{0, 1, std::string("seeded\0", 7)}));
    }
    EXPECT_EQ(outcome.last().machineValue(locked, "Kept"), RegValue::string("seeded"));
}

// Files with a version resource, seeded and installed by the package: an action's
// GetFileVersionInfo reads the version back, before and after the installation.
TEST_F(HarnessInEngine, VersionedFilesCarryTheirVersion) {
    Engine& engine = Engine::shared();
    engine::Scenario scenario;
    const std::string seeded = "C:\\Program Files\\Orvanta Shared\\Seeded.dll";
    const std::string installed = "C:\\Program Files\\Orv Engine Test\\Installed.dll";
    const std::string plain = "C:\\Program Files\\Orv Engine Test\\plain.txt";
    scenario.files = {{seeded, "", false, engine::FileVersion{7, 1, 2345, 6}}};
    scenario.package.components = {{"VersionedFiles", "INSTALLDIR", {{"Installed.dll", "", engine::FileVersion{2, 81, 0, 65535}},
                                                                     {"plain.txt", "no version here"}}}};
    scenario.package.features = {{"Program", 1, "", {"VersionedFiles"}}};
    scenario.package.stage = engine::Stage::AfterInstallFinalize;
    scenario.package.probe.fileVersions = {seeded, installed, plain};
    const engine::Outcome outcome = engine.run(scenario);

    EXPECT_EQ(outcome.before().version(seeded), (engine::ProbedVersion{0, "7.1.2345.6"})) << outcome.log();
    EXPECT_EQ(outcome.after().version(installed), (engine::ProbedVersion{0, "2.81.0.65535"}));
    // ERROR_RESOURCE_DATA_NOT_FOUND: Wine's answer for a file that is no image at all.
    constexpr unsigned kNoResourceSection = 1812;
    EXPECT_EQ(outcome.after().version(plain).code, kNoResourceSection);
    EXPECT_EQ(outcome.file(plain)->contents, "no version here");
}

using engine::Execute;

// Whether the product is registered for the Programs list: the key the engine writes last and
// removes on an uninstall. (After a failed script Wine leaves an empty registration of the
// harness's component behind, so the installer's UserData key is no sign.)
bool productRegistered(const engine::RunOutcome& run) {
    return run.machine.hasKey("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
                              run.before().property("ProductCode"));
}

// One export, ReportScript, scheduled four times under four names with each Execute field, in
// the script after the files: the immediate one runs while the script is written; the deferred
// one when it runs, with its CustomActionData; the commit one after a script that ran to its end,
// the rollback one only after a script that failed, each with its own CustomActionData.
struct ScriptCase {
    const char* name;
    bool scriptFails;  // a deferred action after the others returns 1603
    std::vector<engine::ScriptRecord> expected;
};

void PrintTo(const ScriptCase& c, std::ostream* out) { *out << c.name; }

class ExecuteFieldInEngine : public EngineTest, public ::testing::WithParamInterface<ScriptCase> {};

TEST_P(ExecuteFieldInEngine, RunsEachActionWhereItsExecuteFieldPutsIt) {
    const ScriptCase& c = GetParam();
    Engine& engine = Engine::shared();
    engine::Scenario scenario;
    const auto report = [&](const char* name, Execute execute, std::optional<std::string> data) {
        return engine::ActionDesign{engine.probeDll(), "ReportScript", execute, name, std::move(data)};
    };
    scenario.package.stage = engine::Stage::AfterInstallFiles;
    scenario.package.actions = {report("UndoReport", Execute::Rollback, "rollback data"),
                                report("ScriptReport", Execute::Deferred, "deferred data for [ProductName]"),
                                report("CommitReport", Execute::Commit, "commit data"),
                                report("ImmediateReport", Execute::Immediate, std::nullopt)};
    if (c.scriptFails) {
        scenario.package.actions.push_back({engine.probeDll(), "FailInstallation", Execute::Deferred});
        scenario.expectedResult = 1603;
    }
    scenario.package.probe.properties = {"ProductName", "ProductCode"};
    const engine::Outcome outcome = engine.run(scenario);
    ASSERT_EQ(outcome.before().property("ProductName"), "Orv Engine Test");

    EXPECT_EQ(outcome.probe.scripts(), c.expected) << outcome.log();
    // A script that failed leaves the product uninstalled.
    EXPECT_EQ(productRegistered(outcome), !c.scriptFails);
    EXPECT_EQ(outcome.exitCode, c.scriptFails ? 1603 & 0xFF : 0);
}

const ScriptCase kScriptCases[] = {
    {"ScriptRunsToItsEnd", false,
     {{"immediate", ""}, {"deferred", "deferred data for Orv Engine Test"}, {"commit", "commit data"}}},
    {"ScriptFails", true,
     {{"immediate", ""}, {"deferred", "deferred data for Orv Engine Test"}, {"rollback", "rollback data"}}},
};

INSTANTIATE_TEST_SUITE_P(Cases, ExecuteFieldInEngine, ::testing::ValuesIn(kScriptCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A package with features of its own, one nested in another, each with a component and a file,
// installed and then run again. The second run sees what the first installed (every feature's
// installed state is local) and requests what its command line asks for; an action conditioned
// on the removal of everything runs only in that run.
struct MaintenanceCase {
    const char* name;
    engine::Run run;
    const char* remove;    // REMOVE as the second run's actions see it
    const char* reinstall; // REINSTALL as they see it
    int programAction, samplesAction, helpAction;  // the features' action states in the second run
    bool programFile, samplesFile, helpFile;        // the files there after it
    bool conditionedActionRuns;
};

void PrintTo(const MaintenanceCase& c, std::ostream* out) { *out << c.name; }

class MaintenanceInEngine : public EngineTest, public ::testing::WithParamInterface<MaintenanceCase> {};

constexpr int kLocal = 3;
constexpr int kAbsent = 2;
const char* const kProgramFile = "C:\\Program Files\\Orv Engine Test\\program.txt";
const char* const kSamplesFile = "C:\\Program Files\\SAMPLESDIR\\sample.txt";
const char* const kHelpFile = "C:\\Program Files\\Orv Engine Test\\help.txt";

TEST_P(MaintenanceInEngine, SecondRunSeesTheInstalledFeatures) {
    const MaintenanceCase& c = GetParam();
    Engine& engine = Engine::shared();
    engine::Scenario scenario;
    engine::PackageDesign& package = scenario.package;
    package.components = {{"ProgramFiles", "INSTALLDIR", {{"program.txt", "program"}}},
                           {"HelpFiles", "INSTALLDIR", {{"help.txt", "help"}}}};
    package.components.push_back({"SampleFiles", "SAMPLESDIR", {{"sample.txt", "sample"}}});
    package.directories = {"SAMPLESDIR"};
    package.features = {{"Program", 1, "", {"ProgramFiles"}}, {"Samples", 1, "Program", {"SampleFiles"}},
                        {"Help", 1, "", {"HelpFiles"}}};
    package.actions = {{engine.probeDll(), "ReportScript", Execute::Immediate, "OnRemovalOfEverything", std::nullopt,
                        "REMOVE=\"ALL\""}};
    package.probe.features = {"Program", "Samples", "Help"};
    package.probe.properties = {"Installed", "REMOVE", "REINSTALL", "ProductCode"};
    scenario.laterRuns = {c.run};
    const engine::Outcome outcome = engine.run(scenario);
    ASSERT_EQ(outcome.laterRuns.size(), 1u);
    const engine::RunOutcome& second = outcome.laterRuns[0];

    for (const char* feature : {"Program", "Samples", "Help"}) {
        ASSERT_EQ(outcome.before().feature(feature), (engine::ProbedState{0, kAbsent, kLocal})) << feature;
        EXPECT_EQ(second.before().feature(feature).installed, kLocal) << feature << "\n" << second.log();
    }
    EXPECT_EQ(second.before().property("Installed"), "1");
    EXPECT_EQ(second.before().property("REMOVE"), c.remove);
    EXPECT_EQ(second.before().property("REINSTALL"), c.reinstall);
    EXPECT_EQ(second.before().feature("Program").action, c.programAction);
    EXPECT_EQ(second.before().feature("Samples").action, c.samplesAction);
    EXPECT_EQ(second.before().feature("Help").action, c.helpAction);
    EXPECT_EQ(outcome.file(kProgramFile).has_value(), c.programFile);
    EXPECT_EQ(outcome.file(kSamplesFile).has_value(), c.samplesFile);
    EXPECT_EQ(outcome.file(kHelpFile).has_value(), c.helpFile);
    EXPECT_TRUE(productRegistered(outcome));
    EXPECT_EQ(productRegistered(second), c.run.operation != engine::Operation::Uninstall);
    EXPECT_TRUE(outcome.probe.scripts().empty());
    const std::vector<engine::ScriptRecord> conditioned{{"immediate", ""}};
    EXPECT_EQ(second.probe.scripts(), c.conditionedActionRuns ? conditioned : std::vector<engine::ScriptRecord>{});
}

// The repair puts back a file deleted between the runs.
const MaintenanceCase kMaintenanceCases[] = {
    {"Repair", {engine::Operation::Repair, {}, engine::UiLevel::None, 0, {}, {}, {kProgramFile}}, "", "ALL", kLocal,
     kLocal, kLocal, true, true, true, false},
    {"RemovingTheChildFeature", {engine::Operation::Install, {{"REMOVE", "Samples"}}}, "Samples", "", kLocal, kAbsent,
     kLocal, true, false, true, false},
    {"Uninstall", {engine::Operation::Uninstall}, "ALL", "", kAbsent, kAbsent, kAbsent, false, false, false, true},
};

INSTANTIATE_TEST_SUITE_P(Runs, MaintenanceInEngine, ::testing::ValuesIn(kMaintenanceCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct BrokenActionCase {
    const char* name;
    bool loadable;            // false: a file that is no DLL at all stands in the Binary table
    const char* entry;        // in the probe DLL when loadable
    std::string wineReports;  // what Wine's msi channel says about it
};

void PrintTo(const BrokenActionCase& c, std::ostream* out) { *out << c.name; }

class BrokenActionInEngine : public EngineTest, public ::testing::WithParamInterface<BrokenActionCase> {};

// Wine goes on past the broken action and ends with 0, so without the harness's verdict a case
// that expects nothing to change would pass. The verdict fails the run on Wine's own report.
TEST_P(BrokenActionInEngine, FailsTheRunThoughTheEngineReportsSuccess) {
    const BrokenActionCase& c = GetParam();
    Engine& engine = Engine::shared();
    // A folder of this process's own: another test process may be writing the same name.
    const auto folder = std::filesystem::path(::testing::TempDir()) / ("engine-" + std::to_string(getpid()));
    std::filesystem::path dll = engine.probeDll();
    if (!c.loadable) {
        std::filesystem::create_directories(folder);
        dll = folder / "NotADll.dll";
        std::ofstream(dll) << "not a DLL\n";
    }
    engine::Scenario scenario;
    scenario.package.actions = {{dll, c.entry}};
    scenario.package.probe.properties = {"ProductName"};
    const engine::Outcome outcome = engine.runUnchecked(scenario);
    std::filesystem::remove_all(folder);
    ASSERT_NO_THROW(outcome.after()) << outcome.log();
    ASSERT_EQ(outcome.exitCode, 0);

    ASSERT_EQ(outcome.engineErrors.size(), 1u) << outcome.log();
    EXPECT_NE(outcome.engineErrors[0].find(c.wineReports), std::string::npos) << outcome.engineErrors[0];
    try {
        outcome.throwIfFailed();
        ADD_FAILURE() << "the run was taken as sound";
    } catch (const engine::RunFailure& failure) {
        EXPECT_NE(std::string(failure.what()).find(c.wineReports), std::string::npos) << failure.what();
    }
}

const BrokenActionCase kBrokenActions[] = {
    {"ActionWritesThroughNull", true, "WriteThroughNull", "\"WriteThroughNull\") caused a page fault"},
    // Reported only as a warning; the harness counts it as an error.
    {"ExportMissing", true, "NoSuchExport", "GetProcAddress(\"NoSuchExport\") failed"},
    {"DllCannotBeLoaded", false, "Anything", "failed to load dll"},
};

INSTANTIATE_TEST_SUITE_P(Cases, BrokenActionInEngine, ::testing::ValuesIn(kBrokenActions),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
