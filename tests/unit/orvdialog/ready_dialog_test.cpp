// The ready dialog's notes: the counted notes switched off, and the sample-data note beside an
// existing database server.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cases.h"
#include "orvdialog_run.h"

namespace {

struct ReadyCase {
    const char* situation;
    std::optional<std::string> count;  // InstallMsgCount; nullopt: unset
    std::uint32_t result;
    std::set<int> switchesLeft;  // of Enable_Install_Msg_1 to _100, all "1" before
};

std::set<int> allSwitches(int from, int to) {
    std::set<int> numbers;
    for (int n = from; n <= to; ++n) numbers.insert(n);
    return numbers;
}

class SetupReadyDialogCount : public ::testing::TestWithParam<ReadyCase> {};

TEST_P(SetupReadyDialogCount, HidesTheCountedNotes) {
    const ReadyCase& c = GetParam();
    sim::Machine machine;
    for (int n = 1; n <= 100; ++n) machine.session.properties["Enable_Install_Msg_" + std::to_string(n)] = "1";
    if (c.count) machine.session.properties["InstallMsgCount"] = *c.count;

    EXPECT_EQ(run(machine, "SetupReadyDialog"), c.result);

    std::set<int> left;
    for (int n = 1; n <= 100; ++n)
        if (machine.session.hasProperty("Enable_Install_Msg_" + std::to_string(n))) left.insert(n);
    EXPECT_EQ(left, c.switchesLeft);
}

INSTANTIATE_TEST_SUITE_P(
    OrvDialog, SetupReadyDialogCount,
    ::testing::Values(ReadyCase{"missing", std::nullopt, orv::kSuccess, allSwitches(1, 100)},
                      ReadyCase{"empty", "", orv::kSuccess, allSwitches(1, 100)},
                      ReadyCase{"3", "3", orv::kSuccess, allSwitches(4, 100)},
                      ReadyCase{"99", "99", orv::kSuccess, {100}},
                      ReadyCase{"100 does not fit", "100", orv::kErrorInstallFailure, allSwitches(1, 100)},
                      ReadyCase{"0", "0", orv::kSuccess, allSwitches(1, 100)},
                      ReadyCase{"-1", "-1", orv::kSuccess, allSwitches(1, 100)},
                      ReadyCase{"leading number", "2x", orv::kSuccess, allSwitches(3, 100)},
                      ReadyCase{"not a number", "x2", orv::kSuccess, allSwitches(1, 100)}),
    NamedBySituation());

TEST(SetupReadyDialog, SampleDataNoteOnlyForLocalSamplesBesideGranary) {
    struct Case {
        const char* situation;
        sim::States samples;
        bool granary;
        bool noteShown;
    };
    const Case cases[] = {
        {"both hold", {kAbsent, kLocal}, true, true},
        {"samples installed before, left alone", {kLocal, kNone}, true, false},
        {"no Granary server", {kAbsent, kLocal}, false, false},
        {"samples from source", {kAbsent, orv::kStateSource}, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.situation);
        sim::Machine machine;
        machine.session.features["SampleDataFiles"] = c.samples;
        machine.session.properties = {{"InstallMsgCount", "0"}, {"InstallMsg_2", "kept"}};
        if (c.granary) machine.hklm.ensure("Software\\Granary Corp");

        EXPECT_EQ(run(machine, "SetupReadyDialog"), orv::kSuccess);

        EXPECT_EQ(machine.session.hasProperty("Enable_Install_Msg_1"), c.noteShown);
        if (c.noteShown) {
            EXPECT_EQ(machine.session.property("Enable_Install_Msg_1"), "1");
            EXPECT_EQ(machine.session.property("InstallMsg_1"), text(141));
        }
        EXPECT_EQ(machine.session.property("InstallMsg_2"), "kept");
        EXPECT_EQ(machine.openKeys(), 0u);
        EXPECT_TRUE(machine.desktop.messageBoxes.empty());
    }
}

TEST(SetupReadyDialog, AFailedCountReadChangesNothing) {
    sim::Machine machine;
    machine.session.features["SampleDataFiles"] = {kAbsent, kLocal};
    machine.hklm.ensure("Software\\Granary Corp");
    machine.session.properties["InstallMsgCount"] = "2";
    machine.fail(sim::Op::GetProperty, "InstallMsgCount");
    const Properties before = machine.session.properties;
    EXPECT_EQ(run(machine, "SetupReadyDialog"), orv::kErrorInstallFailure);
    EXPECT_EQ(machine.session.properties, before);
    EXPECT_EQ(logOf(machine, "OrvDialog.SetupReadyDialog: "),
              (std::vector<std::string>{"InstallMsgCount does not fit in two characters (result 1627): the package is "
                                        "broken; failing the installation"}));
}

// The log says how many notes were switched off and why the sample-data note shows.
TEST(SetupReadyDialog, LogsTheNotesAndTheReason) {
    sim::Machine machine;
    machine.session.features["SampleDataFiles"] = {kAbsent, kLocal};
    machine.hklm.ensure("Software\\Granary Corp");
    machine.session.properties["InstallMsgCount"] = "2";
    run(machine, "SetupReadyDialog");
    EXPECT_EQ(logOf(machine, "OrvDialog.SetupReadyDialog: "),
              (std::vector<std::string>{"InstallMsgCount \"2\": 2 notes switched off",
                                        "SampleDataFiles requested local and a Granary server is present: note 1 "
                                        "shows the sample-data note"}));
}

}  // namespace
