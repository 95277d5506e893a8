// OrvCommon's actions, each run by its export inside the guard.
#pragma once

#include <cstdint>

#include "frame/guard.h"

namespace orvcommon {

std::uint32_t setReboot(orv::ActionContext& context);
std::uint32_t copyInstallDatabase(orv::ActionContext& context);

}  // namespace orvcommon
