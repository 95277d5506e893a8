#pragma once

#include "../platform.h"

namespace orv {

// The real Windows behind the seam, for the DLL this is linked into.
Platform& win32Platform();

}  // namespace orv
