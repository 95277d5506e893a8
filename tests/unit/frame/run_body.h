// Runs a body of the test's own as an export of a library named OrvTest, inside the guard.
#pragma once

#include <functional>

#include "frame/guard.h"
#include "sim/machine.h"

namespace {

inline const orv::ActionName kTestAction{"OrvTest", "Action"};

// Runs `body` as an export of a library named OrvTest would run.
template <typename Body>
inline std::uint32_t runBody(sim::Machine& machine, Body body, orv::ActionResult resultWhenRaised = orv::ActionResult::Success) {
    static std::function<orv::ActionResult(orv::ActionContext&)> stored;
    stored = body;
    return orv::runAction([&machine]() -> orv::Platform& { return machine; }, kTestAction, machine.session.handle,
                          [](orv::ActionContext& context) { return stored(context); }, resultWhenRaised);
}

}  // namespace
