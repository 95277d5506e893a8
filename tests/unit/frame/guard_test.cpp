// The guard around every export: nothing raised leaves it, and the result is the action's own.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

#include "frame/registry.h"
#include "frame/text.h"
#include "run_body.h"

namespace {

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
