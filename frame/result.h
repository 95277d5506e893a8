// What an action may hand back to the installer, and nothing else: the installer maps any other
// code to a failed installation, so a stray Win32 code must not be expressible.
#pragma once

#include <cstdint>

namespace orv {

enum class ActionResult : std::uint32_t {
    Success = 0,
    InstallFailure = 1603,
};

constexpr std::uint32_t toInstallerCode(ActionResult result) { return static_cast<std::uint32_t>(result); }

}  // namespace orv
