// A package for one engine run, written as WiX source and built with `wixl -a x64`: features at
// chosen levels, properties, the custom actions under test and the probe around them.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace engine {

struct FeatureDesign {
    std::string id;
    int level = 1;  // above INSTALLLEVEL (1 unless set) leaves the feature off
};

// Where the actions under test run. Immediate actions after CostFinalize see the requested
// feature states but nothing installed yet; after InstallFinalize the package's files and
// folders are in place.
enum class Stage { AfterCostFinalize, AfterInstallFinalize };

struct ActionDesign {
    std::filesystem::path dll;  // the custom-action DLL, stored in the Binary table
    std::string entry;          // its export; also the action's name
};

struct ProbeRequest {
    std::vector<std::string> properties;
    std::vector<std::string> features;
    std::vector<std::string> components;
    std::vector<std::string> targets;  // directories whose target path to report
};

struct PackageDesign {
    std::string productName = "Orv Engine Test";
    std::string installFolder = "Orv Engine Test";  // INSTALLDIR, under ProgramFiles64Folder
    std::vector<FeatureDesign> features;
    std::map<std::string, std::string> properties;  // wixl refuses empty values: leave those out
    std::vector<ActionDesign> actions;                // run in this order
    Stage stage = Stage::AfterCostFinalize;
    // SourceDir stays unset until ResolveSource runs; schedule it just before the actions.
    bool resolveSource = false;
    // More folders under ProgramFiles64Folder, each with its directory property of that name.
    std::vector<std::string> directories;
    // Properties emptied just before the actions (and the first probe): a directory's property
    // can be empty only this way, since costing gives every directory a path.
    std::vector<std::string> clearedProperties;
    ProbeRequest probe;
};

// The feature that carries the package's one component. It creates INSTALLDIR, so that actions
// after InstallFinalize find the folder, and it is always installed.
inline constexpr const char* kHarnessFeature = "EngineHarness";
inline constexpr const char* kHarnessComponent = "EngineHarnessFolder";

// The WiX source; `probeDll` and `probeOutput` (a Windows path) wire in the probe.
std::string packageSource(const PackageDesign& design, const std::filesystem::path& probeDll,
                          const std::string& probeOutput);

// The name of the action that empties `property`.
std::string clearAction(const std::string& property);

// The actions the package runs after its anchor (CostFinalize or InstallFinalize), in order:
// ResolveSource if asked for, the probe's first look, the actions under test, the probe again.
std::vector<std::string> scheduledActions(const PackageDesign& design);

// Reads the built sequence back with msiinfo and throws unless the actions follow the anchor
// directly and in order: a package that runs them elsewhere would make every finding wrong.
void checkSequence(const std::filesystem::path& msiinfo, const std::filesystem::path& msi, const PackageDesign& design);

// Builds `<folder>/<name>.msi` from the source; DLLs are copied beside the source because wixl
// wants relative paths. Throws with wixl's message on failure, or if a DLL is missing.
std::filesystem::path buildPackage(const std::filesystem::path& wixl, const std::string& source,
                                   const std::vector<std::filesystem::path>& dlls, const std::filesystem::path& folder,
                                   const std::string& name);

}  // namespace engine
