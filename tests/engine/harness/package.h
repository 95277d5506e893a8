// A package for the engine runs of a scenario, written as WiX source and built with `wixl -a x64`:
// features (nested where a parent is given) at chosen levels, components and their files,
// properties, the custom actions under test with their Execute field, and the probe around them.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "versioned_file.h"

namespace engine {

// A file the package installs: the given contents, or a DLL with the given version resource.
struct FileDesign {
    std::string name;
    std::string contents;
    std::optional<FileVersion> version;
};

// A component in one of the package's folders: INSTALLDIR or one of PackageDesign::directories.
// Without files it creates its folder.
struct ComponentDesign {
    std::string id;
    std::string directory = "INSTALLDIR";
    std::vector<FileDesign> files;
};

struct FeatureDesign {
    std::string id;
    int level = 1;       // above INSTALLLEVEL (1 unless set) leaves the feature off
    std::string parent;  // a feature of the package, or empty for one at the top of the tree
    std::vector<std::string> components;
};

// Where the actions under test run. Immediate actions after CostFinalize see the requested
// feature states but nothing installed yet; in the script (between InstallInitialize and
// InstallFinalize) deferred, rollback and commit actions run, and immediate ones run while the
// script is written; after InstallFinalize the package's files and folders are in place.
enum class Stage { AfterCostFinalize, AfterInstallInitialize, AfterInstallFiles, AfterInstallFinalize };

// The Execute field of a custom action: when, and in which part of the installation, it runs.
enum class Execute {
    Immediate,
    Deferred,  // in the script
    Rollback,  // in the rollback script: only when a later step of the script fails
    Commit,    // after the script has run to its end
};

struct ActionDesign {
    std::filesystem::path dll;  // the custom-action DLL, stored in the Binary table
    std::string entry;          // its export
    Execute execute = Execute::Immediate;
    // The action's name; the export's when empty. Two actions of one export need two names.
    std::string name;
    // Text (formatted, so "[INSTALLDIR]" works) handed to the action as CustomActionData, through
    // a type-51 action setting the property named after it just before it. wixl refuses empty text.
    std::optional<std::string> customActionData;
    // The action runs only when this condition holds ("REMOVE=\"ALL\"", "NOT Installed"); empty: always.
    std::string condition;

    const std::string& actionName() const { return name.empty() ? entry : name; }
};

struct ProbeRequest {
    std::vector<std::string> properties;
    std::vector<std::string> features;
    std::vector<std::string> components;
    std::vector<std::string> targets;  // directories whose target path to report
    std::vector<std::pair<std::string, std::string>> values;  // HKLM key and value name, read as an action does
    std::vector<std::string> keys;          // HKLM keys whose access to report
    std::vector<std::string> fileVersions;  // Windows paths whose version resource to report
};

struct PackageDesign {
    std::string productName = "Orv Engine Test";
    std::string installFolder = "Orv Engine Test";  // INSTALLDIR, under ProgramFiles64Folder
    std::vector<FeatureDesign> features;             // parents before their children
    std::vector<ComponentDesign> components;
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
    // HKLM keys (created if missing) whose DACL denies setting values and creating subkeys from just
    // before the first probe of every run: Wine keeps no security in its hive files.
    std::vector<std::string> writeProtectedKeys;
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
// The name of the type-51 action that gives `action` its CustomActionData.
std::string dataAction(const std::string& action);

// The actions the package runs after its anchor (CostFinalize, InstallInitialize, InstallFiles or
// InstallFinalize), in order: ResolveSource if asked for, the properties emptied, the keys
// protected, the probe's first look, the actions under test (each after the action giving it its
// data), the probe again.
std::vector<std::string> scheduledActions(const PackageDesign& design);

// Reads the built sequence back with msiinfo and throws unless the actions follow the anchor
// directly and in order: a package that runs them elsewhere would make every finding wrong.
void checkSequence(const std::filesystem::path& msiinfo, const std::filesystem::path& msi, const PackageDesign& design);

struct PackageTools {
    std::filesystem::path wixl;
    std::filesystem::path msibuild;
    std::filesystem::path msiinfo;
};

// Builds `<folder>/<name>.msi` from the design: DLLs and the files to install are put beside the
// source, because wixl wants relative paths; `versionedFiles` makes a file with a version
// resource. The rollback and commit actions get their types after wixl, which writes both as
// immediate ones. Throws with the tools' message on failure, or if a DLL is missing.
std::filesystem::path buildPackage(const PackageTools& tools, const PackageDesign& design,
                                   const std::filesystem::path& probeDll, const std::string& probeOutput,
                                   const VersionedFiles& versionedFiles, const std::filesystem::path& folder,
                                   const std::string& name);

}  // namespace engine
