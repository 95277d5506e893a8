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

fs::path locateMsibuild() { return locateProgram("ORV_MSIBUILD", {}, "msibuild"); }

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
std::string verdict(const Run& run, const RunOutcome& outcome) {
    std::string failure;
    if (outcome.timedOut) failure += "msiexec did not end in time; ";
    if (outcome.exitCode != static_cast<int>(run.expectedResult & 0xFF))
        failure += "msiexec ended with " + std::to_string(outcome.exitCode) + ", expected " +
                   std::to_string(run.expectedResult & 0xFF) + " (" + std::to_string(run.expectedResult) +
                   " cut to 8 bits); ";
    for (const std::string& error : outcome.engineErrors) failure += "Wine reported: " + error + "; ";
    return failure;
}

// The actions that may stop a run expected to fail: the actions under test, and InstallFinalize,
// which reports a failure of the script it runs as its own.
std::vector<std::string> mayHalt(const PackageDesign& design, const Run& run) {
    std::vector<std::string> names;
    if (run.expectedResult != kInstallFailure) return names;
    for (const ActionDesign& action : design.actions) {
        names.push_back(action.actionName());
        if (action.execute != Execute::Immediate) names.push_back("InstallFinalize");
    }
    return names;
}

std::vector<std::string> commandFor(const WineTools& tools, const Run& run, const std::string& packagePath) {
    std::vector<std::string> command{tools.wine.string(), "msiexec", run.operation == Operation::Uninstall ? "/x" : "/i",
                                     packagePath, run.uiLevel == UiLevel::Basic ? "/qb" : "/qn", "/l*v", kInstallLog};
    if (run.operation == Operation::Repair) command.push_back("REINSTALL=ALL");
    for (const auto& [name, value] : run.commandLine) command.push_back(name + "=" + value);
    return command;
}

// A file the run left in the prefix, moved to the run's own folder so that the next run starts
// without it; its contents, or empty when the run wrote none.
std::string takeFile(const Prefix& prefix, const std::string& windowsPath, const fs::path& keptAs) {
    const fs::path path = prefix.unixPath(windowsPath);
    if (!fs::exists(path)) return {};
    const std::string contents = readText(path);
    fs::rename(path, keptAs);
    return contents;
}

}  // namespace

std::string operationName(Operation operation) {
    switch (operation) {
        case Operation::Install: return "install";
        case Operation::Repair: return "repair";
        case Operation::Uninstall: return "uninstall";
    }
    return "install";
}

std::string Engine::unavailableReason() {
    const WineTools wine = locateWine();
    if (wine.wine.empty()) return "wine64 not found (set ORV_WINE or install wine64; see scripts/deps.sh)";
    if (wine.wineserver.empty()) return "wineserver not found (set ORV_WINESERVER)";
    if (locateWixl().empty()) return "wixl not found (set ORV_WIXL or install wixl; see scripts/deps.sh)";
    if (locateMsiinfo().empty()) return "msiinfo not found (set ORV_MSIINFO or install msitools; see scripts/deps.sh)";
    if (locateMsibuild().empty()) return "msibuild not found (set ORV_MSIBUILD or install msitools; see scripts/deps.sh)";
    return {};
}

Engine& Engine::shared() {
    static Engine engine;
    return engine;
}

Engine::Engine()
    : tools_(locateWine()),
      packageTools_{locateWixl(), locateMsibuild(), locateMsiinfo()},
      distDir_(fromEnvironment("ORV_DIST_DIR", fs::path(ORV_ENGINE_SOURCE_DIR) / "dist")),
      probeDll_(fromEnvironment("ORV_PROBE_DLL", ORV_ENGINE_PROBE_DLL)),
      workDir_(fromEnvironment("ORV_ENGINE_WORK", fs::path(ORV_ENGINE_BINARY_DIR) / "engine-work")),
      template_(workDir_ / "template"),
      versionedFiles_(workDir_) {
    if (const std::string reason = unavailableReason(); !reason.empty()) throw std::runtime_error(reason);
    ensureTemplate(tools_, template_);
}

