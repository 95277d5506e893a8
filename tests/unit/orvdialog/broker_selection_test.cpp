// The broker version applied to the broker features, the Java test behind INSTALL_JRE, CORBA
// support switched off, and the installation-database copy dropped.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cases.h"
#include "orvdialog_run.h"

namespace {

constexpr const char* kRuntime = "Software\\JavaSoft\\Java Runtime Environment";
constexpr const char* kKit = "Software\\JavaSoft\\Java Development Kit";
constexpr orv::InstallState kAdvertised = 1;

sim::StateRequest feature(const char* name, orv::InstallState state) { return {"feature", name, state}; }

// The broker features at the states a case gives; the rest not installed and nothing requested.
std::map<std::string, sim::States> brokerFeatures(std::map<std::string, sim::States> overrides) {
    std::map<std::string, sim::States> features = {
        {"CORBASupport_HY4", {kAbsent, kNone}}, {"CorbaSamples", {kAbsent, kNone}},
        {"CorbaSamples40", {kAbsent, kNone}},   {"CommonCorbaSamples", {kAbsent, kNone}},
        {"SamplePrograms", {kAbsent, kNone}}};
    for (auto& [name, states] : overrides) features[name] = states;
    return features;
}

struct SelectionCase {
    const char* situation;
    const char* hyVer;  // null: unset
    std::map<std::string, sim::States> features;
    std::vector<sim::StateRequest> requests;
    bool version4;
};

class ProcessHalORBSelection : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(ProcessHalORBSelection, AppliesTheChosenVersionToTheBrokerFeatures) {
    const SelectionCase& c = GetParam();
    sim::Machine machine;
    machine.session.features = c.features;
    machine.session.properties = {{"INSTALL_HY4", "old"}, {"INSTALL_JRE", "old"}};
    if (c.hyVer != nullptr) machine.session.properties["HY_VER"] = c.hyVer;
    machine.hklm.setString(kRuntime, "CurrentVersion", "1.4");

    EXPECT_EQ(run(machine, "ProcessHalORBSelection"), orv::kSuccess);

