// OrvCommon's actions, each run by its export inside the guard.
#pragma once

#include <cstdint>

#include "frame/guard.h"

namespace orvcommon {

orv::ActionResult setReboot(orv::ActionContext& context);
orv::ActionResult copyInstallDatabase(orv::ActionContext& context);

}  // namespace orvcommon