fs::path Engine::libraryDll(const std::string& library) const { return distDir_ / "x64" / (library + ".dll"); }

void Engine::seed(Prefix& prefix, const std::vector<RegistrySeed>& registry, const std::vector<FileSeed>& files) const {
    if (!registry.empty()) {
        RegistryFile hive = prefix.machineHive();
        for (const RegistrySeed& seed : registry) hive.set(seed.key, seed.name, seed.value);
        prefix.saveMachineHive(hive);
    }
    for (const FileSeed& seed : files) {
        if (seed.folder) {
            fs::create_directories(prefix.unixPath(seed.path));
            prefix.setReadOnly(seed.path, seed.readOnly);
            continue;
        }
        prefix.seedFile(seed.path, seed.version ? readText(versionedFiles_.dll(*seed.version)) : seed.contents,
                        seed.readOnly);
    }
}

Prefix Engine::preparePrefix(const Scenario& scenario, const fs::path& folder) const {
    Prefix prefix = Prefix::cloneOf(template_, folder);
    if (!scenario.removedKeys.empty()) {
        RegistryFile hive = prefix.machineHive();
        for (const std::string& key : scenario.removedKeys) hive.removeKey(key);
        prefix.saveMachineHive(hive);
    }
    seed(prefix, scenario.registry, scenario.files);
    if (scenario.traceMessageBoxes) {
        // Relay tracing of this one function keeps the trace small enough to read.
        RegistryFile user = prefix.userHive();
        user.set("Software\\Wine\\Debug", "RelayInclude", RegValue::string("user32.MessageBoxA"));
        prefix.saveUserHive(user);
    }
    return prefix;
}

