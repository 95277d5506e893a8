// The reboot decision: a forced restart whenever this installation lays down something that
// only takes effect after one. Each reason is weighed on its own; REBOOT is only ever set to
// "Force", never cleared.
#include "actions.h"

namespace orvcommon {

namespace {

void forceReboot(orv::Session& session) { session.write("REBOOT", "Force"); }

// Windows 9x cannot replace the main program's files in use without a restart.
bool mainProgramOn9x(orv::Session& session) {
    return session.featureState("MainProgramFiles").requestedLocal() && session.read("Version9X").isSet();
}

}  // namespace

orv::ActionResult setReboot(orv::ActionContext& context) {
    orv::Session& session = context.session;
    if (mainProgramOn9x(session)) forceReboot(session);
    if (session.featureState("CORBASupport").requestedLocal()) forceReboot(session);
    if (session.featureState("CORBASupport_HY4").requestedLocal()) forceReboot(session);
    if (session.read("INSTALL_MDAC").isSet()) forceReboot(session);
    return orv::ActionResult::Success;
}

}  // namespace orvcommon
