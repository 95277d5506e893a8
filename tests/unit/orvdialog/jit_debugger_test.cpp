// Whether Orvanta's debugger takes the just-in-time place: taken when free, kept when it holds
// it, and taken from another program only on the user's Yes.
#include <gtest/gtest.h>

#include <new>
#include <optional>
#include <string>
#include <vector>

#include "cases.h"
#include "orvdialog_run.h"

namespace {

constexpr const char* kAeDebug = "Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug";
constexpr std::uint32_t kStyle = 0x42024;  // MB_TOPMOST | MB_TASKMODAL | MB_ICONQUESTION | MB_YESNO

struct JitCase {
    const char* situation;
    void (*seed)(sim::Machine&);
    Properties properties;      // SET_JITDEBUG before, UILevel
    std::vector<int> answers;
    std::optional<std::string> shown;  // the setting the question shows; nullopt: no question
    std::optional<std::string> setJitDebug;  // afterwards; nullopt: removed
};

class CheckJITDebugKey : public ::testing::TestWithParam<JitCase> {};

TEST_P(CheckJITDebugKey, TakesTheFreePlaceAndAsksBeforeReplacingAnother) {
    const JitCase& c = GetParam();
    sim::Machine machine;
    c.seed(machine);
    machine.session.properties = c.properties;
    machine.desktop.answers.assign(c.answers.begin(), c.answers.end());

    EXPECT_EQ(run(machine, "CheckJITDebugKey"), orv::kSuccess);

    std::vector<sim::MessageBoxShown> boxes;
    if (c.shown) boxes.push_back({text(135) + *c.shown + text(136), "Just-In-Time Debugging", kStyle});
    EXPECT_EQ(machine.desktop.messageBoxes, boxes);
    if (c.setJitDebug)
        EXPECT_EQ(machine.session.property("SET_JITDEBUG"), *c.setJitDebug);
    else
        EXPECT_FALSE(machine.session.hasProperty("SET_JITDEBUG"));
    EXPECT_EQ(machine.openKeys(), 0u);
}

void debugger(sim::Machine& m, const std::string& value) { m.hklm.setString(kAeDebug, "Debugger", value); }

const std::string kOther = "\"C:\\Tools\\windbg.exe\" -p %ld -e %ld -g";

INSTANTIATE_TEST_SUITE_P(
    OrvDialog, CheckJITDebugKey,
    ::testing::Values(
        JitCase{"no AeDebug key", [](sim::Machine&) {}, {}, {}, std::nullopt, "1"},
        JitCase{"key without a Debugger value", [](sim::Machine& m) { m.hklm.ensure(kAeDebug); }, {}, {},
                std::nullopt, "1"},
        JitCase{"an empty Debugger value", [](sim::Machine& m) { debugger(m, ""); }, {}, {}, std::nullopt, "1"},
        JitCase{"Orvanta's debugger in another letter case: SET_JITDEBUG kept",
                [](sim::Machine& m) { debugger(m, "\"C:\\Program Files\\Orvanta\\bin\\orvdbg70.exe\" -p %ld"); },
                {{"SET_JITDEBUG", "x"}}, {}, std::nullopt, "x"},
        JitCase{"Orvanta's debugger and no SET_JITDEBUG: none set",
                [](sim::Machine& m) { debugger(m, "C:\\ORVDBG70.EXE"); }, {}, {}, std::nullopt, std::nullopt},
        JitCase{"another debugger, Yes", [](sim::Machine& m) { debugger(m, kOther); }, {}, {orv::kIdYes},
                "\"C:\\Tools\\windbg.exe\" ", "1"},
        JitCase{"another debugger, No: an earlier value removed", [](sim::Machine& m) { debugger(m, kOther); },
                {{"SET_JITDEBUG", "1"}}, {orv::kIdNo}, "\"C:\\Tools\\windbg.exe\" ", std::nullopt},
        JitCase{"another debugger, the box fails", [](sim::Machine& m) { debugger(m, kOther); },
                {{"SET_JITDEBUG", "1"}}, {}, "\"C:\\Tools\\windbg.exe\" ", std::nullopt},
        JitCase{"another debugger in a silent installation: no box, removed",
                [](sim::Machine& m) { debugger(m, kOther); }, {{"SET_JITDEBUG", "1"}, {"UILevel", "2"}},
                {orv::kIdYes}, std::nullopt, std::nullopt},
        JitCase{"a path with a hyphen is cut there",
                [](sim::Machine& m) { debugger(m, "C:\\Just-In-Time\\dbg.exe -p %ld"); }, {}, {orv::kIdYes},
                "C:\\Just", "1"},
        JitCase{"a debugger without options is shown whole",
                [](sim::Machine& m) { debugger(m, "C:\\dbg.exe"); }, {}, {orv::kIdNo}, "C:\\dbg.exe", std::nullopt},
        JitCase{"a Debugger of 10,000 characters", [](sim::Machine& m) { debugger(m, std::string(10000, 'd')); },
                {}, {orv::kIdYes}, std::string(10000, 'd'), "1"},
        JitCase{"a Debugger stored as a number", [](sim::Machine& m) { m.hklm.setDword(kAeDebug, "Debugger", 1); },
                {}, {orv::kIdNo}, std::nullopt, "1"},
        JitCase{"a Debugger that cannot be read",
                [](sim::Machine& m) {
                    debugger(m, kOther);
                    m.fail(sim::Op::RegQueryValue, kAeDebug, orv::kErrorAccessDenied);
                },
                {}, {orv::kIdNo}, std::nullopt, "1"},
        JitCase{"an AeDebug key refused",
                [](sim::Machine& m) {
                    debugger(m, kOther);
                    m.fail(sim::Op::RegOpenKey, kAeDebug, orv::kErrorAccessDenied);
                },
                {}, {orv::kIdNo}, std::nullopt, "1"}),
    NamedBySituation());

// A machine whose message box raises, as a box that runs out of memory would.
struct RaisingBoxMachine : sim::Machine {
    int messageBox(const char*, const char*, std::uint32_t) override { throw std::bad_alloc(); }
};

// A question that fails by raising is no Yes either: another program's debugger keeps its place.
TEST(CheckJITDebugKey, AQuestionThatRaisesLeavesTheOtherDebugger) {
    RaisingBoxMachine machine;
    debugger(machine, kOther);
    machine.session.properties["SET_JITDEBUG"] = "1";
    EXPECT_EQ(run(machine, "CheckJITDebugKey"), orv::kSuccess);
    EXPECT_FALSE(machine.session.hasProperty("SET_JITDEBUG"));
    EXPECT_EQ(logOf(machine, "OrvDialog.CheckJITDebugKey: ").back(), "the question failed: SET_JITDEBUG removed");
    EXPECT_EQ(machine.openKeys(), 0u);
}

// The log says what is registered, the question and its answer, and the decision.
TEST(CheckJITDebugKeyLog, NamesTheSettingTheAnswerAndTheDecision) {
    sim::Machine machine;
    debugger(machine, kOther);
    machine.desktop.answers = {orv::kIdNo};
    run(machine, "CheckJITDebugKey");
    const std::vector<std::string> lines = logOf(machine, "OrvDialog.CheckJITDebugKey: ");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "another debugger is registered: \"" + kOther + "\"; asking");
    EXPECT_EQ(lines[1].substr(0, 29), "box \"Just-In-Time Debugging\" ");
    EXPECT_TRUE(lines[1].ends_with("shown; answer No")) << lines[1];
    EXPECT_EQ(lines[2], "the other debugger stays: SET_JITDEBUG removed");

    sim::Machine free;
    run(free, "CheckJITDebugKey");
    EXPECT_EQ(logOf(free, "OrvDialog.CheckJITDebugKey: "),
              std::vector<std::string>{"no AeDebug key can be opened: SET_JITDEBUG set"});
}

}  // namespace
