// OrvDialog's exports on the simulated machine.
#pragma once

#include "OrvDialog_library.h"
#include "action_run.h"

namespace {

using namespace unit;

inline std::uint32_t run(sim::Machine& machine, const char* exportName) {
    return unit::runExport(machine, orvdialog::exports, orvdialog::strings, exportName);
}

inline std::string text(std::uint32_t id) { return unit::textOf(orvdialog::strings, id); }

}  // namespace
