// OrvFinalize's exports on the simulated machine.
#pragma once

#include "OrvFinalize_library.h"
#include "action_run.h"

namespace {

using namespace unit;

inline std::uint32_t run(sim::Machine& machine, const char* exportName) {
    return unit::runExport(machine, orvfinalize::exports, orvfinalize::strings, exportName);
}

inline std::string text(std::uint32_t id) { return unit::textOf(orvfinalize::strings, id); }

}  // namespace
