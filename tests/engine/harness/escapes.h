// C-style escapes as the probe's report and Wine's debug traces write them: \n, \r, \t, \\, \"
// and \xNN for a byte. (Wine's registry files differ: their \x carries a UTF-16 unit.)
#pragma once

#include <string>

namespace engine {

std::string unescapeC(const std::string& text);

}  // namespace engine
