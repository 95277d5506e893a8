#include "orvregistry_scenarios.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <mutex>
#include <stdexcept>
#include <system_error>

#include "process.h"

namespace engine::orvregistry {

namespace fs = std::filesystem;

namespace {

constexpr const char* kSharedSubfolders[] = {"Data", "SampleDictionary", "Image Files", "MSHelp"};

std::string bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path workFolder() {
    if (const char* work = getenv("ORV_ENGINE_WORK"); work != nullptr && *work != '\0') return work;
    return ORV_ENGINE_BINARY_DIR;
}

// Built aside and moved into place whole, since other test processes may build at the same time.
TestPrograms buildPrograms() {
    const fs::path done = workFolder() / "orvregistry-programs";
    const TestPrograms programs{done / "register.dll", done / "recorder.exe", done / "StartedWait.dll"};
    if (fs::is_regular_file(programs.broker) && fs::is_regular_file(programs.recorder) &&
        fs::is_regular_file(programs.startedWait))
        return programs;
    const fs::path compiler = locateProgram("ORV_MINGW_CC", {}, "x86_64-w64-mingw32-gcc");
    if (compiler.empty()) throw std::runtime_error("the tests' own programs need MinGW's gcc (ORV_MINGW_CC)");
    fs::create_directories(done.parent_path());
    std::string pattern = (done.parent_path() / "orvregistry-programs.building-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create " + pattern);
    const fs::path work = pattern;
    const fs::path sources = fs::path(ORV_ENGINE_SOURCE_DIR) / "tests" / "engine" / "orvregistry_programs";
    const Environment environment = Environment::inherited();
    const auto build = [&](const std::vector<std::string>& options, const char* source, const fs::path& output) {
        std::vector<std::string> argv{compiler.string(), "-O2", "-s"};
        argv.insert(argv.end(), options.begin(), options.end());
        argv.insert(argv.end(), {"-o", (work / output.filename()).string(), (sources / source).string()});
        const auto result = runProcess(argv, environment, work / "gcc.out", work / "gcc.err", std::chrono::seconds(60));
        if (result.exitCode != 0) throw std::runtime_error("gcc failed on " + std::string(source) + ": " + readText(work / "gcc.err"));
    };
    build({"-shared"}, "broker.c", programs.broker);
    build({"-mwindows"}, "recorder.c", programs.recorder);
    build({"-shared"}, "started_wait.c", programs.startedWait);
    std::error_code raced;
    fs::rename(work, done, raced);
    if (raced) fs::remove_all(work);
    return programs;
}

Scenario runs(const Engine& engine, const std::string& action) {
    Scenario scenario;
    scenario.package.actions = {{engine.libraryDll(kLibrary), action}};
    scenario.package.stage = Stage::AfterCostFinalize;
    return scenario;
}

void forProduct(Scenario& scenario) {
    scenario.package.properties["REG_PRODUCT"] = "Quillon";
    scenario.package.properties["REG_VERSION"] = "7.0";
}

}  // namespace

const TestPrograms& testPrograms() {
    static std::once_flag built;
    static TestPrograms programs;
    std::call_once(built, [] { programs = buildPrograms(); });
    return programs;
}

Scenario transferKey(const Engine& engine) {
    Scenario scenario = runs(engine, "UpdateTransferKey");
    forProduct(scenario);
    scenario.package.properties["OSTWB"] = kTableWorkbenchDir;
    const std::string bin = std::string(kInstallDir) + "Bin\\";
    for (const char* tool : {"mkimport.exe", "hsconfig.exe", "pixpad.exe", "bundler.exe", "schemalink.exe"})
        scenario.files.push_back({bin + tool, "tool"});
    scenario.files.push_back({std::string(kTableWorkbenchDir) + "twb32.exe", "tool"});
    scenario.files.push_back({std::string(kInstallDir) + "Folio5\\Folio.exe", "tool"});
    scenario.files.push_back({std::string(kVaultSyncRoot) + "\\Bin\\vsync.exe", "tool"});
    scenario.registry = {
        {kVaultSyncKey, "RootDir", RegValue::string(kVaultSyncRoot)},
        {kTransferKey, "Count", RegValue::string("2")},
        {kTransferKey, "Title0", RegValue::string("Notes")},
        {kTransferKey, "Path0", RegValue::string("C:\\Windows\\notepad.exe")},
        {kTransferKey, "Title1", RegValue::string("&Bitmap Studio")},
        {kTransferKey, "Path1", RegValue::string("C:\\Elsewhere\\pixpad.exe")},
    };
    return scenario;
}

Scenario useCounts(const Engine& engine, bool protectedRoot) {
    Scenario scenario = runs(engine, "BumpSharedUseCount");
    forProduct(scenario);
    PackageDesign& package = scenario.package;
    package.features = {{"MainProgramFiles", 1}, {"SampleDataFiles", 1}, {"ImageFiles", 1},
                        {"MicrosoftSDKHelpFiles", 1}, {"TableWorkbench", 1}};
    package.properties["SHARED_FILES_DIR"] = kSharedFilesDir;
    package.properties["OSTWB"] = kTableWorkbenchDir;
    const std::string root = kSharedRoot;
    scenario.registry = {
        {root + "\\Data", "UseCount", RegValue::string("4")},
        {root + "\\Image Files", "UseCount", RegValue::string("-3")},
        {root + "\\MSHelp", "UseCount", RegValue::number(7)},
    };
    if (protectedRoot) package.writeProtectedKeys = {kSharedRoot};
    for (const FeatureDesign& feature : package.features) package.probe.features.push_back(feature.id);
    for (const char* folder : kSharedSubfolders) package.probe.values.push_back({root + "\\" + folder, "UseCount"});
    return scenario;
}

Scenario localSharedRoot(const Engine& engine, const std::string& sharedFolder) {
    Scenario scenario = runs(engine, "SetLocalSharedRoot");
    forProduct(scenario);
    scenario.package.properties["SHARED_FILES_DIR"] = sharedFolder;
    scenario.package.probe.properties = {"SHARED_FILES_DIR"};
    return scenario;
}

Scenario accessDriver(const Engine& engine, bool driverKeyPresent) {
    Scenario scenario = runs(engine, "ResetKRNAccessDriver");
    scenario.package.properties = {{"SQLConfig_DrvName_1", "MS Access"}, {"SQLConfig_Driver_1", "new"}};
    if (driverKeyPresent) scenario.registry = {{kAccessDriverKey, "DLL32", RegValue::string("ODBCJT32.DLL")}};
    scenario.package.probe.keys = {kAccessDriverKey};
    return scenario;
}

Scenario netProbe(const Engine& engine, bool keyPresent, const std::optional<std::string>& path) {
    Scenario scenario = runs(engine, "AddNetProbeRegEntry");
    if (path)
        scenario.registry = {{kNetProbeKey, "Path", RegValue::string(*path)}};
    else if (keyPresent)
        scenario.registry = {{kNetProbeKey, "Other", RegValue::string("kept")}};
    scenario.package.probe.keys = {kNetProbeKey};
    return scenario;
}

Scenario officeControls(const Engine& engine, const std::string& officeVersion) {
    Scenario scenario = runs(engine, "RegisterOfficeControls");
    scenario.package.properties = {{"MSOFFICE_VER", officeVersion}};
    scenario.package.probe.keys = {kKnownPackagesKey};
    return scenario;
}

Scenario libraryPath(const Engine& engine, const std::optional<std::string>& searchPath, UiLevel level) {
    Scenario scenario = runs(engine, "UpdateLibraryPath");
    if (searchPath) scenario.registry = {{kLibraryKey, "Search Path", RegValue::string(*searchPath)}};
    scenario.package.probe.properties = {"UILevel"};
    scenario.package.probe.keys = {kLibraryKey};
    scenario.traceMessageBoxes = true;
    scenario.uiLevel = level;
    return scenario;
}

Scenario halOrb(const Engine& engine, int answer, bool componentLocal, UiLevel level) {
    Scenario scenario = runs(engine, "RegisterHalORB");
    PackageDesign& package = scenario.package;
    package.components = {{"hlocate_exe"}};
    package.features = {{"CORBASupport", componentLocal ? 1 : 2, "", {"hlocate_exe"}}};
    package.properties = {{"HALORB_DIR", kBrokerDir}};
    package.probe.properties = {"UILevel", "VersionNT", "HALORB_DIR"};
    package.probe.components = {"hlocate_exe"};
    const std::string bin = std::string(kBrokerDir) + "\\Bin\\";
    scenario.files = {{bin + "register.dll", bytesOf(testPrograms().broker)},
                      {bin + "broker-answer.txt", std::to_string(answer)}};
    scenario.traceMessageBoxes = true;
    scenario.uiLevel = level;
    return scenario;
}

Scenario lattice(const Engine& engine) {
    Scenario scenario = runs(engine, "RegisterLattice");
    scenario.package.actions.push_back({testPrograms().startedWait, "WaitForStartedPrograms"});
    const std::string recorder = bytesOf(testPrograms().recorder);
    const std::string bin = std::string(kInstallDir) + "bin\\";
    scenario.files = {{bin + "axreg.exe", recorder}, {bin + "hostinfo.exe", recorder}};
    scenario.package.probe.properties = {"INSTALLDIR"};
    return scenario;
}

std::vector<DemoScenario> demos(const Engine& engine) {
    std::vector<DemoScenario> all;
    std::vector<std::pair<std::string, std::string>> transfer{{kTransferKey, "Count"}};
    for (int n = 2; n <= 8; ++n) transfer.push_back({kTransferKey, "Title" + std::to_string(n)});
    all.push_back({kLibrary, "UpdateTransferKey: every tool on the disk, two entries there, one of them a tool's title",
                   transferKey(engine), transfer});
    std::vector<std::pair<std::string, std::string>> counts{{kSharedRoot, "SharedFilesDir"},
                                                            {kTableWorkbenchKey, "UseCount"}};
    for (const char* folder : kSharedSubfolders) counts.push_back({std::string(kSharedRoot) + "\\" + folder, "UseCount"});
    all.push_back({kLibrary, "BumpSharedUseCount: five features requested locally; counts 4, -3 and a REG_DWORD stored",
                   useCounts(engine, false), counts});
    all.push_back({kLibrary, "SetLocalSharedRoot: the shared folder recorded under the product's key",
                   localSharedRoot(engine, kSharedFilesDir), {{kProductKey, "LocalSharedRoot"}}});
    all.push_back({kLibrary, "ResetKRNAccessDriver: the new Access driver chosen, the driver key there",
                   accessDriver(engine, true), {{kAccessDriverKey, "DLL32"}}});
    all.push_back({kLibrary, "AddNetProbeRegEntry: Path \"C:\\Web\" extended", netProbe(engine, true, "C:\\Web"),
                   {{kNetProbeKey, "Path"}}});
    all.push_back({kLibrary, "RegisterOfficeControls: Office 2000", officeControls(engine, "Office2k"),
                   {{kKnownPackagesKey, "$(TSY)\\Bin\\tsy2kaxserver60.opk"}}});
    all.push_back({kLibrary, "UpdateLibraryPath: no library key (a warning box at /qb)",
                   libraryPath(engine, std::nullopt, UiLevel::Basic), {}});
    all.push_back({kLibrary, "RegisterHalORB: both services already registered; the questions go unanswered",
                   halOrb(engine, 8, true, UiLevel::Basic), {}});
    all.back().scenario.watchedFiles = {kBrokerCalls};
    all.push_back({kLibrary, "RegisterLattice: the type libraries and the information server registered",
                   lattice(engine), {}});
    return all;
}

}  // namespace engine::orvregistry
