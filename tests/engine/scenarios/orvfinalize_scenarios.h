// Packages for OrvFinalize's actions, shared by the engine tests and the demo: a framework folder
// with version folders of several kinds, and the compiler's three files in the installation.
#pragma once

#include <string>
#include <vector>

#include "demo_scenario.h"
#include "engine.h"

namespace engine::orvfinalize {

inline constexpr const char* kLibrary = "OrvFinalize";
inline constexpr const char* kFramework = "C:\\DotNet\\Framework";
inline const std::vector<std::string> kFileNames = {"qccasp.exe", "qccil.cfg", "qlink32.dll"};

// Version folders of the seeded framework folder, by what the action must make of them.
inline const std::vector<std::string> kPlainVersions = {"v1.0.3705", "v1.1.4322"};
inline constexpr const char* kReadOnlyVersion = "v2.0 read-only";
inline constexpr const char* kFileEntry = "readme.txt";

std::string versionFolder(const std::string& name);  // below kFramework
std::string sourceFile(const Scenario& scenario, const std::string& name);  // INSTALLDIR\aspx\framework\<name>

// ProcessFilesForDotNet after CostFinalize with DOTNETFRAMEWORK_PATH set: the framework folder
// holds the plain version folders (one with a file of the framework's own), a read-only one and
// a file; INSTALLDIR\aspx\framework holds the three files.
Scenario frameworkFiles(const Engine& engine);

// Another framework folder, with the three files in a plain version folder: what
// DOTNETFRAMEWORK_PATH names in the scenario where CustomActionData names kFramework.
inline constexpr const char* kOtherFramework = "C:\\DotNet\\Other";
inline constexpr const char* kOtherVersion = "v9.9";

// The same layout with the three files already in every version folder, RollbackCopiedFiles as a
// rollback action after InstallInitialize, handed "[DOTNETFRAMEWORK_PATH]|[INSTALLDIR]" as its
// CustomActionData, and a deferred step after it that fails the script. With
// `propertyElsewhere`, DOTNETFRAMEWORK_PATH names kOtherFramework and the data names kFramework.
Scenario rollbackCopiedFiles(const Engine& engine, bool propertyElsewhere = false);

std::vector<DemoScenario> demos(const Engine& engine);

}  // namespace engine::orvfinalize
