// A scenario as the demo shows it to a package author: what it sets up, and which registry
// values and files to report before and after the run.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "engine.h"

namespace engine {

struct DemoScenario {
    std::string library;
    std::string title;
    Scenario scenario;
    std::vector<std::pair<std::string, std::string>> watchedValues;  // HKLM key, value name
};

}  // namespace engine
