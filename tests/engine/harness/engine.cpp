#include "engine.h"

#include <cstdlib>
#include <stdexcept>

#include "engine_errors.h"
#include "process.h"

namespace engine {

namespace fs = std::filesystem;

namespace {

constexpr const char* kProbeOutput = "C:\\engine-probe.txt";
// Inside the prefix, like every path the run writes to.
constexpr const char* kInstallLog = "C:\\engine-install.log";
constexpr auto kRunTimeout = std::chrono::seconds(180);

fs::path fromEnvironment(const char* variable, const fs::path& fallback) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0' ? fs::path(value) : fallback;
}

WineTools locateWine() {
    return {locateProgram("ORV_WINE", {"/usr/lib/wine/wine64"}, "wine64"),
            locateProgram("ORV_WINESERVER", {"/usr/lib/wine/wineserver"}, "wineserver")};
}

fs::path locateWixl() { return locateProgram("ORV_WIXL", {}, "wixl"); }

fs::path locateMsiinfo() { return locateProgram("ORV_MSIINFO", {}, "msiinfo"); }

bool keepAll() {
    const char* keep = std::getenv("ORV_ENGINE_KEEP");
    return keep != nullptr && std::string(keep) == "1";
}

fs::path newRunFolder(const fs::path& workDir) {
    fs::create_directories(workDir / "runs");
    std::string pattern = (workDir / "runs" / "run-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a run folder in " + workDir.string());
    return pattern;
}

template <typename Clock = std::chrono::steady_clock>
std::chrono::milliseconds since(typename Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

constexpr unsigned kInstallFailure = 1603;

// msiexec's status arrives cut to 8 bits, so the expected code is compared cut as well.
std::string verdict(const Scenario& scenario, const Outcome& outcome) {
    std::string failure;
    if (outcome.timedOut) failure += "msiexec did not end in time; ";
    if (outcome.exitCode != static_cast<int>(scenario.expectedResult & 0xFF))
        failure += "msiexec ended with " + std::to_string(outcome.exitCode) + ", expected " +
                   std::to_string(scenario.expectedResult & 0xFF) + " (" + std::to_string(scenario.expectedResult) +
                   " cut to 8 bits); ";
    for (const std::string& error : outcome.engineErrors) failure += "Wine reported: " + error + "; ";
    return failure;
}

std::vector<fs::path> dllsOf(const PackageDesign& design, const fs::path& probeDll) {
    std::vector<fs::path> dlls{probeDll};
    for (const ActionDesign& action : design.actions) dlls.push_back(action.dll);
    return dlls;
}

}  // namespace

std::string Engine::unavailableReason() {
    const WineTools wine = locateWine();
    if (wine.wine.empty()) return "wine64 not found (set ORV_WINE or install wine64; see scripts/deps.sh)";
    if (wine.wineserver.empty()) return "wineserver not found (set ORV_WINESERVER)";
    if (locateWixl().empty()) return "wixl not found (set ORV_WIXL or install wixl; see scripts/deps.sh)";
    if (locateMsiinfo().empty()) return "msiinfo not found (set ORV_MSIINFO or install msitools; see scripts/deps.sh)";
    return {};
}

Engine& Engine::shared() {
    static Engine engine;
    return engine;
}

Engine::Engine()
    : tools_(locateWine()),
      wixl_(locateWixl()),
      msiinfo_(locateMsiinfo()),
      distDir_(fromEnvironment("ORV_DIST_DIR", fs::path(ORV_ENGINE_SOURCE_DIR) / "dist")),
      probeDll_(fromEnvironment("ORV_PROBE_DLL", ORV_ENGINE_PROBE_DLL)),
      workDir_(fromEnvironment("ORV_ENGINE_WORK", fs::path(ORV_ENGINE_BINARY_DIR) / "engine-work")),
      template_(workDir_ / "template") {
    if (const std::string reason = unavailableReason(); !reason.empty()) throw std::runtime_error(reason);
    ensureTemplate(tools_, template_);
}

fs::path Engine::libraryDll(const std::string& library) const { return distDir_ / "x64" / (library + ".dll"); }

Prefix Engine::preparePrefix(const Scenario& scenario, const fs::path& folder) const {
    Prefix prefix = Prefix::cloneOf(template_, folder);
    if (!scenario.registry.empty()) {
        RegistryFile hive = prefix.machineHive();
        for (const RegistrySeed& seed : scenario.registry) hive.set(seed.key, seed.name, seed.value);
        prefix.saveMachineHive(hive);
    }
    for (const FileSeed& seed : scenario.files) prefix.seedFile(seed.path, seed.contents, seed.readOnly);
    if (scenario.traceMessageBoxes) {
        // Relay tracing of this one function keeps the trace small enough to read.
        RegistryFile user = prefix.userHive();
        user.set("Software\\Wine\\Debug", "RelayInclude", RegValue::string("user32.MessageBoxA"));
        prefix.saveUserHive(user);
    }
    return prefix;
}

std::string Engine::placePackage(const Scenario& scenario, Prefix& prefix, const fs::path& folder) const {
    const PackageDesign& design = scenario.package;
    const fs::path built = buildPackage(wixl_, packageSource(design, probeDll_, kProbeOutput), dllsOf(design, probeDll_),
                                        folder, "package");
    checkSequence(msiinfo_, built, design);
    std::string windowsPath = scenario.sourceFolder;
    if (windowsPath.empty() || windowsPath.back() != '\\') windowsPath += '\\';
    windowsPath += design.productName + ".msi";
    const fs::path placed = prefix.unixPath(windowsPath);
    fs::create_directories(placed.parent_path());
    fs::copy_file(built, placed, fs::copy_options::overwrite_existing);
    if (scenario.packageReadOnly) prefix.setReadOnly(windowsPath, true);
    return windowsPath;
}

Outcome Engine::run(const Scenario& scenario) {
    Outcome outcome = runUnchecked(scenario);
    if (!outcome.failure().empty()) outcome.prefix().keep();
    outcome.throwIfFailed();
    return outcome;
}

Outcome Engine::runUnchecked(const Scenario& scenario) {
    if (scenario.expectedResult != 0 && scenario.expectedResult != kInstallFailure)
        throw std::invalid_argument("an action may end an installation only with 0 or 1603");
    const auto start = std::chrono::steady_clock::now();
    // The harness's own files (package source, logs) sit in the prefix folder, so that they go
    // with it, or stay with it for a look after a failure.
    const fs::path root = newRunFolder(workDir_);
    const fs::path folder = root / "harness";
    Prefix prefix = preparePrefix(scenario, root);
    if (keepAll()) prefix.keep();
    const std::string packagePath = placePackage(scenario, prefix, folder);
    Outcome outcome(std::move(prefix), packagePath);
    outcome.machineBefore = outcome.prefix().machineHive();
    for (const std::string& path : scenario.watchedFiles) outcome.filesBefore[path] = outcome.prefix().file(path);
    outcome.timings.prepare = since(start);

    std::vector<std::string> command{tools_.wine.string(), "msiexec", "/i", packagePath,
                                     scenario.uiLevel == UiLevel::Basic ? "/qb" : "/qn", "/l*v", kInstallLog};
    for (const auto& [name, value] : scenario.commandLine) command.push_back(name + "=" + value);
    Environment environment = wineEnvironment(outcome.prefix().root());
    const char* debug = std::getenv("ORV_ENGINE_WINEDEBUG");
    environment.set("WINEDEBUG", wineDebugForRun(debug != nullptr ? debug : "", scenario.traceMessageBoxes));
    const ProcessResult ran =
        runProcess(command, environment, folder / "msiexec.out", folder / "msiexec.err", kRunTimeout);
    outcome.exitCode = ran.exitCode;
    outcome.timedOut = ran.timedOut;
    outcome.timings.msiexec = ran.elapsed;
    const std::string output = readText(folder / "msiexec.out") + readText(folder / "msiexec.err");
    if (scenario.traceMessageBoxes) outcome.messageBoxes = messageBoxesIn(output);
    std::vector<std::string> mayHalt;
    if (scenario.expectedResult == kInstallFailure)
        for (const ActionDesign& action : scenario.package.actions) mayHalt.push_back(action.entry);
    outcome.engineErrors = engineErrorsIn(output, mayHalt);

    // Ending the server also saves the registry, which is then read from the hive file.
    const ProcessResult ended = runProcess({tools_.wineserver.string(), "-k"}, environment, folder / "server.out",
                                           folder / "server.err", std::chrono::seconds(60));
    outcome.timings.serverEnd = ended.elapsed;
    outcome.machine = outcome.prefix().machineHive();
    if (const auto probed = outcome.prefix().file(kProbeOutput)) outcome.probe = ProbeReport::parse(probed->contents);
    if (const auto log = outcome.prefix().file(kInstallLog)) outcome.installLog = InstallLog::parse(log->contents);
    outcome.failure_ = verdict(scenario, outcome);
    const ProbeStage* after = outcome.probe.stage("after");
    if (after == nullptr || !after->complete) outcome.prefix().keep();
    return outcome;
}

void Outcome::throwIfFailed() const {
    if (!failure_.empty()) throw RunFailure("the run failed: " + failure_ + "\n" + log());
}

const ProbeStage& Outcome::after() const {
    const ProbeStage* stage = probe.stage("after");
    if (stage == nullptr || !stage->complete)
        throw std::runtime_error("the probe did not run after the actions; " + log());
    return *stage;
}

const ProbeStage& Outcome::before() const {
    const ProbeStage* stage = probe.stage("before");
    if (stage == nullptr || !stage->complete)
        throw std::runtime_error("the probe did not run before the actions; " + log());
    return *stage;
}

std::string Outcome::log() const {
    const fs::path folder = prefix_.root() / "harness";
    std::string actionLines;
    for (const ActionLine& line : installLog.actionLines()) actionLines += line.source + ": " + line.text + "\n";
    return "msiexec exit " + std::to_string(exitCode) + (timedOut ? " (timed out)" : "") + " in " +
           folder.string() + "\nstdout:\n" + readText(folder / "msiexec.out") + "stderr:\n" +
           readText(folder / "msiexec.err") + "actions' log lines:\n" + actionLines;
}

}  // namespace engine
