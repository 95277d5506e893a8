// Q6Uninst's export on the simulated machine.
#pragma once

#include "Q6Uninst_library.h"
#include "action_run.h"

namespace {

using namespace unit;

inline std::uint32_t run(sim::Machine& machine, const char* exportName) {
    return unit::runExport(machine, q6uninst::exports, q6uninst::strings, exportName);
}

}  // namespace
