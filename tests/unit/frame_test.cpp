// The frame every library shares: property reads through the 260-character buffer, path
// helpers, number conversions, the registry object, messages and the action guard.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <optional>
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

// ----- messages, the log and the guard -----------------------------------------------------------

const orv::ActionName kTestAction{"OrvTest", "Action"};

// Runs `body` as an export of a library named OrvTest would run.
template <typename Body>
std::uint32_t runBody(sim::Machine& machine, Body body, orv::ActionResult resultWhenRaised = orv::ActionResult::Success) {
    static std::function<orv::ActionResult(orv::ActionContext&)> stored;
    stored = body;
    return orv::runAction([&machine]() -> orv::Platform& { return machine; }, kTestAction, machine.session.handle,
                          [](orv::ActionContext& context) { return stored(context); }, resultWhenRaised);
}

TEST(Messages, TextsComeFromTheLibrarysTableAndMissingIdsShowEmpty) {
    static const orv::StringEntry table[] = {{102, "Warning"}, {107, "Line one\nline two"}};
    sim::Machine machine;
    machine.strings = table;
    machine.answers = {orv::kIdNo};
    int answer = 0;

    runBody(machine, [&answer](orv::ActionContext& context) {
        answer = orv::showMessage(context, 102, 107, orv::kMbTopmost | orv::kMbIconQuestion | orv::kMbYesNo);
        orv::showMessage(context, 999, 102, orv::kMbOk);
        orv::showMessage(context, 102, 998, orv::kMbOk);
        return orv::ActionResult::Success;
    });

    EXPECT_EQ(answer, orv::kIdNo);
    ASSERT_EQ(machine.messageBoxes.size(), 3u);
    EXPECT_EQ(machine.messageBoxes[0], (sim::MessageBoxShown{"Line one\nline two", "Warning", 0x40024}));
    EXPECT_EQ(machine.messageBoxes[1], (sim::MessageBoxShown{"Warning", "", 0}));
    EXPECT_EQ(machine.messageBoxes[2], (sim::MessageBoxShown{"", "Warning", 0}));
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
        machine.strings = table;
        if (c.level)
            machine.session.properties["UILevel"] = *c.level;
        else
            machine.fail(sim::Op::GetProperty, "UILevel");
        machine.answers = {orv::kIdYes};
        int answer = -5;

        runBody(machine, [&answer, style](orv::ActionContext& context) {
            answer = orv::showMessage(context, 1, 2, style);
            return orv::ActionResult::Success;
        });

        EXPECT_EQ(machine.messageBoxes.size(), c.shown ? 1u : 0u);
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

struct HiddenCase {
    const char* situation;
    std::optional<std::string> hiddenList;  // nullopt: the list cannot be read
    bool hidden;
};

class LoggedValue : public ::testing::TestWithParam<HiddenCase> {};

// A property the package names in MsiHiddenProperties never has its value in the log, however
// long or oddly written the list, and a list that cannot be read hides every value.
TEST_P(LoggedValue, IsMaskedWhenThePackageHidesTheProperty) {
    const HiddenCase& c = GetParam();
    sim::Machine machine;
    if (c.hiddenList)
        machine.session.properties["MsiHiddenProperties"] = *c.hiddenList;
    else
        machine.fail(sim::Op::GetProperty, "MsiHiddenProperties", 1627);

    runBody(machine, [](orv::ActionContext& context) {
        context.log.write("PASSWORD is " + context.log.value("PASSWORD", "s3cret"));
        return orv::ActionResult::Success;
    });

    ASSERT_EQ(machine.session.log.size(), 1u);
    EXPECT_EQ(machine.session.log[0], c.hidden ? "OrvTest.Action: PASSWORD is **********"
                                               : "OrvTest.Action: PASSWORD is \"s3cret\"");
}

INSTANTIATE_TEST_SUITE_P(
    Frame, LoggedValue,
    ::testing::Values(HiddenCase{"no list", std::string(), false}, HiddenCase{"named alone", "PASSWORD", true},
                      HiddenCase{"named among others", "A;PASSWORD;B", true},
                      HiddenCase{"empty entries around it", ";;PASSWORD;;", true},
                      HiddenCase{"named last in 300 characters", std::string(291, 'X') + ";PASSWORD", true},
                      HiddenCase{"named last in 70000 characters", std::string(70000, 'X') + ";PASSWORD", true},
                      HiddenCase{"other case is another property", "password", false},
                      HiddenCase{"only a longer name", "PASSWORD2", false},
                      HiddenCase{"unreadable list", std::nullopt, true}));

// A line built from a huge value is cut to the limit, never overrun; a log that refuses the
// line or raises leaves the action's result as it was.
TEST(ActionLog, LongLinesAreCutAndFailuresChangeNothing) {
    sim::Machine machine;
    const auto logsHuge = [](orv::ActionContext& context) {
        context.log.write("value " + context.log.value("P", std::string(70000, 'v')));
        return orv::ActionResult::InstallFailure;
    };
    EXPECT_EQ(runBody(machine, logsHuge), orv::kErrorInstallFailure);
    ASSERT_EQ(machine.session.log.size(), 1u);
    EXPECT_EQ(machine.session.log[0].size(), orv::kLogLineLimit);
    EXPECT_TRUE(machine.session.log[0].ends_with("..."));

    sim::Machine refusing;
    refusing.fail(sim::Op::LogMessage);
    EXPECT_EQ(runBody(refusing, logsHuge), orv::kErrorInstallFailure);
    EXPECT_TRUE(refusing.session.log.empty());

    struct RaisingLog : sim::Machine {
        std::uint32_t msiLogInfo(orv::MsiHandle, const char*) override { throw std::bad_alloc(); }
    } raising;
    EXPECT_EQ(runBody(raising, logsHuge), orv::kErrorInstallFailure);
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
        for (const orv::ActionResult whenRaised : {orv::ActionResult::Success, orv::ActionResult::InstallFailure}) {
            sim::Machine machine;
            const auto raising = [raise](orv::ActionContext&) -> orv::ActionResult {
                raise();
                return orv::ActionResult::Success;
            };
            EXPECT_EQ(runBody(machine, raising, whenRaised), orv::toInstallerCode(whenRaised));
        }
    }
}

// The platform is fetched inside the guard: a platform that cannot be had is a raised failure
// like any other.
TEST(ActionGuard, APlatformThatCannotBeHadStaysInside) {
    const auto noPlatform = []() -> orv::Platform& { throw std::bad_alloc(); };
    const auto body = [](orv::ActionContext&) { return orv::ActionResult::Success; };
    EXPECT_EQ(orv::runAction(noPlatform, kTestAction, 1, body, orv::ActionResult::InstallFailure),
              orv::kErrorInstallFailure);
}

TEST(ActionGuard, PassesTheActionsOwnResultThrough) {
    sim::Machine machine;
    const auto fails = [](orv::ActionContext&) { return orv::ActionResult::InstallFailure; };
    EXPECT_EQ(runBody(machine, fails), orv::kErrorInstallFailure);
}

TEST(ActionGuard, TheActionSeesTheInstallersHandle) {
    sim::Machine machine;
    machine.session.handle = 77;
    runBody(machine, [](orv::ActionContext& context) {
        context.session.write("SEEN", std::to_string(context.session.handle()));
        return orv::ActionResult::Success;
    });
    EXPECT_EQ(machine.session.property("SEEN"), "77");
}

}  // namespace
