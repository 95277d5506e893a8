// Reading the installation: properties through the 260-character buffer, property writes, and
// feature and component states with the tests the actions make on them.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "frame/session.h"
#include "sim/machine.h"

namespace {

struct PropertyCase {
    const char* situation;
    std::size_t valueLength;  // 0: the property is not set at all
    std::uint32_t result;
    std::uint32_t length;
    bool isSet;
};

class PropertyRead : public ::testing::TestWithParam<PropertyCase> {};

// A value is read whole up to 259 characters; from 260 on the read fails and nothing of the
// value is handed out cut short.
TEST_P(PropertyRead, FollowsTheBufferContract) {
    const PropertyCase& c = GetParam();
    sim::Machine machine;
    const std::string value(c.valueLength, 'v');
    if (c.valueLength > 0) machine.session.properties["P"] = value;
    orv::Session session(machine, machine.session.handle);

    const orv::PropertyRead read = session.read("P");

    EXPECT_EQ(read.result, c.result);
    EXPECT_EQ(read.length, c.length);
    EXPECT_EQ(read.isSet(), c.isSet);
    EXPECT_EQ(read.text, c.result == orv::kSuccess ? value : std::string());
}

INSTANTIATE_TEST_SUITE_P(Frame, PropertyRead,
                         ::testing::Values(PropertyCase{"unset", 0, orv::kSuccess, 0, false},
                                           PropertyCase{"one character", 1, orv::kSuccess, 1, true},
                                           PropertyCase{"259 characters", 259, orv::kSuccess, 259, true},
                                           PropertyCase{"260 characters", 260, orv::kErrorMoreData, 0, false},
                                           PropertyCase{"4000 characters", 4000, orv::kErrorMoreData, 0, false}));

// A read after a long value must not see that value's leftovers in the shared buffer.
TEST(PropertyReadBuffer, EachReadStartsFromAFreshBuffer) {
    sim::Machine machine;
    machine.session.terminatesValues = false;  // a short value then ends only where the buffer is clean
    machine.session.properties["LONG"] = std::string(259, 'x');
    machine.session.properties["SHORT"] = "ab";
    orv::Session session(machine, machine.session.handle);

    EXPECT_EQ(session.read("LONG").length, 259u);
    EXPECT_EQ(session.read("SHORT").text, "ab");
    EXPECT_EQ(session.read("UNSET").text, "");
}

// The ready dialog's small read: a capacity of 3 holds two characters.
TEST(PropertyReadBuffer, SmallerCapacityFailsOnAValueThatDoesNotFit) {
    sim::Machine machine;
    machine.session.properties["InstallMsgCount"] = "99";
    orv::Session session(machine, machine.session.handle);
    EXPECT_EQ(session.readWithCapacity("InstallMsgCount", 3).text, "99");

    machine.session.properties["InstallMsgCount"] = "100";
    EXPECT_EQ(session.readWithCapacity("InstallMsgCount", 3).result, orv::kErrorMoreData);
}

// An installer that reports a length its buffer does not hold is not believed.
class LyingInstaller : public sim::Machine {
public:
    std::uint32_t msiGetProperty(orv::MsiHandle, const char*, char* buffer, std::uint32_t* length) override {
        for (std::uint32_t i = 0; i < *length; ++i) buffer[i] = 'z';  // no terminating NUL
        *length = 5;
        return orv::kSuccess;
    }
};

TEST(PropertyReadBuffer, AnUnterminatedBufferCountsAsAValueThatDoesNotFit) {
    LyingInstaller machine;
    orv::Session session(machine, machine.session.handle);
    const orv::PropertyRead read = session.read("P");
    EXPECT_EQ(read.result, orv::kErrorMoreData);
    EXPECT_EQ(read.text, "");
}

TEST(PropertyWrite, EmptyTextAndRemovalBothLeaveThePropertyUnset) {
    sim::Machine machine;
    orv::Session session(machine, machine.session.handle);
    session.write("A", "1");
    session.write("B", "1");
    EXPECT_EQ(machine.session.property("A"), "1");

    session.write("A", "");
    session.remove("B");

    EXPECT_FALSE(machine.session.hasProperty("A"));
    EXPECT_FALSE(machine.session.hasProperty("B"));
}

struct StatesCase {
    orv::InstallState installed;
    orv::InstallState action;
    // requestedLocal, installedLocal, isLocal, beingRemoved, isWanted, beingReinstalled, stayingInstalled,
    // installedAbsent
    std::array<bool, 8> tests;
};

// Every test on a feature's two states, over the pairs the installer reports; a failed query
// passes none of them.
TEST(StateQuery, TestsOverInstalledAndActionPairs) {
    constexpr orv::InstallState kAbsent = orv::kStateAbsent, kLocal = orv::kStateLocal,
                                kSource = orv::kStateSource, kNone = orv::kStateUnknown;
    const StatesCase cases[] = {
        {kAbsent, kLocal, {true, false, true, false, true, false, false, true}},    // fresh install
        {kAbsent, kNone, {false, false, false, false, false, false, false, true}},  // not chosen
        {kAbsent, kAbsent, {false, false, false, false, false, false, false, true}},
        {kAbsent, kSource, {false, false, false, false, false, false, false, true}},
        {kLocal, kNone, {false, true, true, false, true, false, true, false}},    // installed, left alone
        {kLocal, kLocal, {true, true, true, false, true, true, false, false}},    // repair or reinstall
        {kLocal, kAbsent, {false, true, true, true, false, false, false, false}},  // being removed
        {kLocal, kSource, {false, true, true, false, true, false, false, false}},  // moved to run from source
        {kSource, kLocal, {true, false, true, false, true, false, false, false}},
        {kNone, kNone, {false, false, false, false, false, false, false, false}},
    };
    for (const StatesCase& c : cases) {
        SCOPED_TRACE("installed " + std::to_string(c.installed) + ", action " + std::to_string(c.action));
        const orv::StateQuery q{orv::kSuccess, c.installed, c.action};
        const std::array<bool, 8> got = {q.requestedLocal(), q.installedLocal(),   q.isLocal(),
                                         q.beingRemoved(),   q.isWanted(),         q.beingReinstalled(),
                                         q.stayingInstalled(), q.installedAbsent()};
        EXPECT_EQ(got, c.tests);
        const orv::StateQuery failed{orv::kErrorUnknownFeature, c.installed, c.action};
        EXPECT_EQ((std::array<bool, 8>{failed.requestedLocal(), failed.installedLocal(), failed.isLocal(),
                                       failed.beingRemoved(), failed.isWanted(), failed.beingReinstalled(),
                                       failed.stayingInstalled(), failed.installedAbsent()}),
                  (std::array<bool, 8>{}));
    }
}

TEST(StateQuery, UnknownFeatureOrComponentReportsTheInstallersError) {
    sim::Machine machine;
    machine.session.features["Known"] = {orv::kStateAbsent, orv::kStateLocal};
    orv::Session session(machine, machine.session.handle);

    EXPECT_TRUE(session.featureState("Known").requestedLocal());
    EXPECT_EQ(session.featureState("Missing").result, orv::kErrorUnknownFeature);
    EXPECT_FALSE(session.featureState("Missing").requestedLocal());
    EXPECT_EQ(session.componentState("Missing").result, orv::kErrorUnknownComponent);
}

}  // namespace