std::string Engine::placePackage(const Scenario& scenario, Prefix& prefix, const fs::path& folder) const {
    const fs::path built =
        buildPackage(packageTools_, scenario.package, probeDll_, kProbeOutput, versionedFiles_, folder, "package");
    std::string windowsPath = scenario.sourceFolder;
    if (windowsPath.empty() || windowsPath.back() != '\\') windowsPath += '\\';
    windowsPath += scenario.package.productName + ".msi";
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

RunOutcome Engine::runOnce(const Scenario& scenario, const Run& run, Prefix& prefix, const std::string& packagePath,
                           const fs::path& files) const {
    fs::create_directories(files);
    RunOutcome outcome;
    outcome.operation = run.operation;
    outcome.files = files;
    outcome.machineBefore = prefix.machineHive();
    Environment environment = wineEnvironment(prefix.root());
    // Without services.exe no service starts with the run (svchost, plugplay, winedevice), which
    // took more than half of each run's time on two busy cores; no action here uses a service,
    // and the installer engine needs none (ENGINE_NOTES.md, "Timings here"). The template is
    // booted with them.
    environment.set("WINEDLLOVERRIDES", "mscoree,mshtml=;winemenubuilder.exe=d;services.exe=d");
    const char* debug = std::getenv("ORV_ENGINE_WINEDEBUG");
    environment.set("WINEDEBUG", wineDebugForRun(debug != nullptr ? debug : "", scenario.traceMessageBoxes));
    if (!scenario.dllOverrides.empty())
        environment.set("WINEDLLOVERRIDES", environment.value("WINEDLLOVERRIDES") + ";" + scenario.dllOverrides);
    const ProcessResult ran = runProcess(commandFor(tools_, run, packagePath), environment, files / "msiexec.out",
                                         files / "msiexec.err", kRunTimeout);
    outcome.exitCode = ran.exitCode;
    outcome.timedOut = ran.timedOut;
    outcome.timings.msiexec = ran.elapsed;
    const std::string output = readText(files / "msiexec.out") + readText(files / "msiexec.err");
    if (scenario.traceMessageBoxes) outcome.messageBoxes = messageBoxesIn(output);
    outcome.engineErrors = engineErrorsIn(output, mayHalt(scenario.package, run));

    // Ending the server also saves the registry, which is then read from the hive file.
    const ProcessResult ended = runProcess({tools_.wineserver.string(), "-k"}, environment, files / "server.out",
                                           files / "server.err", std::chrono::seconds(60));
    outcome.timings.serverEnd = ended.elapsed;
    outcome.machine = prefix.machineHive();
    outcome.probe = ProbeReport::parse(takeFile(prefix, kProbeOutput, files / "probe.txt"));
    outcome.installLog = InstallLog::parse(takeFile(prefix, kInstallLog, files / "install.log"));
    return outcome;
}

Outcome Engine::runUnchecked(const Scenario& scenario) {
    std::vector<Run> runs{Run{Operation::Install, scenario.commandLine, scenario.uiLevel, scenario.expectedResult, {}, {}, {}}};
    runs.insert(runs.end(), scenario.laterRuns.begin(), scenario.laterRuns.end());
    for (const Run& run : runs)
        if (run.expectedResult != 0 && run.expectedResult != kInstallFailure)
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
    for (const std::string& path : scenario.watchedFiles) outcome.filesBefore[path] = outcome.prefix().file(path);
    const auto prepared = since(start);

    std::vector<RunOutcome> done;
    bool stopsEarly = false;
    for (std::size_t n = 0; n < runs.size(); ++n) {
        const Run& run = runs[n];
        const auto seeding = std::chrono::steady_clock::now();
        if (n > 0) {
            seed(outcome.prefix(), run.registry, run.files);
            for (const std::string& path : run.removedFiles) fs::remove(outcome.prefix().unixPath(path));
        }
        RunOutcome ran = runOnce(scenario, run, outcome.prefix(), packagePath, folder / ("run" + std::to_string(n + 1)));
        ran.timings.prepare = n == 0 ? prepared : since(seeding);
        const std::string failure = verdict(run, ran);
        if (!failure.empty())
            outcome.failure_ += "run " + std::to_string(n + 1) + " (" + operationName(run.operation) + "): " + failure;
        const ProbeStage* after = ran.probe.stage("after");
        stopsEarly = stopsEarly || (run.expectedResult == 0 && (after == nullptr || !after->complete));
        done.push_back(std::move(ran));
        // A later run on a prefix the failed one left would only confuse the findings.
        if (!failure.empty()) break;
    }
    static_cast<RunOutcome&>(outcome) = std::move(done.front());
    outcome.laterRuns.assign(std::make_move_iterator(done.begin() + 1), std::make_move_iterator(done.end()));
    // A failed run is kept by run(); the harness's own tests provoke failures on purpose.
    if (stopsEarly) outcome.prefix().keep();
    return outcome;
}

void Outcome::throwIfFailed() const {
    if (!failure_.empty()) throw RunFailure("the run failed: " + failure_ + "\n" + log());
}

const ProbeStage& RunOutcome::after() const {
    const ProbeStage* stage = probe.stage("after");
    if (stage == nullptr || !stage->complete)
        throw std::runtime_error("the probe did not run after the actions; " + log());
    return *stage;
}

const ProbeStage& RunOutcome::before() const {
    const ProbeStage* stage = probe.stage("before");
    if (stage == nullptr || !stage->complete)
        throw std::runtime_error("the probe did not run before the actions; " + log());
    return *stage;
}

std::string RunOutcome::log() const {
    std::string actionLines;
    for (const ActionLine& line : installLog.actionLines()) actionLines += line.source + ": " + line.text + "\n";
    return operationName(operation) + ": msiexec exit " + std::to_string(exitCode) + (timedOut ? " (timed out)" : "") +
           " in " + files.string() + "\nstdout:\n" + readText(files / "msiexec.out") + "stderr:\n" +
           readText(files / "msiexec.err") + "actions' log lines:\n" + actionLines;
}

std::string Outcome::log() const {
    std::string text = RunOutcome::log();
    for (const RunOutcome& run : laterRuns) text += "\n" + run.log();
    return text;
}

}  // namespace engine
