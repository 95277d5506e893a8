// OrvRegistry's actions, each run by its export inside the guard.
#pragma once

#include "frame/guard.h"

namespace orvregistry {

orv::ActionResult updateTransferKey(orv::ActionContext& context);
orv::ActionResult bumpSharedUseCount(orv::ActionContext& context);
orv::ActionResult setLocalSharedRoot(orv::ActionContext& context);
orv::ActionResult resetKrnAccessDriver(orv::ActionContext& context);
orv::ActionResult registerHalOrb(orv::ActionContext& context);
orv::ActionResult registerLattice(orv::ActionContext& context);
orv::ActionResult addNetProbeRegEntry(orv::ActionContext& context);
orv::ActionResult registerOfficeControls(orv::ActionContext& context);
orv::ActionResult updateLibraryPath(orv::ActionContext& context);

}  // namespace orvregistry
