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

Scenario extInstalls(const Engine& engine, const std::optional<std::string>& registered,
                     const std::optional<FileVersion>& oleDb) {
    Scenario scenario = runs(engine, "CheckExtInstalls");
    if (registered)
        scenario.registry = {{"Software\\Microsoft\\DataAccess", "Version", RegValue::string(*registered)}};
    if (oleDb) {
        scenario.files = {{kOleDbFile, "", false, *oleDb}};
        scenario.dllOverrides = "oledb32=n";
    }
    PackageDesign& package = scenario.package;
    package.probe.properties = numbered({"Enable_Ext_Install_", "External_Install_Text_"}, 2);
    for (const char* name : {"INSTALL_GRANARY", "INSTALL_MDAC", "VersionNT", "CommonFilesFolder"})
        package.probe.properties.push_back(name);
    package.probe.values = {{"Software\\Microsoft\\DataAccess", "Version"}};
    package.probe.fileVersions = {kOleDbFile};
    return scenario;
}

Scenario externalInstallChoice(const Engine& engine, const std::string& secondCaption) {
    Scenario scenario = runs(engine, "ProcessExternalInstalls");
    // As CheckExtInstalls leaves them, with row 2's box cleared (External_Install_2 left out).
    scenario.package.properties = {{"Enable_Ext_Install_1", "1"}, {"External_Install_Text_1", "Install Granary Client"},
                                   {"External_Install_1", "1"},   {"INSTALL_GRANARY", "1"},
                                   {"Enable_Ext_Install_2", "1"}, {"External_Install_Text_2", secondCaption},
                                   {"INSTALL_MDAC", "2"}};
    scenario.package.probe.properties = {"External_Install_1", "External_Install_2", "INSTALL_GRANARY",
                                         "INSTALL_MDAC"};
    return scenario;
}

Scenario fileAssociations(const Engine& engine) {
    Scenario scenario;
    PackageDesign& package = scenario.package;
    package.actions = {{engine.libraryDll(kLibrary), "CheckFileAssoc"}, {engine.libraryDll(kLibrary), "ProcessFileAssoc"}};
    package.directories = {"ASSOC_DIR"};
    const std::vector<std::string> extensions = {"pas", "dpr", "h"};
    FeatureDesign feature{"FileAssociations", 1, "", {}};
    for (const std::string& extension : extensions) {
        const std::string component = "Registry_FileType_" + extension;
        package.components.push_back({component, "ASSOC_DIR", {{extension + ".assoc", "association of ." + extension}}});
        feature.components.push_back(component);
        package.probe.components.push_back(component);
    }
    package.features = {feature};
    package.properties = {{"File_Assoc_Type_1", ".pas - Pascal source"}, {"Set_File_Assoc_1", "1"},
                          {"File_Assoc_Type_2", ".dpr - Project source"}, {"Set_File_Assoc_2", "0"},
                          {"File_Assoc_Type_3", ".h"},
                          {"SET_PAS", "1"}, {"SET_DPR", "1"}, {"SET_H", "1"}};
    package.probe.properties = {"SET_PAS", "SET_DPR", "SET_H"};
    package.probe.targets = {"ASSOC_DIR"};
    return scenario;
}

std::vector<std::string> resetFeatures() {
    return {"ProgramFiles", "MainProgramFiles", "SharedFiles",    "Debugger",      "KRN",      "CompressedMainFiles",
            "debugger",     "SamplePrograms",   "CORBASupport",   "TableWorkbench", "HelpFiles", "InternetControls"};
}

Scenario featureResets(const Engine& engine, const std::vector<std::string>& actions) {
    Scenario scenario;
    PackageDesign& package = scenario.package;
    for (const std::string& action : actions) package.actions.push_back({engine.libraryDll(kLibrary), action});
    for (const std::string& feature : resetFeatures()) {
        // Two left off, so that a request for every feature shows on them.
        const int level = feature == "TableWorkbench" || feature == "HelpFiles" ? 2 : 1;
        package.features.push_back({feature, level, "", {}});
        package.probe.features.push_back(feature);
    }
    package.properties = {{"INSTALL_GRANARY", "1"}, {"INSTALL_MDAC", "2"}, {"Enable_Ext_Install_1", "1"},
                          {"Enable_Install_Msg_1", "1"}, {"Enable_Install_Msg_2", "1"}};
    package.probe.properties = {"INSTALL_GRANARY", "INSTALL_MDAC", "Enable_Ext_Install_1", "Enable_Ext_Install_2",
                                "Enable_Install_Msg_1", "Enable_Install_Msg_2"};
    return scenario;
}

namespace {

constexpr const char* kJavaRuntimeKey = "Software\\JavaSoft\\Java Runtime Environment";
constexpr const char* kJavaKitKey = "Software\\JavaSoft\\Java Development Kit";
const std::vector<std::string> kBrokerFeatures = {"CORBASupport_HY4", "CorbaSamples", "CorbaSamples40",
                                                  "CommonCorbaSamples", "SamplePrograms"};

}  // namespace

Scenario brokerVersion4(const Engine& engine, const std::optional<std::string>& javaRuntime,
                        const std::optional<std::string>& javaKit) {
    Scenario scenario = runs(engine, "ProcessHalORBSelection");
    PackageDesign& package = scenario.package;
    package.features = {{"CORBASupport_HY4", 2}, {"CorbaSamples", 1}, {"CorbaSamples40", 2},
                        {"CommonCorbaSamples", 2}, {"SamplePrograms", 1}};
    package.properties = {{"HY_VER", "HY4"}};
    if (javaRuntime) scenario.registry.push_back({kJavaRuntimeKey, "CurrentVersion", RegValue::string(*javaRuntime)});
    if (javaKit) scenario.registry.push_back({kJavaKitKey, "CurrentVersion", RegValue::string(*javaKit)});
    package.probe.features = kBrokerFeatures;
    package.probe.properties = {"INSTALL_HY4", "INSTALL_JRE"};
    return scenario;
}

