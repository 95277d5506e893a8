// The installer-log lines: hidden property values masked, long lines cut, failures harmless.
#include <gtest/gtest.h>

#include <new>
#include <optional>
#include <string>

#include "frame/log.h"
#include "run_body.h"

namespace {

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

}  // namespace
