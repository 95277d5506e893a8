// OrvRegistry's exports on the simulated machine.
#pragma once

#include <map>
#include <string>

#include "OrvRegistry_library.h"
#include "action_run.h"

ORV_UNIT_LIBRARY(orvregistry)

namespace {

// Every string value of a key by name; empty when the key is missing.
inline std::map<std::string, std::string> stringsOf(sim::Machine& machine, const std::string& key) {
    std::map<std::string, std::string> found;
    if (const sim::RegKey* node = machine.hklm.find(key))
        for (const auto& [name, value] : node->values)
            if (auto text = machine.hklm.string(key, name)) found[name] = *text;
    return found;
}

}  // namespace
