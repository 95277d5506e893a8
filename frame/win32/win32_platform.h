#pragma once

#include "../platform.h"

namespace orv {

// The real Windows behind the seam, for the DLL this is linked into. Valid once the DLL is
// attached; the DLL's entry builds it then.
Platform& win32Platform();
void attachWin32Platform() noexcept;

}  // namespace orv
