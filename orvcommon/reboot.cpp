// The reboot decision: a forced restart whenever this installation lays down something that
// only takes effect after one. Each reason is weighed on its own; REBOOT is only ever set to
// "Force", never cleared.
#include <string>

#include "actions.h"

namespace orvcommon {

namespace {

void forceReboot(orv::ActionContext& context, const char* reason) {
    context.session.write("REBOOT", "Force");
    context.log.write(std::string("REBOOT set to Force: ") + reason);
}

// Windows 9x cannot replace the main program's files in use without a restart.
bool mainProgramOn9x(orv::Session& session) {
    return session.featureState("MainProgramFiles").requestedLocal() && session.read("Version9X").isSet();
}

}  // namespace

orv::ActionResult setReboot(orv::ActionContext& context) {
    orv::Session& session = context.session;
    bool forced = false;
    const auto weigh = [&](bool applies, const char* reason) {
        if (!applies) return;
        forceReboot(context, reason);
        forced = true;
    };
    weigh(mainProgramOn9x(session), "MainProgramFiles requested local on Windows 9x");
    weigh(session.featureState("CORBASupport").requestedLocal(), "CORBASupport requested local");
    weigh(session.featureState("CORBASupport_HY4").requestedLocal(), "CORBASupport_HY4 requested local");
    weigh(session.read("INSTALL_MDAC").isSet(), "INSTALL_MDAC is set");
    if (!forced) context.log.write("no reason for a restart: REBOOT left as it was");
    return orv::ActionResult::Success;
}

}  // namespace orvcommon
