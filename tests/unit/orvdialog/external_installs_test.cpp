// The external installs offered from the MDAC test, and the requests withdrawn by caption when
// the user clears a check box.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cases.h"
#include "orvdialog_run.h"

namespace {

constexpr const char* kDataAccess = "Software\\Microsoft\\DataAccess";
constexpr const char* kCommonFiles = "C:\\Program Files\\Common Files\\";
const std::string kOleDb = std::string(kCommonFiles) + "System\\ole db\\oledb32.dll";

struct FileVersion {
    std::uint16_t major, minor, build, revision;
};

struct MdacCase {
    const char* situation;
    Properties properties;                 // VersionNT, CommonFilesFolder
    std::optional<std::string> registered;  // "Version"; nullopt: no DataAccess key at all
    std::optional<FileVersion> file;        // oledb32.dll's version resource; nullopt: no file
    bool offered;
};

Properties common(Properties more = {}) {
    more.insert({"CommonFilesFolder", kCommonFiles});
    return more;
}

// What CheckExtInstalls leaves: the Granary row always, the MDAC row when offered.
Properties offers(bool mdac) {
    Properties expected = {{"Enable_Ext_Install_1", "1"}, {"INSTALL_GRANARY", "1"},
                           {"External_Install_Text_1", "Install Granary Client"}};
    if (mdac)
        expected.insert({{"Enable_Ext_Install_2", "1"}, {"INSTALL_MDAC", "2"},
                         {"External_Install_Text_2", "Install/Upgrade to Microsoft Data Access Components 2.7"}});
    return expected;
}

class CheckExtInstallsMdac : public ::testing::TestWithParam<MdacCase> {};

TEST_P(CheckExtInstallsMdac, OffersMdacOnlyWhereTheTestFindsItMissing) {
    const MdacCase& c = GetParam();
    sim::Machine machine;
    machine.session.properties = c.properties;
    if (c.registered) {
        machine.hklm.ensure(kDataAccess);
        if (!c.registered->empty()) machine.hklm.setString(kDataAccess, "Version", *c.registered);
    }
    if (c.file) {
        machine.files.addFile(kOleDb, "MZ");
        machine.files.setVersion(kOleDb, c.file->major, c.file->minor, c.file->build, c.file->revision);
    }

    EXPECT_EQ(run(machine, "CheckExtInstalls"), orv::kSuccess);

    Properties expected = offers(c.offered);
    expected.insert(c.properties.begin(), c.properties.end());
    EXPECT_EQ(machine.session.properties, expected);
    EXPECT_EQ(machine.openKeys(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    OrvDialog, CheckExtInstallsMdac,
    ::testing::Values(
        MdacCase{"Windows XP, nothing registered", common({{"VersionNT", "501"}}), std::nullopt, std::nullopt, false},
        MdacCase{"VersionNT 501 with a blank is not XP", common({{"VersionNT", "501 "}}), std::nullopt, std::nullopt,
                 true},
        MdacCase{"2.71.9030.0 registered", common({{"VersionNT", "502"}}), "2.71.9030.0", std::nullopt, false},
        MdacCase{"no DataAccess key, whatever the file", common(), std::nullopt, FileVersion{2, 80, 1022, 0}, true},
        MdacCase{"2.70 reads 2.70.70.70, a 2.70.9001.0 file decides", common(), "2.70", FileVersion{2, 70, 9001, 0},
                 false},
        MdacCase{"2.70 and a 2.70.7713.4 file", common(), "2.70", FileVersion{2, 70, 7713, 4}, true},
        MdacCase{"2.70 and a 2.80.1022.0 file", common(), "2.70", FileVersion{2, 80, 1022, 0}, false},
        MdacCase{"2.70 and no file", common(), "2.70", std::nullopt, true},
        MdacCase{"2.70.9001 reads 2.70.9001.9001", common(), "2.70.9001", std::nullopt, false},
        MdacCase{"exactly 2.70.9001.0", common(), "2.70.9001.0", std::nullopt, false},
        MdacCase{"2.70.9000.99 is below", common(), "2.70.9000.99", std::nullopt, true},
        MdacCase{"2.x.1 reads 2.0.0.0", common(), "2.x.1", std::nullopt, true},
        MdacCase{"2.x.1 with a current file", common(), "2.x.1", FileVersion{2, 70, 9001, 0}, false},
        MdacCase{"3 alone reads 3.3.3.3", common(), "3", std::nullopt, false},
        MdacCase{"extra points past the fourth number", common(), "2.70.9001.0.7", std::nullopt, false},
        MdacCase{"a number past 32 bits reads 0", common(), "99999999999.1", std::nullopt, true},
        MdacCase{"letters after the number", common(), "2.80a", std::nullopt, true},
        MdacCase{"a negative major", common(), "-3.0", std::nullopt, true},
        MdacCase{"an empty part", common(), "2..9001", std::nullopt, true},
        MdacCase{"key without a Version, the file decides", common(), "", FileVersion{2, 70, 9001, 0}, false},
        MdacCase{"the file's revision is ignored", common(), "", FileVersion{2, 70, 9000, 65535}, true},
        MdacCase{"file numbers are unsigned", common(), "", FileVersion{65535, 0, 0, 0}, false},
        MdacCase{"no CommonFilesFolder: the file is not looked for", {}, "", FileVersion{2, 80, 0, 0}, true},
        MdacCase{"a relative CommonFilesFolder: the file is not looked for",
                 {{"CommonFilesFolder", "Program Files\\Common Files\\"}}, "", FileVersion{2, 80, 0, 0}, true}),
    NamedBySituation());

// The checks the registry and the file cannot pass: an unreadable value counts as empty, a
// file without a version resource leaves MDAC missing.
TEST(CheckExtInstallsMdac, UnreadableVersionsLeaveTheFileOrTheAnswerToDecide) {
    struct Case {
        const char* situation;
        void (*setUp)(sim::Machine&);
        bool offered;
    };
    const Case cases[] = {
        {"Version of another type, current file",
         [](sim::Machine& m) {
             m.hklm.setDword(kDataAccess, "Version", 0x0002004A);
             m.files.addFile(kOleDb);
             m.files.setVersion(kOleDb, 2, 70, 9001, 0);
         },
         false},
        {"Version unreadable, current file",
         [](sim::Machine& m) {
             m.hklm.setString(kDataAccess, "Version", "2.80");
             m.fail(sim::Op::RegQueryValue, kDataAccess, orv::kErrorAccessDenied);
             m.files.addFile(kOleDb);
             m.files.setVersion(kOleDb, 2, 70, 9001, 0);
         },
         false},
        {"file without a version resource",
         [](sim::Machine& m) {
             m.hklm.ensure(kDataAccess);
             m.files.addFile(kOleDb);
         },
         true},
        {"a folder in the file's place",
         [](sim::Machine& m) {
             m.hklm.ensure(kDataAccess);
             m.files.addFolder(kOleDb);
         },
         true},
        {"DataAccess key refused",
         [](sim::Machine& m) {
             m.hklm.setString(kDataAccess, "Version", "2.80");
             m.fail(sim::Op::RegOpenKey, kDataAccess, orv::kErrorAccessDenied);
         },
         true},
        {"VersionNT unreadable is not XP",
         [](sim::Machine& m) {
             m.session.properties["VersionNT"] = "501";
             m.fail(sim::Op::GetProperty, "VersionNT");
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.situation);
        sim::Machine machine;
        machine.session.properties["CommonFilesFolder"] = kCommonFiles;
        c.setUp(machine);
        EXPECT_EQ(run(machine, "CheckExtInstalls"), orv::kSuccess);
        EXPECT_EQ(withPrefixes(machine, {"INSTALL_", "Enable_Ext_Install_", "External_Install_Text_"}),
                  offers(c.offered));
        EXPECT_EQ(machine.openKeys(), 0u);
    }
}

// Each row is written enabler, request, caption; rows of an earlier run that this one does not
// write again stay as they were.
TEST(CheckExtInstalls, WritesEachRowInOrderAndRemovesNothing) {
    sim::Machine offered;
    run(offered, "CheckExtInstalls");
    EXPECT_EQ(offered.session.propertyWrites,
              (std::vector<sim::PropertyWrite>{
                  {"Enable_Ext_Install_1", "1"},
                  {"INSTALL_GRANARY", "1"},
                  {"External_Install_Text_1", text(101)},
                  {"Enable_Ext_Install_2", "1"},
                  {"INSTALL_MDAC", "2"},
                  {"External_Install_Text_2", text(102)},
              }));

    sim::Machine xp;
    xp.session.properties = {{"VersionNT", "501"}, {"Enable_Ext_Install_2", "1"}, {"INSTALL_MDAC", "2"},
                             {"External_Install_Text_2", "old"}};
    run(xp, "CheckExtInstalls");
    EXPECT_EQ(xp.session.propertyWrites.size(), 3u);
    EXPECT_EQ(xp.session.property("INSTALL_MDAC"), "2");
    EXPECT_EQ(xp.session.property("External_Install_Text_2"), "old");
}

// The log shows each offer and how the MDAC test reached its answer.
TEST(CheckExtInstallsLog, NamesTheOffersAndTheMdacReasoning) {
    sim::Machine machine;
    machine.session.properties = common({{"VersionNT", "502"}});
    machine.hklm.setString(kDataAccess, "Version", "2.70");
    machine.files.addFile(kOleDb);
    machine.files.setVersion(kOleDb, 2, 70, 7713, 4);

    run(machine, "CheckExtInstalls");

    EXPECT_EQ(logOf(machine, "OrvDialog.CheckExtInstalls: "),
              (std::vector<std::string>{
                  "slot 1 offers \"Install Granary Client\"; INSTALL_GRANARY \"1\"",
                  "DataAccess \"Version\" \"2.70\" reads 2.70.70.70: below 2.70.9001.0",
                  "\"" + kOleDb + "\" is 2.70.7713.4: below 2.70.9001",
                  "slot 2 offers \"Install/Upgrade to Microsoft Data Access Components 2.7\"; INSTALL_MDAC \"2\"",
              }));
}

struct WithdrawCase {
    const char* situation;
    Properties slots;  // External_Install_Text_n and External_Install_n
    Properties requestsLeft;
};

const Properties kAllRequests = {{"INSTALL_GRANARY", "1"}, {"INSTALL_MDAC", "2"}, {"INSTALL_DCOM", "3"}};

Properties without(std::initializer_list<const char*> removed) {
    Properties left = kAllRequests;
    for (const char* name : removed) left.erase(name);
    return left;
}

class ProcessExternalInstalls : public ::testing::TestWithParam<WithdrawCase> {};

TEST_P(ProcessExternalInstalls, WithdrawsTheRequestOfEachClearedCaption) {
    const WithdrawCase& c = GetParam();
    sim::Machine machine;
    machine.session.properties = kAllRequests;
    machine.session.properties.insert(c.slots.begin(), c.slots.end());

    EXPECT_EQ(run(machine, "ProcessExternalInstalls"), orv::kSuccess);

    EXPECT_EQ(withPrefixes(machine, {"INSTALL_"}), c.requestsLeft);
}

const std::string kGranary = "Install Granary Client";
const std::string kMdac = "Install/Upgrade to Microsoft Data Access Components 2.7";
const std::string kDcom = "Install/Upgrade Microsoft DCOM";

INSTANTIATE_TEST_SUITE_P(
    OrvDialog, ProcessExternalInstalls,
    ::testing::Values(
        WithdrawCase{"slot 2 cleared, slot 1 kept",
                     {{"External_Install_Text_1", kGranary}, {"External_Install_1", "1"},
                      {"External_Install_Text_2", kMdac}},
                     without({"INSTALL_MDAC"})},
        WithdrawCase{"a cleared DCOM row", {{"External_Install_Text_1", kDcom}}, without({"INSTALL_DCOM"})},
        WithdrawCase{"every row cleared",
                     {{"External_Install_Text_1", kGranary}, {"External_Install_Text_2", kMdac},
                      {"External_Install_Text_3", kDcom}},
                     {}},
        WithdrawCase{"any check box value keeps the install",
                     {{"External_Install_Text_1", kGranary}, {"External_Install_1", "0"}},
                     kAllRequests},
        WithdrawCase{"no first row: later rows are not read",
                     {{"External_Install_Text_2", kMdac}, {"External_Install_Text_3", kGranary}},
                     kAllRequests},
        WithdrawCase{"a caption of no install changes nothing, the walk goes on",
                     {{"External_Install_Text_1", "Install Something Else"}, {"External_Install_Text_2", kMdac}},
                     without({"INSTALL_MDAC"})},
        WithdrawCase{"captions compare case-sensitively", {{"External_Install_Text_1", "install granary client"}},
                     kAllRequests},
        WithdrawCase{"a caption with a trailing blank matches nothing", {{"External_Install_Text_1", kGranary + " "}},
                     kAllRequests},
        WithdrawCase{"a caption too long to read matches nothing, the walk goes on",
                     {{"External_Install_Text_1", std::string(260, 'c')}, {"External_Install_Text_2", kGranary}},
                     without({"INSTALL_GRANARY"})},
        WithdrawCase{"a check box too long to read is not cleared",
                     {{"External_Install_Text_1", kGranary}, {"External_Install_1", std::string(300, 'x')}},
                     kAllRequests}),
    NamedBySituation());

// A long run of rows ends at the first empty one, and one that cannot be read ends it too.
TEST(ProcessExternalInstallsRows, LongRunsAndUnreadableRowsEnd) {
    sim::Machine machine;
    machine.session.properties = kAllRequests;
    for (int n = 1; n <= 1000; ++n) {
        machine.session.properties["External_Install_Text_" + std::to_string(n)] = "row";
        machine.session.properties["External_Install_" + std::to_string(n)] = "1";
    }
    machine.session.properties["External_Install_Text_1000"] = kDcom;
    machine.session.properties.erase("External_Install_1000");
    EXPECT_EQ(run(machine, "ProcessExternalInstalls"), orv::kSuccess);
    EXPECT_EQ(withPrefixes(machine, {"INSTALL_"}), without({"INSTALL_DCOM"}));
    EXPECT_EQ(logOf(machine, "OrvDialog.ProcessExternalInstalls: ").back(), "1000 slots read; 999 still checked");

    sim::Machine failing;
    failing.session.properties = kAllRequests;
    failing.session.properties.insert({{"External_Install_Text_1", kGranary}, {"External_Install_Text_2", kMdac}});
    failing.fail(sim::Op::GetProperty, "External_Install_Text_2");
    EXPECT_EQ(run(failing, "ProcessExternalInstalls"), orv::kSuccess);
    EXPECT_EQ(withPrefixes(failing, {"INSTALL_"}), without({"INSTALL_GRANARY"}));
}

// The log names each withdrawn request and each cleared row that named none.
TEST(ProcessExternalInstallsLog, NamesEachWithdrawal) {
    sim::Machine machine;
    machine.session.properties = kAllRequests;
    machine.session.properties.insert({{"External_Install_Text_1", kGranary},
                                       {"External_Install_1", "1"},
                                       {"External_Install_Text_2", kMdac},
                                       {"External_Install_Text_3", "Other"}});
    run(machine, "ProcessExternalInstalls");
    EXPECT_EQ(logOf(machine, "OrvDialog.ProcessExternalInstalls: "),
              (std::vector<std::string>{
                  "slot 2 \"" + kMdac + "\" cleared: INSTALL_MDAC removed",
                  "slot 3 cleared, but its caption names no external install: nothing withdrawn",
                  "3 slots read; 1 still checked",
              }));
}

}  // namespace
