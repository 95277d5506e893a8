// OrvCommon's actions, each run by its export inside the guard.
#pragma once

#include <cstdint>

#include "frame/guard.h"

namespace orvcommon {

orv::ActionResult createCompilerConfig(orv::ActionContext& context);
orv::ActionResult setReboot(orv::ActionContext& context);
orv::ActionResult copyInstallDatabase(orv::ActionContext& context);
orv::ActionResult checkDotNetSdk(orv::ActionContext& context);
orv::ActionResult setDotNetDirProperty(orv::ActionContext& context);
orv::ActionResult showDotNetRequiredMessage(orv::ActionContext& context);

}  // namespace orvcommon
