// The harness against the real engine: what it seeds must be what Wine loads, and what it reads
// back must be what Wine saved. A seed Wine could not parse would vanish when the server saves the
// hive, so a round trip through a run shows both directions at once. And a run in which an action
// crashed, or could not be called, fails although Wine reports success.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine.h"
#include "engine_test.h"

namespace {

using engine::Engine;
using engine::RegValue;

using HarnessInEngine = EngineTest;

TEST_F(HarnessInEngine, SeededRegistryValuesSurviveARun) {
    Engine& engine = Engine::shared();
    engine::Scenario scenario;
    scenario.package.probe.properties = {"ProductName"};
    const std::string key = "Software\\Orvanta Engine\\Seeds";
    const struct {
        const char* name;
        RegValue value;
    } seeds[] = {
        {"Plain", RegValue::string("C:\\Program Files\\Orvanta\\")},
        {"Quoted", RegValue::string("say \"yes\"; tab\there")},
        {"Accented", RegValue::string("Caf\xc3\xa9 \xe2\x82\xac")},
        {"", RegValue::string("the default value")},
        {"Count", RegValue::number(0xDEADBEEF)},
    };
    for (const auto& seed : seeds) scenario.registry.push_back({key, seed.name, seed.value});
    const engine::Outcome outcome = engine.run(scenario);
    ASSERT_NO_THROW(outcome.after()) << outcome.log();
    ASSERT_EQ(outcome.after().property("ProductName"), scenario.package.productName);

    for (const auto& seed : seeds) {
        const auto read = outcome.machineValue(key, seed.name);
        ASSERT_TRUE(read.has_value()) << "'" << seed.name << "' did not survive";
        EXPECT_EQ(*read, seed.value) << "'" << seed.name << "' came back as " << read->describe();
    }
    // The hive was read after the run, not just kept from before it: the engine registered the
    // product there.
    EXPECT_TRUE(outcome.machine.hasKey("Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData"));
    EXPECT_FALSE(outcome.machineBefore.hasKey("Software\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData"));
}

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
