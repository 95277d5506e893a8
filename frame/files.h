// File tests the actions share.
#pragma once

#include <string>

#include "platform.h"

namespace orv {

// True for an existing file; a folder of that name is not one.
bool fileExists(Platform& os, const std::string& path);

}  // namespace orv
