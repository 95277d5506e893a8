#include "orvfinalize_scenarios.h"

namespace engine::orvfinalize {

namespace {

constexpr const char* kProductFolder = "Orv Finalize Test";

// Everything but the three files in the version folders.
Scenario frameworkLayout(const Engine& engine, const char* exportName, Execute execute) {
    Scenario scenario;
    PackageDesign& package = scenario.package;
    package.productName = kProductFolder;
    package.installFolder = kProductFolder;
    package.properties = {{"DOTNETFRAMEWORK_PATH", kFramework}};
    package.actions = {{engine.libraryDll(kLibrary), exportName, execute}};
    package.probe.properties = {"DOTNETFRAMEWORK_PATH", "REMOVE"};
    for (const std::string& name : kFileNames) scenario.files.push_back({sourceFile(scenario, name), "new " + name});
    scenario.files.push_back({versionFolder(kPlainVersions[0]) + "\\mscorlib.dll", "the framework's own"});
    scenario.files.push_back({versionFolder(kPlainVersions[1]), "", false, std::nullopt, true});
    scenario.files.push_back({versionFolder(kReadOnlyVersion), "", true, std::nullopt, true});
    scenario.files.push_back({versionFolder(kFileEntry), "not a version folder"});
    return scenario;
}

}  // namespace

std::string versionFolder(const std::string& name) { return std::string(kFramework) + "\\" + name; }

std::string sourceFile(const Scenario& scenario, const std::string& name) {
    return "C:\\Program Files\\" + scenario.package.installFolder + "\\aspx\\framework\\" + name;
}

Scenario frameworkFiles(const Engine& engine) {
    Scenario scenario = frameworkLayout(engine, "ProcessFilesForDotNet", Execute::Immediate);
    scenario.package.stage = Stage::AfterCostFinalize;
    return scenario;
}

Scenario rollbackCopiedFiles(const Engine& engine, bool propertyElsewhere) {
    Scenario scenario = frameworkLayout(engine, "RollbackCopiedFiles", Execute::Rollback);
    scenario.package.stage = Stage::AfterInstallInitialize;
    // In the script Windows hands the action this text alone; the package builds it from the
    // properties while they are still there.
    scenario.package.actions[0].customActionData = "[DOTNETFRAMEWORK_PATH]|[INSTALLDIR]";
    if (propertyElsewhere) {
        scenario.package.properties["DOTNETFRAMEWORK_PATH"] = kOtherFramework;
        scenario.package.actions[0].customActionData = std::string(kFramework) + "|[INSTALLDIR]";
        for (const std::string& name : kFileNames)
            scenario.files.push_back({std::string(kOtherFramework) + "\\" + kOtherVersion + "\\" + name, "other " + name});
    }
    scenario.package.actions.push_back({engine.probeDll(), "FailInstallation", Execute::Deferred});
    scenario.expectedResult = 1603;
    for (const std::string& version : kPlainVersions)
        for (const std::string& name : kFileNames)
            scenario.files.push_back({versionFolder(version) + "\\" + name, "copied " + name});
    return scenario;
}

std::vector<DemoScenario> demos(const Engine& engine) {
    std::vector<DemoScenario> all;
    DemoScenario copy{kLibrary, "ProcessFilesForDotNet: two plain version folders, a read-only one and a file",
                      frameworkFiles(engine), {}};
    for (const std::string& version : {kPlainVersions[0], kPlainVersions[1], std::string(kReadOnlyVersion)})
        copy.scenario.watchedFiles.push_back(versionFolder(version) + "\\qccil.cfg");
    all.push_back(std::move(copy));

    DemoScenario rollback{kLibrary, "RollbackCopiedFiles: as a rollback action of a script that fails",
                          rollbackCopiedFiles(engine), {}};
    for (const std::string& version : kPlainVersions)
        rollback.scenario.watchedFiles.push_back(versionFolder(version) + "\\qccil.cfg");
    all.push_back(std::move(rollback));
    return all;
}

}  // namespace engine::orvfinalize
