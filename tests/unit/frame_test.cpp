// The frame every library shares: property reads through the 260-character buffer, path
// helpers, number conversions, the registry object, messages and the action guard.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

#include "frame/exports.h"
#include "frame/guard.h"
#include "frame/messages.h"
#include "frame/registry.h"
#include "frame/session.h"
#include "frame/text.h"
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

TEST(StateQuery, UnknownFeatureOrComponentReportsTheInstallersError) {
    sim::Machine machine;
    machine.session.features["Known"] = {orv::kStateAbsent, orv::kStateLocal};
    orv::Session session(machine, machine.session.handle);

    EXPECT_TRUE(session.featureState("Known").requestedLocal());
    EXPECT_EQ(session.featureState("Missing").result, orv::kErrorUnknownFeature);
    EXPECT_FALSE(session.featureState("Missing").requestedLocal());
    EXPECT_EQ(session.componentState("Missing").result, orv::kErrorUnknownComponent);
}

TEST(Paths, TrailingBackslash) {
    struct Case {
        const char* input;
        const char* ensured;
        const char* stripped;
    };
    for (const Case& c : {Case{"", "", ""}, Case{"C:\\Prog", "C:\\Prog\\", "C:\\Prog"},
                          Case{"C:\\Prog\\", "C:\\Prog\\", "C:\\Prog"}, Case{"C:\\Prog\\\\", "C:\\Prog\\\\", "C:\\Prog\\"},
                          Case{"\\", "\\", ""}}) {
        EXPECT_EQ(orv::ensureTrailingBackslash(c.input), c.ensured) << c.input;
        EXPECT_EQ(orv::stripTrailingBackslash(c.input), c.stripped) << c.input;
    }
}

TEST(Conversion, WholeSignedDecimalTextOnly) {
    EXPECT_EQ(orv::parseInteger("0"), 0);
    EXPECT_EQ(orv::parseInteger("42"), 42);
    EXPECT_EQ(orv::parseInteger("-7"), -7);
    EXPECT_EQ(orv::parseInteger("+3"), 3);
    EXPECT_EQ(orv::parseInteger("2147483647"), 2147483647);
    EXPECT_EQ(orv::parseInteger("-2147483648"), -2147483647 - 1);
    for (const char* bad : {"", "-", " 1", "1 ", "1.3", "3a", "0x10", "2147483648", "99999999999999999999"})
        EXPECT_THROW(orv::parseInteger(bad), orv::ConversionError) << '"' << bad << '"';
    EXPECT_EQ(orv::formatInteger(-12), "-12");
}

TEST(Conversion, ProfileIntegersAreDecimalOrHexadecimalWholeTexts) {
    struct Case {
        const char* text;
        std::int32_t value;
    };
    for (const Case& c : {Case{"3", 3}, Case{"0x2", 2}, Case{"0X1f", 31}, Case{"$10", 16}, Case{"-4", -4},
                          Case{"$FFFFFFFF", -1}, Case{"2147483647", 2147483647}, Case{"-2147483648", -2147483647 - 1},
                          Case{"", -9}, Case{"x", -9}, Case{"3a", -9}, Case{"0x", -9}, Case{"$", -9}, Case{" 3", -9},
                          Case{"0x-1", -9}, Case{"2147483648", -9}, Case{"0x100000000", -9}})
        EXPECT_EQ(orv::profileInteger(c.text, -9), c.value) << '"' << c.text << '"';
}

TEST(Conversion, LeadingIntegerReadsAsAtoiDoes) {
    struct Case {
        const char* text;
        std::int32_t value;
    };
    for (const Case& c : {Case{"", 0}, Case{"x2", 0}, Case{"99", 99}, Case{"2x", 2}, Case{" 7", 7}, Case{"-1", -1},
                          Case{"+5", 5}, Case{"-", 0}, Case{"99999999999", 2147483647}, Case{"-99999999999", -2147483647 - 1}})
        EXPECT_EQ(orv::leadingInteger(c.text), c.value) << '"' << c.text << '"';
}

// ----- registry object -------------------------------------------------------------------------