Scenario brokerMaintenance(const Engine& engine) {
    Scenario scenario = runs(engine, "ProcessHalORBSelection");
    PackageDesign& package = scenario.package;
    package.actions.front().condition = "Installed";
    // Each feature carries a component, so that the first run really installs it.
    for (const std::string& feature : kBrokerFeatures) {
        const int level = feature == "CorbaSamples40" ? 2 : 1;
        package.components.push_back({feature + "Files", "INSTALLDIR", {{feature + ".txt", feature}}});
        package.features.push_back({feature, level, "", {feature + "Files"}});
    }
    package.properties = {{"INSTALL_HY4", "1"}, {"INSTALL_JRE", "1"}};
    package.probe.features = kBrokerFeatures;
    package.probe.properties = {"HY_VER", "INSTALL_HY4", "INSTALL_JRE", "Installed"};
    Run maintenance;
    maintenance.commandLine = {{"REMOVE", "CORBASupport_HY4,CorbaSamples"}, {"ADDLOCAL", "CorbaSamples40"}};
    scenario.laterRuns = {maintenance};
    return scenario;
}

Scenario featureSwitches(const Engine& engine, const std::string& disableHalOrb, const std::string& installMsiDb) {
    Scenario scenario;
    PackageDesign& package = scenario.package;
    package.actions = {{engine.libraryDll(kLibrary), "DisableFeatures"}, {engine.libraryDll(kLibrary), "ProcessInstallDB"}};
    package.components = {{"InstallationDatabase", "INSTALLDIR", {{"install.db", "installation database"}}}};
    package.features = {{"CORBASupport", 1, "", {}}, {"InstallDatabase", 1, "", {"InstallationDatabase"}}};
    if (!disableHalOrb.empty()) package.properties["Disable_HalORB"] = disableHalOrb;
    if (!installMsiDb.empty()) package.properties["INSTALL_MSIDB"] = installMsiDb;
    package.probe.features = {"CORBASupport", "InstallDatabase"};
    package.probe.components = {"InstallationDatabase"};
    return scenario;
}

Scenario jitDebugKey(const Engine& engine, const std::optional<RegValue>& debugger, const std::string& setBefore,
                     UiLevel level) {
    Scenario scenario = runs(engine, "CheckJITDebugKey");
    scenario.removedKeys = {kAeDebugKey};
    if (debugger) scenario.registry = {{kAeDebugKey, "Debugger", *debugger}};
    if (!setBefore.empty()) scenario.package.properties["SET_JITDEBUG"] = setBefore;
    scenario.package.probe.properties = {"SET_JITDEBUG", "UILevel"};
    scenario.package.probe.keys = {kAeDebugKey};
    scenario.package.probe.values = {{kAeDebugKey, "Debugger"}};
    scenario.traceMessageBoxes = true;
    scenario.uiLevel = level;
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
    all.push_back({kLibrary, "CheckExtInstalls: DataAccess 2.70 and an oledb32.dll of 2.70.7713.4, so MDAC 2.7 is offered",
                   extInstalls(engine, "2.70", FileVersion{2, 70, 7713, 4}),
                   {{"Software\\Microsoft\\DataAccess", "Version"}}});
    all.push_back({kLibrary, "ProcessExternalInstalls: the MDAC row's box cleared",
                   externalInstallChoice(engine, "Install/Upgrade to Microsoft Data Access Components 2.7"), {}});
    all.push_back({kLibrary, "CheckFileAssoc and ProcessFileAssoc: .pas kept, .dpr and .h not wanted",
                   fileAssociations(engine), {}});
    all.push_back({kLibrary, "DisableCompactFeatures: all but the six core features requested absent",
                   featureResets(engine, {"DisableCompactFeatures"}), {}});
    all.push_back({kLibrary, "ResetFeatureState after DisableCompactFeatures: every feature local again, offers renewed",
                   featureResets(engine, {"DisableCompactFeatures", "ResetFeatureState"}), {}});
    all.push_back({kLibrary, "ProcessHalORBSelection: HY4 chosen with a Java runtime 1.3 registered",
                   brokerVersion4(engine, "1.3", std::nullopt), {}});
    // The demo shows a scenario's first run, so the rule of holding installed states is shown on
    // a first installation, where every broker feature is installed absent.
    DemoScenario noVersion4{kLibrary, "ProcessHalORBSelection: no HY4; each broker feature held at its installed state (absent)",
                            brokerVersion4(engine, std::nullopt, std::nullopt), {}};
    noVersion4.scenario.package.properties = {{"INSTALL_HY4", "1"}, {"INSTALL_JRE", "1"}};
    all.push_back(std::move(noVersion4));
    all.push_back({kLibrary, "DisableFeatures and ProcessInstallDB: CORBA support and the database copy left out",
                   featureSwitches(engine, "1", "0"), {}});
    all.push_back({kLibrary, "CheckJITDebugKey: another debugger registered, at /qb (the question goes unanswered)",
                   jitDebugKey(engine, RegValue::string("C:\\Tools\\drwtsn32.exe -p %ld -e %ld -g"), "1",
                               UiLevel::Basic),
                   {{kAeDebugKey, "Debugger"}}});
    return all;
}

}  // namespace engine::orvdialog
