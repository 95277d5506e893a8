// Packages for OrvCommon's actions, shared by the engine tests and the demo. A later library
// adds a file like this one and its entry in demo/engine_demo.cpp.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "demo_scenario.h"
#include "engine.h"

namespace engine::orvcommon {

inline constexpr const char* kLibrary = "OrvCommon";
inline const std::vector<std::string> kRebootFeatures = {"MainProgramFiles", "CORBASupport", "CORBASupport_HY4"};

// OrvSetReboot right after CostFinalize, where requested feature states are known; the probe
// reports REBOOT and the conditions it depends on.
Scenario setReboot(const Engine& engine, const std::vector<FeatureDesign>& features,
                   const std::map<std::string, std::string>& properties);

// CopyInstallDB run from C:\source. After InstallFinalize INSTALLDIR exists, and SourceDir is
// set (the engine resolves the source while installing); after CostFinalize SourceDir is set
// only if ResolveSource runs first.
Scenario copyInstallDb(const Engine& engine, Stage stage, bool resolveSource);

// Where CopyInstallDB should leave the package of a copyInstallDb() scenario.
std::string installedPackagePath(const Scenario& scenario);

std::vector<DemoScenario> demos(const Engine& engine);

}  // namespace engine::orvcommon