TEST(RegistryObject, OpensOnlyExistingKeysUnlessAskedToCreate) {
    sim::Machine machine;
    orv::Registry registry(machine);

    EXPECT_FALSE(registry.keyExists("Software\\Orvanta\\X"));
    EXPECT_FALSE(registry.openKey("Software\\Orvanta\\X", false));
    EXPECT_TRUE(registry.openKey("Software\\Orvanta\\X\\Y", true));
    EXPECT_TRUE(registry.keyExists("SOFTWARE\\orvanta\\x"));
    EXPECT_TRUE(machine.hklm.exists("Software\\Orvanta\\X\\Y"));
}

// A path written from the root, with a leading backslash, names the same key.
TEST(RegistryObject, ALeadingBackslashMeansFromTheRoot) {
    sim::Machine machine;
    machine.hklm.ensure("Software\\Granary Corp");
    orv::Registry registry(machine);
    EXPECT_TRUE(registry.keyExists("\\Software\\Granary Corp"));
    EXPECT_TRUE(registry.openKey("\\Software\\New", true));
    EXPECT_TRUE(machine.hklm.exists("Software\\New"));
}

TEST(RegistryObject, ReadsStringsAndRaisesOnOtherTypes) {
    sim::Machine machine;
    machine.hklm.setString("Software\\K", "Text", "hello");
    machine.hklm.setValue("Software\\K", "Expand", orv::kRegExpandSz, std::string("%WINDIR%\0", 9));
    machine.hklm.setValue("Software\\K", "NoNul", orv::kRegSz, "abc");  // written without its NUL
    machine.hklm.setDword("Software\\K", "Number", 5);
    machine.hklm.setValue("Software\\K", "Multi", orv::kRegMultiSz, std::string("a\0b\0\0", 5));
    orv::Registry registry(machine);
    ASSERT_TRUE(registry.openKey("Software\\K", false));

    EXPECT_EQ(registry.readString("text"), "hello");
    EXPECT_EQ(registry.readString("Expand"), "%WINDIR%");
    EXPECT_EQ(registry.readString("NoNul"), "abc");
    EXPECT_EQ(registry.readString("Missing"), "");
    EXPECT_THROW(registry.readString("Number"), orv::RegistryError);
    EXPECT_THROW(registry.readString("Multi"), orv::RegistryError);
    machine.fail(sim::Op::RegQueryValue, "Software\\K", orv::kErrorAccessDenied);
    EXPECT_THROW(registry.readString("Text"), orv::RegistryError);
}

TEST(RegistryObject, WritesStringValuesAndRaisesWhenRefused) {
    sim::Machine machine;
    orv::Registry registry(machine);
    ASSERT_TRUE(registry.openKey("Software\\K", true));
    registry.writeString("UseCount", "3");
    EXPECT_EQ(machine.hklm.value("Software\\K", "UseCount")->type, orv::kRegSz);
    EXPECT_EQ(machine.hklm.string("Software\\K", "usecount"), "3");

    machine.fail(sim::Op::RegSetValue, "Software\\K", orv::kErrorAccessDenied);
    EXPECT_THROW(registry.writeString("UseCount", "4"), orv::RegistryError);
    registry.closeKey();
    EXPECT_THROW(registry.writeString("UseCount", "4"), orv::RegistryError);
}

TEST(RegistryObject, ListsValueNamesInOrder) {
    sim::Machine machine;
    machine.hklm.setString("Software\\K", "B", "1");
    machine.hklm.setString("Software\\K", "A", "2");
    orv::Registry registry(machine);
    ASSERT_TRUE(registry.openKey("Software\\K", false));
    EXPECT_EQ(registry.valueNames(), (std::vector<std::string>{"B", "A"}));
}

// One key at a time, and none left open behind the object.
TEST(RegistryObject, ClosesEveryKeyItOpened) {
    sim::Machine machine;
    machine.hklm.ensure("Software\\A");
    machine.hklm.ensure("Software\\B");
    {
        orv::Registry registry(machine);
        ASSERT_TRUE(registry.openKey("Software\\A", false));
        ASSERT_TRUE(registry.openKey("Software\\B", false));
        EXPECT_EQ(machine.openKeys(), 1u);
        EXPECT_TRUE(registry.keyExists("Software\\A"));
        EXPECT_TRUE(registry.createKey("Software\\C"));
        EXPECT_EQ(machine.openKeys(), 1u);
    }
    EXPECT_EQ(machine.openKeys(), 0u);
}

