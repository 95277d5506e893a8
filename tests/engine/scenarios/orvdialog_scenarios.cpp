#include "orvdialog_scenarios.h"

namespace engine::orvdialog {

namespace {

Scenario runs(const Engine& engine, const std::string& action) {
    Scenario scenario;
    scenario.package.actions = {{engine.libraryDll(kLibrary), action}};
    scenario.package.stage = Stage::AfterCostFinalize;
    return scenario;
}

std::vector<std::string> numbered(const std::vector<std::string>& prefixes, int count) {
    std::vector<std::string> names;
    for (int n = 1; n <= count; ++n)
        for (const std::string& prefix : prefixes) names.push_back(prefix + std::to_string(n));
    return names;
}

}  // namespace

Scenario destinationDialog(const Engine& engine, const std::vector<FeatureDesign>& features) {
    Scenario scenario = runs(engine, "SetupDestinationDialog");
    scenario.package.features = features;
    scenario.package.properties = {{"Enable_Dest_5", "1"}, {"DestDlg_Lbl_5", "left from an earlier run"}};
    scenario.package.probe.properties = numbered({"Enable_Dest_", "DestDlg_Lbl_", "Dest_Prop_"}, 5);
    scenario.package.probe.properties.push_back("DestDirCount");
    for (const FeatureDesign& feature : features) scenario.package.probe.features.push_back(feature.id);
    return scenario;
}

Scenario validatePath(const Engine& engine, const std::string& request, bool emptySharedFolder) {
    Scenario scenario = runs(engine, "ValidatePath");
    PackageDesign& package = scenario.package;
    package.directories = {"SHARED_FILES_DIR"};
    package.properties = {{"ValidatePath", request},
                          {"Enable_Dest_1", "1"}, {"DestDlg_Lbl_1", "Program Files"}, {"Dest_Prop_1", "INSTALLDIR"},
                          {"Enable_Dest_2", "1"}, {"DestDlg_Lbl_2", "Shared Files"}, {"Dest_Prop_2", "SHARED_FILES_DIR"}};
    if (emptySharedFolder) package.clearedProperties = {"SHARED_FILES_DIR"};
    package.probe.properties = {"ValidatePath", "SHARED_FILES_DIR", "INSTALLDIR", "WindowsVolume", "BadPath", "UILevel"};
    package.probe.targets = {"SHARED_FILES_DIR"};
    return scenario;
}

Scenario installOptions(const Engine& engine, const std::vector<FeatureDesign>& features) {
    Scenario scenario = runs(engine, "OrvValidateInstallOptions");
    scenario.package.features = features;
    for (const FeatureDesign& feature : features) scenario.package.probe.features.push_back(feature.id);
    scenario.package.probe.properties = {"BadConfig", "KRN_EXISTS", "UILevel"};
    scenario.traceMessageBoxes = true;
    scenario.uiLevel = UiLevel::Basic;
    return scenario;
}

Scenario sqlConfigDialog(const Engine& engine) {
    Scenario scenario = runs(engine, "SetupSQLConfigDialog");
    // The user's choice from an earlier visit of the dialog, which the action must keep.
    scenario.package.properties = {{"SQLConfig_Driver_1", "new"}};
    scenario.package.probe.properties =
        numbered({"Enable_SQLConfig_", "SQLConfig_DrvName_"}, 5);
    for (int n = 1; n <= 5; ++n) {
        scenario.package.probe.properties.push_back("SQLConfig_" + std::to_string(n) + "_Text_1");
        scenario.package.probe.properties.push_back("SQLConfig_" + std::to_string(n) + "_Text_2");
    }
    scenario.package.probe.properties.push_back("SQLConfig_Driver_1");
    return scenario;
}

Scenario useSharedFlag(const Engine& engine, const std::string& chosen, const std::optional<RegValue>& registered) {
    Scenario scenario = runs(engine, "SetUseSharedFlag");
    scenario.package.properties = {{"REG_PRODUCT", "Quillon"}, {"REG_VERSION", "7.0"}, {"SHARED_FILES_DIR", chosen}};
    if (registered) scenario.registry = {{kSharedRoot, "SharedFilesDir", *registered}};
    scenario.package.probe.properties = {"SHARED_FILES_DIR", "USE_ORVSHARED"};
    return scenario;
}

Scenario krnPath(const Engine& engine, const std::string& engineFolder) {
    Scenario scenario = runs(engine, "SetKRNPath");
    scenario.package.properties = {{"OSKRN", engineFolder}};
    scenario.package.probe.properties = {"OSKRN", kKrnModuleFolder};
    return scenario;
}

Scenario readyDialog(const Engine& engine, const std::string& count, bool granaryInstalled) {
    Scenario scenario = runs(engine, "SetupReadyDialog");
    PackageDesign& package = scenario.package;
    package.features = {{"SampleDataFiles", 1}};
    package.properties = {{"InstallMsgCount", count}};
    for (const std::string& name : numbered({"Enable_Install_Msg_"}, 4)) package.properties[name] = "1";
    if (granaryInstalled)
        scenario.registry = {{"Software\\Granary Corp", "Version", RegValue::string("5.0")}};
    package.probe.properties = numbered({"Enable_Install_Msg_"}, 4);
    package.probe.properties.push_back("InstallMsg_1");
    package.probe.features = {"SampleDataFiles"};
    return scenario;
}

std::vector<DemoScenario> demos(const Engine& engine) {
    std::vector<DemoScenario> all;
    all.push_back({kLibrary, "SetupDestinationDialog: shared files and CORBA support requested locally",
                   destinationDialog(engine, {{"MainProgramFiles", 2}, {"SharedFiles", 1}, {"KRN", 2},
                                              {"TableWorkbench", 2}, {"CORBASupport", 1}}),
                   {}});
    all.push_back({kLibrary, "ValidatePath = 2: the empty shared-files folder gets the Windows volume",
                   validatePath(engine, "2", true), {}});
    DemoScenario blank{kLibrary, "ValidatePath = 0: the shared-files folder is blank (an error box is shown)",
                       validatePath(engine, "0", true), {}};
    blank.scenario.traceMessageBoxes = true;
    blank.scenario.uiLevel = UiLevel::Basic;
    all.push_back(std::move(blank));
    DemoScenario silent{kLibrary, "ValidatePath = 0 in a silent installation: the folder is blank, no box is shown",
                        validatePath(engine, "0", true), {}};
    silent.scenario.traceMessageBoxes = true;
    all.push_back(std::move(silent));
    all.push_back({kLibrary, "OrvValidateInstallOptions: KRN left out; the question goes unanswered, which counts as No",
                   installOptions(engine, {{"MainProgramFiles", 1}, {"KRN", 2}, {"KRNCommon", 1}, {"DBDirect", 1},
                                           {"InternetControls", 2}, {"Indy", 1}, {"SOAP", 2}}),
                   {}});
    all.push_back({kLibrary, "SetupSQLConfigDialog: the five driver slots", sqlConfigDialog(engine), {}});
    all.push_back({kLibrary, "SetUseSharedFlag: the registered shared folder, chosen again in other letter case",
                   useSharedFlag(engine, "c:\\program files\\common files\\orvanta shared",
                                 RegValue::string("C:\\Program Files\\Common Files\\Orvanta Shared\\")),
                   {{kProductKey, "UseSharedFiles"}}});
    all.push_back({kLibrary, "SetKRNPath: the engine folder handed to its merge module", krnPath(engine, "C:\\KRN\\"),
                   {}});
    DemoScenario hidden{kLibrary, "SetKRNPath: the engine folder hidden from the log (MsiHiddenProperties)",
                        krnPath(engine, "C:\\KRN\\"), {}};
    hidden.scenario.package.properties["MsiHiddenProperties"] = std::string("OSKRN;") + kKrnModuleFolder;
    all.push_back(std::move(hidden));
    all.push_back({kLibrary, "SetupReadyDialog: sample data beside a Granary server, three notes",
                   readyDialog(engine, "3", true), {}});
    return all;
}

}  // namespace engine::orvdialog
