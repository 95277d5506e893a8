// The four dependency rules between features, their questions and BadConfig, and the log that
// explains them.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cases.h"
#include "orvdialog_run.h"

namespace {

constexpr std::uint32_t kQuestionStyle = 0x40024;  // MB_TOPMOST | MB_ICONQUESTION | MB_YESNO

struct OptionsCase {
    const char* situation;
    std::map<std::string, sim::States> features;
    Properties properties;
    std::vector<int> answers;
    std::vector<std::uint32_t> questions;  // string ids, in the order asked
    std::vector<sim::StateRequest> requests;
    std::optional<std::string> badConfig;  // afterwards; nullopt: removed
};

// Every feature of the rules, nothing requested; a case overrides what it needs.
std::map<std::string, sim::States> selection(std::map<std::string, sim::States> overrides) {
    std::map<std::string, sim::States> features = {
        {"MainProgramFiles", {kAbsent, kLocal}}, {"KRN", {kAbsent, kLocal}},     {"KRNCommon", {kAbsent, kLocal}},
        {"DBDirect", {kAbsent, kLocal}},         {"InternetControls", {kAbsent, kNone}}, {"Indy", {kAbsent, kLocal}},
        {"SOAP", {kAbsent, kNone}}};
    for (auto& [name, states] : overrides) features[name] = states;
    return features;
}

sim::StateRequest request(const char* feature, orv::InstallState state) { return {"feature", feature, state}; }

class ValidateInstallOptions : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(ValidateInstallOptions, AppliesTheFourRulesInOrder) {
    const OptionsCase& c = GetParam();
    sim::Machine machine;
    machine.session.features = c.features;
    machine.session.properties = c.properties;
    machine.desktop.answers.assign(c.answers.begin(), c.answers.end());

    EXPECT_EQ(run(machine, "OrvValidateInstallOptions"), orv::kSuccess);

