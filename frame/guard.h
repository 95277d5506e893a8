// The one way into an action. Whatever the action raises, std::bad_alloc included, ends here:
// nothing crosses the DLL boundary, and the installer gets the result the action's contract
// names for a failure. The platform object, the session and the log are made inside the guard
// too, so that nothing the action relies on can fail outside it.
#pragma once

#include <cstdint>

#include "log.h"
#include "platform.h"
#include "result.h"
#include "session.h"

namespace orv {

// Which export runs: the prefix of its log lines.
struct ActionName {
    const char* library;
    const char* action;
};

struct ActionContext {
    ActionContext(Platform& platform, MsiHandle handle, const ActionName& name)
        : os(platform), session(platform, handle), log(platform, handle, name.library, name.action) {}
    Platform& os;
    Session session;
    ActionLog log;
};

using ActionBody = ActionResult (*)(ActionContext&);

// `platformOf` gives the platform; it is called inside the guard.
template <typename PlatformOf>
std::uint32_t runAction(PlatformOf&& platformOf, const ActionName& name, MsiHandle handle, ActionBody body,
                        ActionResult resultWhenRaised) noexcept {
    try {
        Platform& os = platformOf();
        ActionContext context(os, handle, name);
        return toInstallerCode(body(context));
    } catch (...) {
        return toInstallerCode(resultWhenRaised);
    }
}

}  // namespace orv
