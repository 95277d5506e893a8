// The one way into an action. Whatever the action raises, std::bad_alloc included, ends here:
// nothing crosses the DLL boundary, and the installer gets the result the action's contract
// names for a failure.
#pragma once

#include <cstdint>

#include "platform.h"
#include "session.h"

namespace orv {

struct ActionContext {
    ActionContext(Platform& platform, MsiHandle handle) : os(platform), session(platform, handle) {}
    Platform& os;
    Session session;
};

using ActionBody = std::uint32_t (*)(ActionContext&);

std::uint32_t runAction(Platform& os, MsiHandle handle, ActionBody body, std::uint32_t resultWhenRaised) noexcept;

}  // namespace orv
