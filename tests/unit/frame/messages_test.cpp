// Message boxes from the library's string table, and none at all in a silent installation.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "frame/messages.h"
#include "run_body.h"

namespace {

TEST(Messages, TextsComeFromTheLibrarysTableAndMissingIdsShowEmpty) {
    static const orv::StringEntry table[] = {{102, "Warning"}, {107, "Line one\nline two"}};
    sim::Machine machine;
    machine.desktop.strings = table;
    machine.desktop.answers = {orv::kIdNo};
    int answer = 0;

    runBody(machine, [&answer](orv::ActionContext& context) {
        answer = orv::showMessage(context, 102, 107, orv::kMbTopmost | orv::kMbIconQuestion | orv::kMbYesNo);
        orv::showMessage(context, 999, 102, orv::kMbOk);
        orv::showMessage(context, 102, 998, orv::kMbOk);
        return orv::ActionResult::Success;
    });

    EXPECT_EQ(answer, orv::kIdNo);
    ASSERT_EQ(machine.desktop.messageBoxes.size(), 3u);
    EXPECT_EQ(machine.desktop.messageBoxes[0], (sim::MessageBoxShown{"Line one\nline two", "Warning", 0x40024}));
    EXPECT_EQ(machine.desktop.messageBoxes[1], (sim::MessageBoxShown{"Warning", "", 0}));
    EXPECT_EQ(machine.desktop.messageBoxes[2], (sim::MessageBoxShown{"", "Warning", 0}));
    EXPECT_EQ(machine.session.log.front(),
              "OrvTest.Action: box \"Warning\" \"Line one\nline two\" shown; answer No");
}

struct UiLevelCase {
    const char* situation;
    std::optional<std::string> level;  // nullopt: the read fails
    bool shown;
};

class SilentInstallation : public ::testing::TestWithParam<UiLevelCase> {};

// Only a silent installation (UILevel "2") skips the box; an OK box then passes unseen and a
// question gets no answer. Every other level, and one that cannot be read, shows the box.
TEST_P(SilentInstallation, ShowsNoBoxAtLevelTwoOnly) {
    const UiLevelCase& c = GetParam();
    static const orv::StringEntry table[] = {{1, "Caption"}, {2, "Text"}};
    for (const std::uint32_t style : {orv::kMbOk, orv::kMbTopmost | orv::kMbIconQuestion | orv::kMbYesNo}) {
        SCOPED_TRACE(style);
        sim::Machine machine;
        machine.desktop.strings = table;
        if (c.level)
            machine.session.properties["UILevel"] = *c.level;
        else
            machine.fail(sim::Op::GetProperty, "UILevel");
        machine.desktop.answers = {orv::kIdYes};
        int answer = -5;

        runBody(machine, [&answer, style](orv::ActionContext& context) {
            answer = orv::showMessage(context, 1, 2, style);
            return orv::ActionResult::Success;
        });

        EXPECT_EQ(machine.desktop.messageBoxes.size(), c.shown ? 1u : 0u);
        EXPECT_EQ(answer, c.shown ? orv::kIdYes : orv::kNoAnswer);
        ASSERT_EQ(machine.session.log.size(), 1u);
        EXPECT_NE(machine.session.log[0].find(c.shown ? "shown; answer Yes" : "not shown: silent installation"),
                  std::string::npos)
            << machine.session.log[0];
    }
}

INSTANTIATE_TEST_SUITE_P(Frame, SilentInstallation,
                         ::testing::Values(UiLevelCase{"silent", "2", false}, UiLevelCase{"basic", "3", true},
                                           UiLevelCase{"full", "5", true}, UiLevelCase{"unreadable", std::nullopt, true},
                                           UiLevelCase{"empty", "", true}, UiLevelCase{"letters", "abc", true},
                                           UiLevelCase{"two and more", "2 ", true},
                                           UiLevelCase{"too long to read", std::string(300, '2'), true}));

}  // namespace
