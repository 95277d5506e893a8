// The reboot decision: REBOOT forced for each reason on its own, never cleared.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cases.h"
#include "orvcommon_run.h"

namespace {

struct RebootCase {
    const char* situation;
    std::map<std::string, sim::States> features;  // a feature left out does not exist
    std::map<std::string, std::string> properties;
    std::optional<std::string> reboot;  // REBOOT afterwards; nullopt: unset
};

class SetReboot : public ::testing::TestWithParam<RebootCase> {};

TEST_P(SetReboot, ForcesARestartOnlyForItsReasons) {
    const RebootCase& c = GetParam();
    sim::Machine machine;
    machine.session.features = c.features;
    machine.session.properties = c.properties;

    EXPECT_EQ(run(machine, "OrvSetReboot"), orv::kSuccess);

    if (c.reboot)
        EXPECT_EQ(machine.session.property("REBOOT"), *c.reboot);
    else
        EXPECT_FALSE(machine.session.hasProperty("REBOOT"));
    EXPECT_TRUE(machine.session.requests.empty());
    EXPECT_TRUE(machine.desktop.messageBoxes.empty());
}

const std::string k260(260, 'x');
const std::map<std::string, sim::States> kNothingRequested = {
    {"MainProgramFiles", {kAbsent, kNone}}, {"CORBASupport", {kAbsent, kNone}}, {"CORBASupport_HY4", {kAbsent, kNone}}};

std::map<std::string, sim::States> with(const char* feature, sim::States states) {
    auto features = kNothingRequested;
    features[feature] = states;
    return features;
}

INSTANTIATE_TEST_SUITE_P(
    OrvCommon, SetReboot,
    ::testing::Values(
        RebootCase{"nothing requested", kNothingRequested, {}, std::nullopt},
        RebootCase{"main program local on NT", with("MainProgramFiles", {kAbsent, kLocal}), {}, std::nullopt},
        RebootCase{"main program local on 9x", with("MainProgramFiles", {kAbsent, kLocal}), {{"Version9X", "490"}}, "Force"},
        RebootCase{"9x, main program unrequested", kNothingRequested, {{"Version9X", "490"}}, std::nullopt},
        RebootCase{"9x, main program from source", with("MainProgramFiles", {kAbsent, kSource}), {{"Version9X", "490"}}, std::nullopt},
        RebootCase{"9x, main program removed", with("MainProgramFiles", {kLocal, kAbsent}), {{"Version9X", "490"}}, std::nullopt},
        RebootCase{"9x, main program installed before, nothing requested now", with("MainProgramFiles", {kLocal, kNone}), {{"Version9X", "490"}}, std::nullopt},
        RebootCase{"9x text too long to read", with("MainProgramFiles", {kAbsent, kLocal}), {{"Version9X", k260}}, std::nullopt},
        RebootCase{"CORBA support local", with("CORBASupport", {kAbsent, kLocal}), {}, "Force"},
        RebootCase{"CORBA support from source", with("CORBASupport", {kAbsent, kSource}), {}, std::nullopt},
        RebootCase{"CORBA support for broker 4 local alone", with("CORBASupport_HY4", {kAbsent, kLocal}), {}, "Force"},
        RebootCase{"MDAC to be installed", kNothingRequested, {{"INSTALL_MDAC", "2"}}, "Force"},
        RebootCase{"MDAC with no features in the package", {}, {{"INSTALL_MDAC", "any text"}}, "Force"},
        RebootCase{"MDAC text too long to read", kNothingRequested, {{"INSTALL_MDAC", k260}}, std::nullopt},
        RebootCase{"features missing from the package", {}, {{"Version9X", "490"}}, std::nullopt},
        RebootCase{"an earlier REBOOT is never cleared", kNothingRequested, {{"REBOOT", "ReallySuppress"}}, "ReallySuppress"},
        RebootCase{"every reason at once", {{"MainProgramFiles", {kAbsent, kLocal}}, {"CORBASupport", {kAbsent, kLocal}}, {"CORBASupport_HY4", {kAbsent, kLocal}}},
                   {{"Version9X", "490"}, {"INSTALL_MDAC", "1"}}, "Force"}),
    NamedBySituation());

// A feature whose state cannot be read skips its own step only.
TEST(SetRebootFailures, AFailedStateQuerySkipsOnlyItsStep) {
    sim::Machine machine;
    machine.session.features = with("CORBASupport", {kAbsent, kLocal});
    machine.fail(sim::Op::GetFeatureState, "CORBASupport");
    machine.session.properties["INSTALL_MDAC"] = "1";
    EXPECT_EQ(run(machine, "OrvSetReboot"), orv::kSuccess);
    EXPECT_EQ(machine.session.property("REBOOT"), "Force");

    machine.session.properties.clear();
    EXPECT_EQ(run(machine, "OrvSetReboot"), orv::kSuccess);
    EXPECT_FALSE(machine.session.hasProperty("REBOOT"));
}

// Each reason that applies is named in the log; with none, the log says REBOOT was left alone.
TEST(SetRebootLog, NamesEachReason) {
    sim::Machine machine;
    machine.session.features = with("CORBASupport", {kAbsent, kLocal});
    machine.session.properties["INSTALL_MDAC"] = "1";
    run(machine, "OrvSetReboot");
    EXPECT_EQ(logOf(machine, "OrvCommon.OrvSetReboot: "),
              (std::vector<std::string>{"REBOOT set to Force: CORBASupport requested local",
                                        "REBOOT set to Force: INSTALL_MDAC is set"}));

    sim::Machine none;
    run(none, "OrvSetReboot");
    EXPECT_EQ(logOf(none, "OrvCommon.OrvSetReboot: "),
              (std::vector<std::string>{"no reason for a restart: REBOOT left as it was"}));
}

}  // namespace
