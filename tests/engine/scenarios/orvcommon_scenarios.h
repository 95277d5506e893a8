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

// OrvCreateCfg after CostFinalize on an installation folder seeded with bin and, if asked,
// aspx\framework: the two folders its configuration files go to.
Scenario createConfig(const Engine& engine, bool frameworkFolderPresent);
// `relative` below the installation folder of a createConfig() scenario.
std::string installedPath(const Scenario& scenario, const std::string& relative);

// The key the .NET Framework registers its folders under, in the 64-bit view a 64-bit DLL reads.
inline constexpr const char* kFrameworkKey = "Software\\Microsoft\\.NETFramework";
inline constexpr const char* kSdkFolder = "C:\\DotNet\\SDK\\v1.1\\";
inline constexpr const char* kFrameworkFolder = "C:\\DotNet\\Framework\\";

// CheckDotNetSDK after CostFinalize with the values given; the probe reports the two folders.
Scenario checkDotNetSdk(const Engine& engine, std::vector<RegistrySeed> values);

// SetDotNetDirProp run from C:\Media\Disk1, where ResolveSource (which the action calls) puts
// SourceDir; the SDK's setup program is looked for in C:\Media\dotnetsdk.
inline constexpr const char* kMediaSource = "C:\\Media\\Disk1";
inline constexpr const char* kSdkSetup = "C:\\Media\\dotnetsdk\\setup.exe";
Scenario setDotNetDirProp(const Engine& engine, bool sdkFound);

// ShowDotNetRequiredMsg after CostFinalize, with the boxes traced.
Scenario showDotNetRequired(const Engine& engine, UiLevel uiLevel);

std::vector<DemoScenario> demos(const Engine& engine);

}  // namespace engine::orvcommon
