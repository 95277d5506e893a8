#include "orvcommon_scenarios.h"

namespace engine::orvcommon {

Scenario setReboot(const Engine& engine, const std::vector<FeatureDesign>& features,
                   const std::map<std::string, std::string>& properties) {
    Scenario scenario;
    PackageDesign& package = scenario.package;
    package.features = features;
    package.properties = properties;
    package.actions = {{engine.libraryDll(kLibrary), "OrvSetReboot"}};
    package.stage = Stage::AfterCostFinalize;
    package.probe.properties = {"REBOOT", "Version9X", "INSTALL_MDAC"};
    package.probe.features = kRebootFeatures;
    return scenario;
}

Scenario copyInstallDb(const Engine& engine, Stage stage, bool resolveSource) {
    Scenario scenario;
    PackageDesign& package = scenario.package;
    package.productName = "Orv Common Test";
    package.installFolder = "Orv Common Test";
    package.actions = {{engine.libraryDll(kLibrary), "CopyInstallDB"}};
    package.stage = stage;
    package.resolveSource = resolveSource;
    package.probe.properties = {"SourceDir", "INSTALLDIR", "ProductName"};
    scenario.watchedFiles = {installedPackagePath(scenario)};
    return scenario;
}

std::string installedPackagePath(const Scenario& scenario) {
    return "C:\\Program Files\\" + scenario.package.installFolder + "\\" + scenario.package.productName + ".msi";
}

std::vector<DemoScenario> demos(const Engine& engine) {
    std::vector<DemoScenario> all;
    all.push_back({kLibrary, "OrvSetReboot: CORBASupport_HY4 installed locally",
                   setReboot(engine, {{"MainProgramFiles", 1}, {"CORBASupport_HY4", 1}, {"CORBASupport", 2}}, {}),
                   {}});
    all.push_back({kLibrary, "OrvSetReboot: main program on an NT system, nothing else",
                   setReboot(engine, {{"MainProgramFiles", 1}, {"CORBASupport", 2}, {"CORBASupport_HY4", 2}}, {}),
                   {}});
    DemoScenario mdac{kLibrary, "OrvSetReboot: INSTALL_MDAC=1 given on the command line",
                      setReboot(engine, {{"MainProgramFiles", 1}}, {}), {}};
    mdac.scenario.commandLine = {{"INSTALL_MDAC", "1"}};
    all.push_back(std::move(mdac));

    DemoScenario copy{kLibrary, "CopyInstallDB: read-only package on the source media, stale read-only copy installed",
                      copyInstallDb(engine, Stage::AfterInstallFinalize, true), {}};
    copy.scenario.packageReadOnly = true;
    copy.scenario.files = {{installedPackagePath(copy.scenario), "an older package", true}};
    all.push_back(std::move(copy));
    DemoScenario unresolved{kLibrary, "CopyInstallDB: after CostFinalize without ResolveSource (SourceDir unset)",
                            copyInstallDb(engine, Stage::AfterCostFinalize, false), {}};
    unresolved.scenario.files = {{installedPackagePath(unresolved.scenario), "an older package", true}};
    all.push_back(std::move(unresolved));
    return all;
}

}  // namespace engine::orvcommon