TEST(RegistryObject, KeysThatRefuseToOpenOrBeCreated) {
    sim::Machine machine;
    machine.hklm.ensure("Software\\Locked");
    machine.fail(sim::Op::RegOpenKey, "Software\\Locked", orv::kErrorAccessDenied);
    machine.fail(sim::Op::RegCreateKey, "Software\\New", orv::kErrorAccessDenied);
    orv::Registry registry(machine);

    EXPECT_FALSE(registry.openKey("Software\\Locked", false));
    EXPECT_FALSE(registry.openKey("Software\\Locked", true));
    EXPECT_FALSE(registry.createKey("Software\\New"));
    EXPECT_FALSE(machine.hklm.exists("Software\\New"));
}

// ----- messages and the guard --------------------------------------------------------------------

TEST(Messages, TextsComeFromTheLibrarysTableAndMissingIdsShowEmpty) {
    static const orv::StringEntry table[] = {{102, "Warning"}, {107, "Line one\nline two"}};
    sim::Machine machine;
    machine.strings = table;
    machine.answers = {orv::kIdNo};

    EXPECT_EQ(orv::showMessage(machine, 102, 107, orv::kMbTopmost | orv::kMbIconQuestion | orv::kMbYesNo), orv::kIdNo);
    orv::showMessage(machine, 999, 102, orv::kMbOk);
    orv::showMessage(machine, 102, 998, orv::kMbOk);

    ASSERT_EQ(machine.messageBoxes.size(), 3u);
    EXPECT_EQ(machine.messageBoxes[0], (sim::MessageBoxShown{"Line one\nline two", "Warning", 0x40024}));
    EXPECT_EQ(machine.messageBoxes[1], (sim::MessageBoxShown{"Warning", "", 0}));
    EXPECT_EQ(machine.messageBoxes[2], (sim::MessageBoxShown{"", "Warning", 0}));
}

template <typename Raise>
std::uint32_t guardedResult(Raise raise, std::uint32_t resultWhenRaised) {
    static Raise stored;
    stored = raise;
    sim::Machine machine;
    return orv::runAction(
        machine, machine.session.handle,
        [](orv::ActionContext&) -> std::uint32_t {
            stored();
            return orv::kSuccess;
        },
        resultWhenRaised);
}

// Whatever an action raises stays inside the guard, which answers with the action's result.
TEST(ActionGuard, NothingRaisedEscapes) {
    using Raise = void (*)();
    const Raise raises[] = {
        [] { throw std::bad_alloc(); },
        [] { throw orv::RegistryError("registry"); },
        [] { throw orv::ConversionError("conversion"); },
        [] { throw std::runtime_error("runtime"); },
        [] { throw std::out_of_range("range"); },
        [] { throw 42; },
        [] { throw "text"; },
    };
    for (Raise raise : raises) {
        EXPECT_EQ(guardedResult(raise, orv::kSuccess), orv::kSuccess);
        EXPECT_EQ(guardedResult(raise, orv::kErrorInstallFailure), orv::kErrorInstallFailure);
    }
}

TEST(ActionGuard, PassesTheActionsOwnResultThrough) {
    sim::Machine machine;
    const auto fails = [](orv::ActionContext&) -> std::uint32_t { return orv::kErrorInstallFailure; };
    EXPECT_EQ(orv::runAction(machine, machine.session.handle, fails, orv::kSuccess), orv::kErrorInstallFailure);
}

TEST(ActionGuard, TheActionSeesTheInstallersHandle) {
    sim::Machine machine;
    machine.session.handle = 77;
    const auto writes = [](orv::ActionContext& context) -> std::uint32_t {
        context.session.write("SEEN", std::to_string(context.session.handle()));
        return orv::kSuccess;
    };
    orv::runAction(machine, 77, writes, orv::kSuccess);
    EXPECT_EQ(machine.session.property("SEEN"), "77");
}

}  // namespace
