// The destination dialog: slots packed from the locally requested features, an empty folder
// prepared from the Windows volume, and the check that keeps the user on a blank folder.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cases.h"
#include "orvdialog_run.h"

namespace {

struct DestinationCase {
    const char* situation;
    std::map<std::string, sim::States> features;
    Properties slots;  // every Enable_Dest_, DestDlg_Lbl_ and Dest_Prop_ property afterwards
    const char* count;
};

const Properties kHidden = {{"Dest_Prop_1", "DummyProp"}, {"Dest_Prop_2", "DummyProp"}, {"Dest_Prop_3", "DummyProp"},
                            {"Dest_Prop_4", "DummyProp"}, {"Dest_Prop_5", "DummyProp"}};

Properties hiddenExcept(Properties shown) {
    Properties all = kHidden;
    for (auto& [name, value] : shown) all[name] = value;
    return all;
}

class SetupDestinationDialog : public ::testing::TestWithParam<DestinationCase> {};

// Shown rows are packed from slot 1 in the fixed order; every slot property is rewritten.
TEST_P(SetupDestinationDialog, PacksTheLocallyRequestedRows) {
    const DestinationCase& c = GetParam();
    sim::Machine machine;
    machine.session.features = c.features;
    // Left from an earlier run with another selection.
    machine.session.properties = {{"Enable_Dest_4", "1"}, {"DestDlg_Lbl_4", "Table Workbench"}, {"Dest_Prop_4", "OSTWB"},
                                  {"Enable_Dest_5", "1"}, {"DestDirCount", "5"}};

    EXPECT_EQ(run(machine, "SetupDestinationDialog"), orv::kSuccess);
    EXPECT_EQ(logOf(machine, "OrvDialog.SetupDestinationDialog: ").back(),
              std::string("DestDirCount ") + c.count + "; the other slots hidden");

    EXPECT_EQ(withPrefixes(machine, {"Enable_Dest_", "DestDlg_Lbl_", "Dest_Prop_"}), c.slots);
    EXPECT_EQ(machine.session.property("DestDirCount"), c.count);
    EXPECT_TRUE(machine.session.requests.empty());
}

INSTANTIATE_TEST_SUITE_P(
    OrvDialog, SetupDestinationDialog,
    ::testing::Values(
        DestinationCase{"nothing local",
                        {{"MainProgramFiles", {kAbsent, kAbsent}}, {"SharedFiles", {kAbsent, kNone}}},
                        kHidden, "0"},
        DestinationCase{"shared files and CORBA",
                        {{"MainProgramFiles", {kAbsent, kAbsent}}, {"SharedFiles", {kAbsent, kLocal}},
                         {"KRN", {kAbsent, kNone}}, {"TableWorkbench", {kAbsent, kNone}}, {"CORBASupport", {kAbsent, kLocal}}},
                        hiddenExcept({{"Enable_Dest_1", "1"}, {"DestDlg_Lbl_1", "Shared Files"}, {"Dest_Prop_1", "SHARED_FILES_DIR"},
                                      {"Enable_Dest_2", "1"}, {"DestDlg_Lbl_2", "CORBA Support"}, {"Dest_Prop_2", "HALORB_DIR"}}),
                        "2"},
        DestinationCase{"all five",
                        {{"MainProgramFiles", {kAbsent, kLocal}}, {"SharedFiles", {kAbsent, kLocal}}, {"KRN", {kAbsent, kLocal}},
                         {"TableWorkbench", {kAbsent, kLocal}}, {"CORBASupport", {kAbsent, kLocal}}},
                        {{"Enable_Dest_1", "1"}, {"DestDlg_Lbl_1", "Program Files"}, {"Dest_Prop_1", "INSTALLDIR"},
                         {"Enable_Dest_2", "1"}, {"DestDlg_Lbl_2", "Shared Files"}, {"Dest_Prop_2", "SHARED_FILES_DIR"},
                         {"Enable_Dest_3", "1"}, {"DestDlg_Lbl_3", "KRN and NetGate"}, {"Dest_Prop_3", "OSKRN"},
                         {"Enable_Dest_4", "1"}, {"DestDlg_Lbl_4", "Table Workbench"}, {"Dest_Prop_4", "OSTWB"},
                         {"Enable_Dest_5", "1"}, {"DestDlg_Lbl_5", "CORBA Support"}, {"Dest_Prop_5", "HALORB_DIR"}},
                        "5"},
        DestinationCase{"installed before and left alone, or from source",
                        {{"MainProgramFiles", {kLocal, kNone}}, {"KRN", {kAbsent, orv::kStateSource}},
                         {"TableWorkbench", {kAbsent, kLocal}}},
                        hiddenExcept({{"Enable_Dest_1", "1"}, {"DestDlg_Lbl_1", "Table Workbench"}, {"Dest_Prop_1", "OSTWB"}}),
                        "1"},
        DestinationCase{"features the package lacks", {}, kHidden, "0"}),
    NamedBySituation());

// Slots 1 to 3 shown: program files, shared files, database engine; each row of a table gets a
// machine of its own.
sim::Machine threeShownSlots() {
    sim::Machine machine;
    machine.session.properties = {
        {"Enable_Dest_1", "1"}, {"DestDlg_Lbl_1", "Program Files"},   {"Dest_Prop_1", "INSTALLDIR"},
        {"Enable_Dest_2", "1"}, {"DestDlg_Lbl_2", "Shared Files"},    {"Dest_Prop_2", "SHARED_FILES_DIR"},
        {"Enable_Dest_3", "1"}, {"DestDlg_Lbl_3", "KRN and NetGate"}, {"Dest_Prop_3", "OSKRN"},
        {"Dest_Prop_4", "DummyProp"}, {"Dest_Prop_5", "DummyProp"},
        {"INSTALLDIR", "C:\\Prog\\"}, {"SHARED_FILES_DIR", "C:\\Shared\\"}, {"OSKRN", "C:\\KRN\\"},
        {"WindowsVolume", "C:\\"}, {"BadPath", "1"}};
    machine.session.directoryTable = {"INSTALLDIR", "SHARED_FILES_DIR", "OSKRN", "OSTWB", "HALORB_DIR"};
    return machine;
}

class ValidatePath : public ::testing::Test {
protected:
    sim::Machine machine = threeShownSlots();
};

TEST_F(ValidatePath, PreparingAnEmptySlotGivesItTheWindowsVolume) {
    machine.session.properties.erase("SHARED_FILES_DIR");
    machine.session.properties["ValidatePath"] = "2";

    EXPECT_EQ(run(machine, "ValidatePath"), orv::kSuccess);

    EXPECT_EQ(machine.session.property("SHARED_FILES_DIR"), "C:\\");
    EXPECT_EQ(machine.session.targetPaths, (std::map<std::string, std::string>{{"SHARED_FILES_DIR", "C:\\"}}));
    EXPECT_FALSE(machine.session.hasProperty("BadPath"));
    EXPECT_TRUE(machine.desktop.messageBoxes.empty());
    EXPECT_EQ(logOf(machine, "OrvDialog.ValidatePath: "),
              (std::vector<std::string>{"slot \"2\": SHARED_FILES_DIR was empty; set to WindowsVolume \"C:\\\""}));
}

// Anything but the exact text "0" names a slot; one the dialog lacks names no folder, and
// nothing but BadPath changes.
TEST_F(ValidatePath, PreparingAFilledOrUnknownSlotOnlyClearsBadPath) {
    for (const std::string& request : std::vector<std::string>{"2", "00", " 0", "7", "abc", "-1", std::string(259, '9')}) {
        SCOPED_TRACE("ValidatePath = \"" + request.substr(0, 10) + "\"");
        sim::Machine machine = threeShownSlots();
        machine.session.properties["ValidatePath"] = request;
        Properties before = machine.session.properties;
        before.erase("BadPath");

        EXPECT_EQ(run(machine, "ValidatePath"), orv::kSuccess);

        EXPECT_EQ(machine.session.properties, before);
        EXPECT_TRUE(machine.session.targetPaths.empty());
        EXPECT_TRUE(machine.desktop.messageBoxes.empty());
    }
}

// A request too long to read is neither a check nor a slot: nothing changes.
TEST_F(ValidatePath, AnUnreadableRequestChangesNothing) {
    machine.session.properties["ValidatePath"] = std::string(260, '0');
    const Properties before = machine.session.properties;
    EXPECT_EQ(run(machine, "ValidatePath"), orv::kSuccess);
    EXPECT_EQ(machine.session.properties, before);
}

// The first blank folder is reported, once, and the slots after it are not looked at.
TEST_F(ValidatePath, CheckReportsTheFirstBlankFolder) {
    machine.session.properties.erase("SHARED_FILES_DIR");
    machine.session.properties.erase("OSKRN");
    machine.session.properties.erase("BadPath");
    machine.session.properties["ValidatePath"] = "0";
    machine.desktop.answers = {orv::kIdOk};

    EXPECT_EQ(run(machine, "ValidatePath"), orv::kSuccess);

    EXPECT_EQ(machine.desktop.messageBoxes,
              (std::vector<sim::MessageBoxShown>{{"Shared Files path cannot be blank.", "Error", 0x40010}}));
    EXPECT_EQ(machine.session.property("BadPath"), "1");
    EXPECT_EQ(logOf(machine, "OrvDialog.ValidatePath: "),
              (std::vector<std::string>{"slot 2 (Shared Files) has a blank folder: BadPath set",
                                        "box \"Error\" \"Shared Files path cannot be blank.\" shown; answer OK"}));
}

// A silent installation shows no box, yet the blank folder still keeps BadPath set.
TEST_F(ValidatePath, CheckInASilentInstallationSetsBadPathWithoutABox) {
    machine.session.properties.erase("SHARED_FILES_DIR");
    machine.session.properties["ValidatePath"] = "0";
    machine.session.properties["UILevel"] = "2";

    EXPECT_EQ(run(machine, "ValidatePath"), orv::kSuccess);

    EXPECT_TRUE(machine.desktop.messageBoxes.empty());
    EXPECT_EQ(machine.session.property("BadPath"), "1");
    EXPECT_TRUE(logged(machine, "not shown: silent installation"));
}

struct CheckCase {
    const char* situation;
    Properties changes;  // on top of the three shown, filled slots; "" removes
};

// Every shown slot filled, or a hidden slot reached first: the check passes.
TEST_F(ValidatePath, CheckPassesWhenNoShownFolderIsBlank) {
    const CheckCase cases[] = {
        {"three shown, all filled", {}},
        {"no slot shown", {{"Enable_Dest_1", ""}, {"Enable_Dest_2", ""}, {"Enable_Dest_3", ""}}},
        {"five shown, all filled",
         {{"Enable_Dest_4", "1"}, {"Dest_Prop_4", "OSTWB"}, {"OSTWB", "C:\\TWB\\"},
          {"Enable_Dest_5", "1"}, {"Dest_Prop_5", "HALORB_DIR"}, {"HALORB_DIR", "C:\\Halyard\\"}}},
        {"a hidden slot before a blank one", {{"Enable_Dest_2", ""}, {"OSKRN", ""}}},
        {"a folder too long to read counts as filled", {{"OSKRN", std::string(300, 'k')}}},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.situation);
        sim::Machine machine = threeShownSlots();
        for (const auto& [name, value] : c.changes)
            if (value.empty())
                machine.session.properties.erase(name);
            else
                machine.session.properties[name] = value;
        machine.session.properties["ValidatePath"] = "0";

        EXPECT_EQ(run(machine, "ValidatePath"), orv::kSuccess);

        EXPECT_FALSE(machine.session.hasProperty("BadPath"));
        EXPECT_TRUE(machine.desktop.messageBoxes.empty());
    }
}

}  // namespace
