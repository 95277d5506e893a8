// CheckJITDebugKey in the installer engine under Wine. Wine's prefix registers its own debugger
// under AeDebug, so each case starts from no AeDebug key and seeds the "Debugger" it needs. A
// question cannot be answered here (MessageBoxA returns -1 at once without a display), so the
// cases show what No, an unanswered box and a silent installation do: only a Yes, which the
// simulated machine's tests give, would take another program's place.
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
using engine::RegValue;

const std::string kQuestionStart =
    "Setup has found that a system registry setting for Just In Time debugging is set to another application. "
    "Changing this registration key will make Orvanta your registered application for Just In Time Debugging, and "
    "enables COM based distributed debugging using Orvanta's debugger.\nFor Orvanta's COM Distributed debugging to "
    "work correctly this setting must be updated. For additional information see INSTALL.RTF.\nIt is currently set "
    "to :";
const std::string kQuestionEnd = "Do you want to update the configuration?";
const std::string kCaption = "Just-In-Time Debugging";
constexpr std::uint32_t kQuestionStyle = 0x42024;  // MB_TOPMOST | MB_TASKMODAL | MB_ICONQUESTION | MB_YESNO

const std::string kOtherDebugger = "C:\\Tools\\drwtsn32.exe -p %ld -e %ld -g";
// The question names the program without its options, the blank before the first "-" kept.
const std::string kQuestion = kQuestionStart + "C:\\Tools\\drwtsn32.exe " + kQuestionEnd;

struct JitCase {
    const char* name;
    std::optional<RegValue> debugger;  // nullopt: no AeDebug key
    std::string setBefore;             // SET_JITDEBUG
    engine::UiLevel level;
    std::string setAfter;
    bool boxShown;
    std::vector<std::string> lines;
};

void PrintTo(const JitCase& c, std::ostream* out) { *out << c.name; }

class CheckJitDebugKeyInEngine : public EngineTest, public ::testing::WithParamInterface<JitCase> {};

TEST_P(CheckJitDebugKeyInEngine, TakesThePlaceOnlyWhereItMay) {
    const JitCase& c = GetParam();
    const Outcome outcome =
        Engine::shared().run(engine::orvdialog::jitDebugKey(Engine::shared(), c.debugger, c.setBefore, c.level));
    const engine::ProbeStage& before = outcome.before();
    ASSERT_EQ(before.property("SET_JITDEBUG"), c.setBefore);
    ASSERT_EQ(outcome.machineBefore.hasKey(engine::orvdialog::kAeDebugKey), c.debugger.has_value());
    ASSERT_EQ(outcome.machineBefore.value(engine::orvdialog::kAeDebugKey, "Debugger"), c.debugger);

    EXPECT_EQ(outcome.after().property("SET_JITDEBUG"), c.setAfter);
    // The registration itself is the package's business later on; the action leaves it alone.
    EXPECT_EQ(outcome.machineValue(engine::orvdialog::kAeDebugKey, "Debugger"), c.debugger);
    if (c.boxShown) {
        // Wine's trace cuts the text at about 300 characters: the caption and style are whole,
        // the text is the question's beginning; the log line below holds the whole question.
        ASSERT_EQ(outcome.messageBoxes.size(), 1u);
        EXPECT_EQ(outcome.messageBoxes[0].caption, kCaption);
        EXPECT_EQ(outcome.messageBoxes[0].style, kQuestionStyle);
        EXPECT_GE(outcome.messageBoxes[0].text.size(), 200u);
        EXPECT_EQ(kQuestion.compare(0, outcome.messageBoxes[0].text.size(), outcome.messageBoxes[0].text), 0)
            << outcome.messageBoxes[0].text;
    } else {
        EXPECT_TRUE(outcome.messageBoxes.empty());
    }
    EXPECT_EQ(outcome.installLog.linesOf(engine::orvdialog::kLibrary, "CheckJITDebugKey"), c.lines);
}

const std::string kAsking = "another debugger is registered: \"" + kOtherDebugger + "\"; asking";
const std::string kBox = "box \"" + kCaption + "\" \"" + kQuestion + "\"";

const JitCase kJitCases[] = {
    {"NoAeDebugKey", std::nullopt, "", engine::UiLevel::None, "1", false,
     {"no AeDebug key can be opened: SET_JITDEBUG set"}},
    {"OrvantaDebuggerRegistered", RegValue::string("\"C:\\Program Files\\Orvanta\\Bin\\orvdbg70.exe\" -aedebug %ld %ld"),
     "1", engine::UiLevel::Basic, "1", false,
     {"Orvanta's debugger is registered already: SET_JITDEBUG left as it was"}},
    {"DebuggerOfAnotherType", RegValue::number(1), "", engine::UiLevel::Basic, "1", false,
     {"\"Debugger\" cannot be read as a string: SET_JITDEBUG set"}},
    {"AnotherDebuggerUnanswered", RegValue::string(kOtherDebugger), "1", engine::UiLevel::Basic, "", true,
     {kAsking, kBox + " shown; answer none (-1)", "the other debugger stays: SET_JITDEBUG removed"}},
    {"AnotherDebuggerSilent", RegValue::string(kOtherDebugger), "1", engine::UiLevel::None, "", false,
     {kAsking, kBox + " not shown: silent installation; answer none", "the other debugger stays: SET_JITDEBUG removed"}},
};

INSTANTIATE_TEST_SUITE_P(Registrations, CheckJitDebugKeyInEngine, ::testing::ValuesIn(kJitCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
