// OrvDialog's actions, each run by its export inside the guard.
#pragma once

#include <cstdint>

#include "frame/guard.h"

namespace orvdialog {

std::uint32_t setupDestinationDialog(orv::ActionContext& context);
std::uint32_t validatePath(orv::ActionContext& context);
std::uint32_t validateInstallOptions(orv::ActionContext& context);
std::uint32_t setupSqlConfigDialog(orv::ActionContext& context);
std::uint32_t setUseSharedFlag(orv::ActionContext& context);
std::uint32_t setKrnPath(orv::ActionContext& context);
std::uint32_t setupReadyDialog(orv::ActionContext& context);

}  // namespace orvdialog
