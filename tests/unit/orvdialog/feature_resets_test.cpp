// The bulk feature requests of the setup types: all local with the external installs offered
// again, or all but the core absent with the offers and notes withdrawn.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cases.h"
#include "orvdialog_run.h"

namespace {

// A dozen features as a package lists them, the six core ones among them, and one of the
// engine's longest names (38 characters).
const std::vector<std::string> kFeatureTable = {
    "ProgramFiles", "MainProgramFiles", "SharedFiles",    "Debugger",       "KRN",
    "CompressedMainFiles", "debugger",  "SampleDataFiles", "CORBASupport",  "TableWorkbench",
    "KRNCommon",    "Feature_With_The_Longest_Name_In_It_38"};

// What an earlier run left: the offers, both notes, and the second row and captions.
const Properties kOffersAndNotes = {
    {"INSTALL_GRANARY", "1"},          {"INSTALL_MDAC", "2"},
    {"Enable_Ext_Install_1", "1"},     {"Enable_Ext_Install_2", "1"},
    {"External_Install_Text_1", "a"},  {"External_Install_Text_2", "b"},
    {"Enable_Install_Msg_1", "1"},     {"Enable_Install_Msg_2", "1"}};

void addFeatures(sim::Machine& machine) {
    machine.session.featureTable = kFeatureTable;
    for (const std::string& name : kFeatureTable) machine.session.features[name] = {kAbsent, kNone};
}

std::vector<sim::StateRequest> requests(const std::vector<std::string>& features, orv::InstallState state) {
    std::vector<sim::StateRequest> expected;
    for (const std::string& name : features) expected.push_back({"feature", name, state});
    return expected;
}

struct ResetCase {
    const char* situation;
    bool viewOpens;
};

class DisableCompactFeatures : public ::testing::TestWithParam<ResetCase> {};

TEST_P(DisableCompactFeatures, RequestsAllButTheCoreAbsentAndWithdrawsTheOffers) {
    sim::Machine machine;
    addFeatures(machine);
    machine.session.features["KRN"] = {kAbsent, kLocal};
    machine.session.properties = kOffersAndNotes;
    if (!GetParam().viewOpens) machine.fail(sim::Op::FeatureView, "Feature", orv::kErrorBadQuerySyntax);

    EXPECT_EQ(run(machine, "DisableCompactFeatures"), orv::kSuccess);

    EXPECT_EQ(machine.session.requests,
              GetParam().viewOpens ? requests({"debugger", "SampleDataFiles", "CORBASupport", "TableWorkbench",
                                               "KRNCommon", "Feature_With_The_Longest_Name_In_It_38"},
                                              kAbsent)
                                   : std::vector<sim::StateRequest>{});
    EXPECT_EQ(machine.session.features["KRN"].action, kLocal);
    EXPECT_EQ(machine.session.properties, (Properties{{"Enable_Ext_Install_2", "1"},
                                                      {"External_Install_Text_1", "a"},
                                                      {"External_Install_Text_2", "b"}}));
    EXPECT_EQ(machine.session.propertyWrites,
              (std::vector<sim::PropertyWrite>{{"INSTALL_GRANARY", std::nullopt},
                                               {"INSTALL_MDAC", std::nullopt},
                                               {"Enable_Ext_Install_1", std::nullopt},
                                               {"Enable_Install_Msg_1", std::nullopt},
                                               {"Enable_Install_Msg_2", std::nullopt}}));
}

class ResetFeatureState : public ::testing::TestWithParam<ResetCase> {};

// Run after DisableCompactFeatures on a machine without MDAC: every feature comes back and both
// external installs are offered again; the ready notes stay withdrawn.
TEST_P(ResetFeatureState, RequestsEveryFeatureLocalThenOffersTheExternalInstalls) {
    sim::Machine machine;
    addFeatures(machine);
    machine.session.properties = kOffersAndNotes;
    run(machine, "DisableCompactFeatures");
    machine.session.requests.clear();
    if (!GetParam().viewOpens) machine.fail(sim::Op::FeatureView, "Feature", orv::kErrorBadQuerySyntax);

    EXPECT_EQ(run(machine, "ResetFeatureState"), orv::kSuccess);

    EXPECT_EQ(machine.session.requests,
              GetParam().viewOpens ? requests(kFeatureTable, kLocal) : std::vector<sim::StateRequest>{});
    EXPECT_EQ(withPrefixes(machine, {"INSTALL_", "Enable_"}), (Properties{{"INSTALL_GRANARY", "1"},
                                                                         {"INSTALL_MDAC", "2"},
                                                                         {"Enable_Ext_Install_1", "1"},
                                                                         {"Enable_Ext_Install_2", "1"}}));
}

const ResetCase kViews[] = {{"the Feature table read", true}, {"the Feature view refused", false}};
INSTANTIATE_TEST_SUITE_P(OrvDialog, DisableCompactFeatures, ::testing::ValuesIn(kViews), NamedBySituation());
INSTANTIATE_TEST_SUITE_P(OrvDialog, ResetFeatureState, ::testing::ValuesIn(kViews), NamedBySituation());

// A feature whose request fails does not stop the walk.
TEST(FeatureResets, ARefusedRequestIsPassedOver) {
    for (const char* action : {"ResetFeatureState", "DisableCompactFeatures"}) {
        SCOPED_TRACE(action);
        sim::Machine machine;
        machine.session.featureTable = {"A", "B", "C"};
        machine.session.features = {{"A", {kAbsent, kNone}}, {"C", {kAbsent, kNone}}};
        EXPECT_EQ(run(machine, action), orv::kSuccess);
        EXPECT_EQ(machine.session.requests.size(), 3u);
        EXPECT_NE(machine.session.features["C"].action, kNone);
    }
}

// The log names the features requested and those left untouched, and a table that could not be read.
TEST(FeatureResetsLog, NamesTheFeaturesAndTheWithdrawals) {
    sim::Machine machine;
    machine.session.featureTable = {"KRN", "Samples"};
    run(machine, "DisableCompactFeatures");
    EXPECT_EQ(logOf(machine, "OrvDialog.DisableCompactFeatures: "),
              (std::vector<std::string>{
                  "1 features requested absent: Samples; untouched: KRN",
                  "external-install offers and ready-dialog notes withdrawn: INSTALL_GRANARY, INSTALL_MDAC, "
                  "Enable_Ext_Install_1, Enable_Install_Msg_1, Enable_Install_Msg_2",
              }));

    sim::Machine refused;
    refused.session.properties["VersionNT"] = "501";
    refused.fail(sim::Op::FeatureView, "Feature", orv::kErrorBadQuerySyntax);
    run(refused, "ResetFeatureState");
    EXPECT_EQ(logOf(refused, "OrvDialog.ResetFeatureState: "),
              (std::vector<std::string>{
                  "the Feature table cannot be read (result 1615): no feature visited",
                  "0 features requested local: none",
                  "external installs offered again",
                  "slot 1 offers \"Install Granary Client\"; INSTALL_GRANARY \"1\"",
                  "VersionNT 501: Windows XP carries MDAC 2.7",
                  "MDAC not offered",
              }));
}

}  // namespace
