// Q6Uninst's action, run by its export inside the guard. It makes no installer call: it reads
// neither property nor state, and writes no log line.
#pragma once

#include <cstdint>

#include "frame/guard.h"

namespace q6uninst {

orv::ActionResult removeExtraFiles(orv::ActionContext& context);

}  // namespace q6uninst
