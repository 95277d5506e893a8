// OrvFinalize's actions, each run by its export inside the guard.
#pragma once

#include <cstdint>

#include "frame/guard.h"

namespace orvfinalize {

orv::ActionResult processFilesForDotNet(orv::ActionContext& context);

}  // namespace orvfinalize
