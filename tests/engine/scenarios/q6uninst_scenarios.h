// Packages for Q6Uninst's action, shared by the engine tests and the demo: the preview product's
// root folder in the registry, its uninstall list, and files inside and outside that folder.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "demo_scenario.h"
#include "engine.h"

namespace engine::q6uninst {

inline constexpr const char* kLibrary = "Q6Uninst";
inline constexpr const char* kProductKey = "Software\\Orvanta\\Quillon for .NET Preview\\1.0";
inline constexpr const char* kRoot = "C:\\Quillon\\Preview";
inline constexpr const char* kOutside = "C:\\Quillon";  // the root's parent, where ".." leads

// The uninstall list's [Program] section: Count, then the keys in the order given.
struct UninstallList {
    std::string count;
    std::vector<std::pair<std::string, std::string>> entries;
};

// Below the root; a relative path such as "bin\\a.dll".
std::string inRoot(const std::string& relative);

// OrvRemoveExtraFiles after CostFinalize, with RootDir set to kRoot, the list in the root and
// every file of `files` (Windows paths) present before the run.
Scenario removeExtraFiles(const Engine& engine, const UninstallList& list, const std::vector<std::string>& files);

std::vector<DemoScenario> demos(const Engine& engine);

}  // namespace engine::q6uninst