    EXPECT_EQ(machine.session.requests, c.requests);
    if (c.version4) {
        EXPECT_EQ(machine.session.property("INSTALL_HY4"), "1");
        EXPECT_EQ(machine.session.property("INSTALL_JRE"), "old");
    } else {
        EXPECT_FALSE(machine.session.hasProperty("INSTALL_HY4"));
        EXPECT_FALSE(machine.session.hasProperty("INSTALL_JRE"));
    }
    EXPECT_EQ(machine.openKeys(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    OrvDialog, ProcessHalORBSelection,
    ::testing::Values(
        SelectionCase{"HY4 on a fresh machine", "HY4", brokerFeatures({}),
                      {feature("CorbaSamples", kAbsent), feature("CORBASupport_HY4", kLocal)}, true},
        SelectionCase{"HY4 with the sample programs requested",
                      "HY4", brokerFeatures({{"SamplePrograms", {kAbsent, kLocal}}, {"CorbaSamples", {kLocal, kNone}}}),
                      {feature("CorbaSamples", kLocal), feature("CORBASupport_HY4", kLocal),
                       feature("CorbaSamples40", kLocal), feature("CommonCorbaSamples", kLocal)},
                      true},
        SelectionCase{"HY4 with the sample programs installed but being removed", "HY4",
                      brokerFeatures({{"SamplePrograms", {kLocal, kAbsent}}}),
                      {feature("CorbaSamples", kAbsent), feature("CORBASupport_HY4", kLocal),
                       feature("CorbaSamples40", kLocal), feature("CommonCorbaSamples", kLocal)},
                      true},
        SelectionCase{"HY4 with the samples run from source: not held", "HY4",
                      brokerFeatures({{"CorbaSamples", {kSource, kNone}}}), {feature("CORBASupport_HY4", kLocal)},
                      true},
        SelectionCase{"HY4 with a package lacking the samples: nothing held", "HY4", {},
                      {feature("CORBASupport_HY4", kLocal)}, true},
        SelectionCase{"no version on a maintenance run: installed states held", nullptr,
                      brokerFeatures({{"CORBASupport_HY4", {kLocal, kAbsent}}, {"CorbaSamples", {kLocal, kNone}},
                                      {"CorbaSamples40", {kAdvertised, kNone}},
                                      {"SamplePrograms", {kAbsent, kLocal}}}),
                      {feature("CORBASupport_HY4", kLocal), feature("CorbaSamples", kLocal),
                       feature("CommonCorbaSamples", kAbsent)},
                      false},
        SelectionCase{"hy4 in lower case", "hy4", brokerFeatures({}),
                      {feature("CORBASupport_HY4", kAbsent), feature("CorbaSamples", kAbsent),
                       feature("CorbaSamples40", kAbsent), feature("CommonCorbaSamples", kAbsent)},
                      false},
        SelectionCase{"HY4 with a trailing blank", "HY4 ", brokerFeatures({{"CorbaSamples", {kNone, kNone}}}),
                      {feature("CORBASupport_HY4", kAbsent), feature("CorbaSamples40", kAbsent),
                       feature("CommonCorbaSamples", kAbsent)},
                      false}),
    NamedBySituation());

struct JavaCase {
    const char* situation;
    std::optional<std::string> runtime;  // "CurrentVersion" of the runtime key; nullopt: no key
    std::optional<std::string> kit;      // of the development kit key
    bool suitable;
};

class ProcessHalORBSelectionJava : public ::testing::TestWithParam<JavaCase> {};

TEST_P(ProcessHalORBSelectionJava, SetsInstallJreOnlyWithoutASuitableJava) {
    const JavaCase& c = GetParam();
    sim::Machine machine;
    machine.session.properties = {{"HY_VER", "HY4"}, {"INSTALL_JRE", "kept"}};
    if (c.runtime) machine.hklm.setString(kRuntime, "CurrentVersion", *c.runtime);
    if (c.kit) machine.hklm.setString(kKit, "CurrentVersion", *c.kit);

    EXPECT_EQ(run(machine, "ProcessHalORBSelection"), orv::kSuccess);

    EXPECT_EQ(machine.session.property("INSTALL_JRE"), c.suitable ? "kept" : "1");
    EXPECT_EQ(machine.openKeys(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    OrvDialog, ProcessHalORBSelectionJava,
    ::testing::Values(JavaCase{"runtime 1.4", "1.4", std::nullopt, true},
                      JavaCase{"runtime 1.2", "1.2", std::nullopt, true},
                      JavaCase{"runtime 1.1", "1.1", std::nullopt, false},
                      JavaCase{"runtime 1 without a point", "1", std::nullopt, false},
                      JavaCase{"runtime 2.0", "2.0", std::nullopt, true},
                      JavaCase{"runtime 1.10", "1.10", std::nullopt, true},
                      JavaCase{"runtime 1.3.1", "1.3.1", std::nullopt, false},
                      JavaCase{"runtime 1.2 with a trailing blank", "1.2 ", std::nullopt, false},
                      JavaCase{"runtime with a leading blank", " 1.4", std::nullopt, false},
                      JavaCase{"runtime with a plus sign", "+1.4", std::nullopt, true},
                      JavaCase{"runtime with a minus sign", "-2.0", std::nullopt, false},
                      JavaCase{"runtime in hex", "0x2.0", std::nullopt, false},
                      JavaCase{"runtime past 32 bits", "99999999999.0", std::nullopt, false},
                      JavaCase{"runtime without a minor", "2.", std::nullopt, false},
                      JavaCase{"runtime without a major", ".5", std::nullopt, false},
                      JavaCase{"no runtime, kit 1.3", std::nullopt, "1.3", true},
                      JavaCase{"empty runtime, kit 1.3", "", "1.3", true},
                      JavaCase{"runtime 1.1 decides over kit 1.4", "1.1", "1.4", false},
                      JavaCase{"neither key", std::nullopt, std::nullopt, false},
                      JavaCase{"no runtime, kit 1.1", std::nullopt, "1.1", false}),
    NamedBySituation());

// A runtime version that is not a string counts as none, so the kit decides; a kit that is
// not a string either leaves no suitable Java.
TEST(ProcessHalORBSelectionJava, ValuesOfAnotherTypeCountAsNone) {
    sim::Machine machine;
    machine.session.properties["HY_VER"] = "HY4";
    machine.hklm.setDword(kRuntime, "CurrentVersion", 2);
    machine.hklm.setString(kKit, "CurrentVersion", "1.3");
    run(machine, "ProcessHalORBSelection");
    EXPECT_FALSE(machine.session.hasProperty("INSTALL_JRE"));

    machine.hklm.setDword(kKit, "CurrentVersion", 2);
    run(machine, "ProcessHalORBSelection");
    EXPECT_EQ(machine.session.property("INSTALL_JRE"), "1");
    EXPECT_EQ(machine.openKeys(), 0u);
}

// The log says which version was chosen, what the Java test found and what was held.
TEST(ProcessHalORBSelectionLog, NamesTheChoiceTheJavaFoundAndTheHolds) {
    sim::Machine machine;
    machine.session.properties["HY_VER"] = "HY4";
    machine.session.features = brokerFeatures({{"CorbaSamples", {kSource, kNone}}});
    machine.hklm.setString(kKit, "CurrentVersion", "1.1");
    run(machine, "ProcessHalORBSelection");
    EXPECT_EQ(logOf(machine, "OrvDialog.ProcessHalORBSelection: "),
              (std::vector<std::string>{
                  "HY_VER \"HY4\": broker version 4 support chosen",
                  "CorbaSamples not held: installed 4, action -1",
                  "Java development kit version \"1.1\": not suitable",
                  "INSTALL_HY4 set; INSTALL_JRE set",
                  "CORBASupport_HY4 requested local; SamplePrograms not local, no broker samples requested",
              }));

    sim::Machine none;
    none.session.features = brokerFeatures({{"CORBASupport_HY4", {kLocal, kNone}}});
    run(none, "ProcessHalORBSelection");
    EXPECT_EQ(logOf(none, "OrvDialog.ProcessHalORBSelection: "),
              (std::vector<std::string>{
                  "HY_VER \"\": no version 4 support",
                  "CORBASupport_HY4 held at its installed state 3",
                  "CorbaSamples held at its installed state 2",
                  "CorbaSamples40 held at its installed state 2",
                  "CommonCorbaSamples held at its installed state 2",
                  "INSTALL_HY4 and INSTALL_JRE removed",
              }));
}

struct SwitchCase {
    const char* situation;
    const char* exportName;
    const char* property;
    std::optional<std::string> value;  // nullopt: unset
    std::vector<sim::StateRequest> requests;
    const char* logLine;
};

class SwitchedOff : public ::testing::TestWithParam<SwitchCase> {};

// DisableFeatures takes CORBA support out on any value; ProcessInstallDB drops the database copy
// on anything but exactly "1".
TEST_P(SwitchedOff, RequestsAbsentByItsOwnRule) {
    const SwitchCase& c = GetParam();
    sim::Machine machine;
    machine.session.features["CORBASupport"] = {kLocal, kNone};
    machine.session.components["InstallationDatabase"] = {kAbsent, kLocal};
    if (c.value) machine.session.properties[c.property] = *c.value;

    EXPECT_EQ(run(machine, c.exportName), orv::kSuccess);

    EXPECT_EQ(machine.session.requests, c.requests);
    EXPECT_EQ(logOf(machine, std::string("OrvDialog.") + c.exportName + ": "), std::vector<std::string>{c.logLine});
}

const std::vector<sim::StateRequest> kCorbaOff = {feature("CORBASupport", kAbsent)};
const std::vector<sim::StateRequest> kCopyDropped = {{"component", "InstallationDatabase", kAbsent}};
constexpr const char* kCorbaOffLine = "Disable_HalORB set: CORBASupport requested absent";

INSTANTIATE_TEST_SUITE_P(
    OrvDialog, SwitchedOff,
    ::testing::Values(
        SwitchCase{"Disable_HalORB unset", "DisableFeatures", "Disable_HalORB", std::nullopt, {},
                   "Disable_HalORB not set: CORBASupport left as it is"},
        SwitchCase{"Disable_HalORB 0", "DisableFeatures", "Disable_HalORB", "0", kCorbaOff, kCorbaOffLine},
        SwitchCase{"Disable_HalORB 1", "DisableFeatures", "Disable_HalORB", "1", kCorbaOff, kCorbaOffLine},
        SwitchCase{"Disable_HalORB too long to read", "DisableFeatures", "Disable_HalORB", std::string(260, 'x'),
                   kCorbaOff, kCorbaOffLine},
        SwitchCase{"INSTALL_MSIDB unset", "ProcessInstallDB", "INSTALL_MSIDB", std::nullopt, kCopyDropped,
                   "INSTALL_MSIDB \"\", not \"1\": InstallationDatabase requested absent"},
        SwitchCase{"INSTALL_MSIDB yes", "ProcessInstallDB", "INSTALL_MSIDB", "yes", kCopyDropped,
                   "INSTALL_MSIDB \"yes\", not \"1\": InstallationDatabase requested absent"},
        SwitchCase{"INSTALL_MSIDB 1 with a blank", "ProcessInstallDB", "INSTALL_MSIDB", "1 ", kCopyDropped,
                   "INSTALL_MSIDB \"1 \", not \"1\": InstallationDatabase requested absent"},
        SwitchCase{"INSTALL_MSIDB 1", "ProcessInstallDB", "INSTALL_MSIDB", "1", {},
                   "INSTALL_MSIDB \"1\": InstallationDatabase kept"}),
    NamedBySituation());

}  // namespace
