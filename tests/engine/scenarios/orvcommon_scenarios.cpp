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

Scenario createConfig(const Engine& engine, bool frameworkFolderPresent) {
    Scenario scenario;
    PackageDesign& package = scenario.package;
    package.productName = "Orv Config Test";
    package.installFolder = "Orv Config Test";
    package.properties = {{"REG_PRODUCT", "Quillon"}};
    package.actions = {{engine.libraryDll(kLibrary), "OrvCreateCfg"}};
    package.stage = Stage::AfterCostFinalize;
    package.probe.properties = {"INSTALLDIR", "REG_PRODUCT"};
    scenario.files = {{installedPath(scenario, "bin\\readme.txt"), "the compiler's folder"}};
    if (frameworkFolderPresent)
        scenario.files.push_back({installedPath(scenario, "aspx\\framework\\readme.txt"), "the ASP.NET files' folder"});
    return scenario;
}

std::string installedPath(const Scenario& scenario, const std::string& relative) {
    return "C:\\Program Files\\" + scenario.package.installFolder + "\\" + relative;
}

Scenario checkDotNetSdk(const Engine& engine, std::vector<RegistrySeed> values) {
    Scenario scenario;
    PackageDesign& package = scenario.package;
    package.actions = {{engine.libraryDll(kLibrary), "CheckDotNetSDK"}};
    package.stage = Stage::AfterCostFinalize;
    package.probe.properties = {"DOTNETFRAMEWORK_PATH", "DOTNETSDK_PATH", "UILevel"};
    scenario.registry = std::move(values);
    return scenario;
}

Scenario setDotNetDirProp(const Engine& engine, bool sdkFound) {
    Scenario scenario;
    PackageDesign& package = scenario.package;
    if (sdkFound) package.properties = {{"DOTNETSDK_PATH", kSdkFolder}};
    package.actions = {{engine.libraryDll(kLibrary), "SetDotNetDirProp"}};
    package.stage = Stage::AfterCostFinalize;
    package.probe.properties = {"DOTNETSDK_PATH", "INSTALL_DOTNET", "DOTNETSDK_SETUP_PATH", "SourceDir", "UILevel"};
    scenario.sourceFolder = kMediaSource;
    return scenario;
}

Scenario showDotNetRequired(const Engine& engine, UiLevel uiLevel) {
    Scenario scenario;
    scenario.package.actions = {{engine.libraryDll(kLibrary), "ShowDotNetRequiredMsg"}};
    scenario.package.stage = Stage::AfterCostFinalize;
    scenario.package.probe.properties = {"UILevel"};
    scenario.uiLevel = uiLevel;
    scenario.traceMessageBoxes = true;
    return scenario;
}

namespace {

RegistrySeed frameworkValue(const char* name, RegValue value) { return {kFrameworkKey, name, std::move(value)}; }

}  // namespace

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

    DemoScenario config{kLibrary, "OrvCreateCfg: bin present, aspx\\framework missing (/qb)",
                        createConfig(engine, false), {}};
    config.scenario.uiLevel = UiLevel::Basic;
    config.scenario.traceMessageBoxes = true;
    config.scenario.watchedFiles = {installedPath(config.scenario, "bin\\qccil.cfg"),
                                    installedPath(config.scenario, "aspx\\framework\\qccil.cfg")};
    all.push_back(std::move(config));

    DemoScenario sdk{kLibrary, "CheckDotNetSDK: the SDK's folder stored as a REG_DWORD (/qb)",
                     checkDotNetSdk(engine, {frameworkValue("sdkInstallRoot", RegValue::number(1)),
                                             frameworkValue("InstallRoot", RegValue::string(kFrameworkFolder))}),
                     {{kFrameworkKey, "sdkInstallRoot"}, {kFrameworkKey, "InstallRoot"}}};
    sdk.scenario.uiLevel = UiLevel::Basic;
    sdk.scenario.traceMessageBoxes = true;
    all.push_back(std::move(sdk));

    DemoScenario setup{kLibrary, "SetDotNetDirProp: dotnetsdk\\setup.exe beside the source folder Disk1",
                       setDotNetDirProp(engine, true), {}};
    setup.scenario.files = {{kSdkSetup, "the SDK's setup program"}};
    all.push_back(std::move(setup));
    all.push_back({kLibrary, "ShowDotNetRequiredMsg: at /qb", showDotNetRequired(engine, UiLevel::Basic), {}});
    return all;
}

}  // namespace engine::orvcommon
