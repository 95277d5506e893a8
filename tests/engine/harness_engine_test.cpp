// The harness against the real engine: what it seeds must be what Wine loads, and what it reads
// back must be what Wine saved. A seed Wine could not parse would vanish when the server saves the
// hive, so a round trip through a run shows both directions at once.
#include <gtest/gtest.h>

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

}  // namespace

namespace {

// Wine's trace escapes line breaks, quotes and other bytes, and marks a string it cut with "...".
TEST(MessageTrace, ReadsEveryBoxWithItsTextCaptionAndStyle) {
    const std::string trace =
        "0124:Call user32.MessageBoxA(00000000,00ca5d50 \"DataPipe is required.\\n\\nSince \\\"you\\\" \\xe9\","
        "0236f550 \"Component Selection Error\",00040024) ret=3785c3ea8\n"
        "0124:Ret  user32.MessageBoxA() retval=ffffffff ret=3785c3ea8\n"
        "0124:Call user32.MessageBoxA(0000000000000000,0000000000ca5d50 \"long\"...,0000000000ca5d80 \"Error\",00040010) "
        "ret=3785c3ea8\n";
    EXPECT_EQ(engine::messageBoxesIn(trace),
              (std::vector<engine::MessageBoxCall>{
                  {"DataPipe is required.\n\nSince \"you\" \xe9", "Component Selection Error", 0x40024},
                  {"long", "Error", 0x40010}}));
}

}  // namespace