    std::vector<sim::MessageBoxShown> expected;
    for (std::uint32_t id : c.questions) expected.push_back({text(id), "Component Selection Error", kQuestionStyle});
    EXPECT_EQ(machine.desktop.messageBoxes, expected);
    EXPECT_EQ(machine.session.requests, c.requests);
    if (c.badConfig)
        EXPECT_EQ(machine.session.property("BadConfig"), *c.badConfig);
    else
        EXPECT_FALSE(machine.session.hasProperty("BadConfig"));
}

INSTANTIATE_TEST_SUITE_P(
    OrvDialog, ValidateInstallOptions,
    ::testing::Values(
        OptionsCase{"all needed features wanted", selection({}), {{"BadConfig", "1"}}, {}, {}, {}, std::nullopt},
        OptionsCase{"KRN deselected, Yes", selection({{"KRN", {kAbsent, kAbsent}}}), {}, {orv::kIdYes}, {112},
                    {request("KRN", kLocal)}, std::nullopt},
        // DataPipe and Indy are wanted: the later consistent pairs must not hide the declined repair.
        OptionsCase{"KRN deselected, No", selection({{"KRN", {kAbsent, kAbsent}}}), {}, {orv::kIdNo}, {112},
                    {request("KRNCommon", kAbsent)}, "1"},
        OptionsCase{"KRN deselected in a silent installation: no box, no repair",
                    selection({{"KRN", {kAbsent, kAbsent}}}), {{"UILevel", "2"}}, {orv::kIdYes}, {},
                    {request("KRNCommon", kAbsent)}, "1"},
        OptionsCase{"KRN deselected, the box fails", selection({{"KRN", {kAbsent, kAbsent}}}), {}, {}, {112},
                    {request("KRNCommon", kAbsent)}, "1"},
        OptionsCase{"KRN deselected but already on the machine", selection({{"KRN", {kAbsent, kAbsent}}}),
                    {{"KRN_EXISTS", "1"}}, {}, {}, {request("KRNCommon", kAbsent)}, std::nullopt},
        OptionsCase{"KRN installed and being removed", selection({{"MainProgramFiles", {kLocal, kNone}}, {"KRN", {kLocal, kAbsent}}}),
                    {}, {orv::kIdNo}, {112}, {request("KRNCommon", kAbsent)}, "1"},
        OptionsCase{"KRN deselected, no program files", selection({{"MainProgramFiles", {kAbsent, kAbsent}}, {"KRN", {kAbsent, kAbsent}}}),
                    {}, {}, {}, {request("KRNCommon", kAbsent)}, std::nullopt},
        OptionsCase{"DataPipe off, Internet controls on, Yes",
                    selection({{"DBDirect", {kAbsent, kAbsent}}, {"InternetControls", {kAbsent, kLocal}}, {"SOAP", {kAbsent, kLocal}}}),
                    {}, {orv::kIdYes}, {144}, {request("SOAP", kAbsent), request("InternetControls", kAbsent)}, std::nullopt},
        OptionsCase{"DataPipe off, Internet controls on, No",
                    selection({{"DBDirect", {kAbsent, kAbsent}}, {"InternetControls", {kAbsent, kLocal}}}),
                    {}, {orv::kIdNo}, {144}, {}, "1"},
        OptionsCase{"Yes to 144 on a fresh install with Indy off: SOAP no longer local",
                    selection({{"DBDirect", {kAbsent, kAbsent}}, {"InternetControls", {kAbsent, kLocal}},
                               {"Indy", {kAbsent, kAbsent}}, {"SOAP", {kAbsent, kLocal}}}),
                    {}, {orv::kIdYes}, {144}, {request("SOAP", kAbsent), request("InternetControls", kAbsent)}, std::nullopt},
        OptionsCase{"Yes to 144 with SOAP installed and Indy off: 147 follows",
                    selection({{"DBDirect", {kAbsent, kAbsent}}, {"InternetControls", {kAbsent, kLocal}},
                               {"Indy", {kAbsent, kAbsent}}, {"SOAP", {kLocal, kNone}}}),
                    {}, {orv::kIdYes, orv::kIdNo}, {144, 147},
                    {request("SOAP", kAbsent), request("InternetControls", kAbsent)}, "1"},
        OptionsCase{"DataPipe installed and being removed, Internet controls on",
                    selection({{"DBDirect", {kLocal, kAbsent}}, {"InternetControls", {kAbsent, kLocal}}}),
                    {}, {orv::kIdNo}, {144}, {}, "1"},
        OptionsCase{"Internet controls installed and being removed still count as local",
                    selection({{"DBDirect", {kAbsent, kAbsent}}, {"InternetControls", {kLocal, kAbsent}}}),
                    {}, {orv::kIdNo}, {144}, {}, "1"},
        OptionsCase{"Indy installed and being removed, web services on",
                    selection({{"Indy", {kLocal, kAbsent}}, {"SOAP", {kAbsent, kLocal}}}),
                    {}, {orv::kIdNo}, {147}, {}, "1"},
        OptionsCase{"DataPipe off, Internet controls absent: rule 3 silent",
                    selection({{"DBDirect", {kAbsent, kAbsent}}, {"Indy", {kAbsent, kAbsent}}}),
                    {{"BadConfig", "1"}}, {}, {}, {}, std::nullopt},
        OptionsCase{"Indy off, web services on, Yes",
                    selection({{"Indy", {kAbsent, kAbsent}}, {"SOAP", {kAbsent, kLocal}}}),
                    {}, {orv::kIdYes}, {147}, {request("SOAP", kAbsent)}, std::nullopt},
        OptionsCase{"No to 112, Yes to 144 and 147",
                    selection({{"KRN", {kAbsent, kAbsent}}, {"DBDirect", {kAbsent, kAbsent}}, {"InternetControls", {kAbsent, kLocal}},
                               {"Indy", {kAbsent, kAbsent}}, {"SOAP", {kLocal, kLocal}}}),
                    {}, {orv::kIdNo, orv::kIdYes, orv::kIdYes}, {112, 144, 147},
                    {request("KRNCommon", kAbsent), request("SOAP", kAbsent), request("InternetControls", kAbsent),
                     request("SOAP", kAbsent)},
                    "1"},
        OptionsCase{"a package without these features", {}, {}, {}, {}, {request("KRNCommon", kAbsent)}, std::nullopt},
        OptionsCase{"an unreadable KRN marker skips rule 1", selection({{"KRN", {kAbsent, kAbsent}}}),
                    {{"KRN_EXISTS", std::string(260, '1')}}, {}, {}, {request("KRNCommon", kAbsent)}, std::nullopt}),
    NamedBySituation());

// The log says which rule found what, which question was asked, the answer and the outcome.
TEST(ValidateInstallOptionsLog, NamesEachRuleQuestionAndAnswer) {
    sim::Machine machine;
    machine.session.features = selection({{"KRN", {kAbsent, kAbsent}}, {"DBDirect", {kAbsent, kAbsent}},
                                          {"InternetControls", {kAbsent, kLocal}}});
    machine.desktop.answers = {orv::kIdNo, orv::kIdYes};

    run(machine, "OrvValidateInstallOptions");

    EXPECT_EQ(logOf(machine, "OrvDialog.OrvValidateInstallOptions: "),
              (std::vector<std::string>{
                  "rule 1: KRN not wanted while MainProgramFiles is local; asking 112",
                  "box \"Component Selection Error\" \"" + text(112) + "\" shown; answer No",
                  "repair declined",
                  "rule 2: KRN not wanted; KRNCommon requested absent",
                  "rule 3: DBDirect not wanted while InternetControls is local; asking 144",
                  "box \"Component Selection Error\" \"" + text(144) + "\" shown; answer Yes",
                  "rule 3: SOAP and InternetControls requested absent",
                  "rule 4: Indy wanted; consistent",
                  "BadConfig set: a repair was declined",
              }));
}

}  // namespace
