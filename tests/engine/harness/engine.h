// Runs of the installer engine on a package of the test's making, in a prefix of its own: seed the
// prefix, build the package, run `msiexec /i ... /qn /l*v ...` (or /qb), end the prefix's server,
// and read back what changed, what the actions logged and what Wine reported. A scenario may go
// on with more runs on the same prefix (a repair, a removal of features, an uninstall), each
// seeing what the runs before it installed.
//
// Locations, each overridable from the environment:
//   ORV_WINE, ORV_WINESERVER, ORV_WIXL, ORV_MSIINFO, ORV_MSIBUILD  the tools (default:
//                         /usr/lib/wine/wine64, /usr/lib/wine/wineserver, the others on PATH)
//   ORV_WINDRES, ORV_MINGW_CC  MinGW's tools for files with a version resource (default:
//                         x86_64-w64-mingw32-windres and -gcc on PATH)
//   ORV_DIST_DIR       the built libraries, <dir>/x64/<Library>.dll (default: the source tree's dist)
//   ORV_PROBE_DLL      the probe (default: build/x64/tests/engine/probe/EngineProbe.dll)
//   ORV_ENGINE_WORK    where the template, the runs' prefixes and the versioned files live
//                      (default: the build folder)
//   ORV_ENGINE_KEEP=1  keep every run's prefix; a run that failed, or whose probe did not finish
//                      unexpectedly, is kept anyway
//   ORV_ENGINE_WINEDEBUG  WINEDEBUG for the runs (default -all); the msi error and warning
//                         channels are added to it always, since a run is judged by them
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "install_log.h"
#include "message_trace.h"
#include "package.h"
#include "prefix.h"
#include "probe_report.h"
#include "registry_file.h"

namespace engine {

struct RegistrySeed {
    std::string key;  // under HKEY_LOCAL_MACHINE, e.g. "Software\\Vendor\\Product"
    std::string name;
    RegValue value;
};

struct FileSeed {
    std::string path;  // a Windows path on C:
    std::string contents;
    bool readOnly = false;
    // A DLL with this version resource instead of `contents` (built on demand with MinGW).
    std::optional<FileVersion> version;
    // An empty folder at `path` instead of a file; `readOnly` takes its write permission bits.
    bool folder = false;
};

// msiexec's user interface level, which the installer gives actions as UILevel.
enum class UiLevel {
    None,   // /qn, UILevel "2": a silent installation, where no action may show a box
    Basic,  // /qb, UILevel "3": boxes are shown (without a display Wine returns -1 at once)
};

// What msiexec is asked to do with the package.
enum class Operation {
    // msiexec /i: the first installation, or a maintenance run of the installed product with
    // REMOVE=<features> or ADDLOCAL=<features> on the command line.
    Install,
    // msiexec /i ... REINSTALL=ALL. Wine's msiexec /fa repairs nothing here (ENGINE_NOTES.md).
    Repair,
    // msiexec /x: REMOVE=ALL, every feature requested absent.
    Uninstall,
};

std::string operationName(Operation operation);  // "install", "repair", "uninstall"

// A run after the first, on the same prefix and package.
struct Run {
    Operation operation = Operation::Install;
    std::vector<std::pair<std::string, std::string>> commandLine;  // PROPERTY=value
    UiLevel uiLevel = UiLevel::None;
    unsigned expectedResult = 0;  // as Scenario::expectedResult
    // Put in place just before this run, over what the runs before it left.
    std::vector<RegistrySeed> registry;
    std::vector<FileSeed> files;
    std::vector<std::string> removedFiles;  // Windows paths
};

struct Scenario {
    PackageDesign package;
    // The first run: seeds, command line, UI level and result.
    std::vector<RegistrySeed> registry;
    std::vector<FileSeed> files;
    std::vector<std::pair<std::string, std::string>> commandLine;  // PROPERTY=value after /qn
    // The folder msiexec runs the package from, which becomes SourceDir once ResolveSource has
    // run. The package file is named <ProductName>.msi, as a copy kept for maintenance would be.
    std::string sourceFolder = "C:\\source";
    bool packageReadOnly = false;
    // Files whose state before the run is kept in Outcome::filesBefore, for before/after reports.
    std::vector<std::string> watchedFiles;
    // Trace user32.MessageBoxA into Outcome::messageBoxes (a slower run: Wine's relay tracing).
    bool traceMessageBoxes = false;
    UiLevel uiLevel = UiLevel::None;
    // How msiexec must end: 0, or 1603 where an action under test fails the installation. Only
    // then may Wine report "Execution halted" for it (and for InstallFinalize, when the action
    // runs in the script); any other error it reports fails the run.
    unsigned expectedResult = 0;
    // Runs after the first, on the same prefix; each sees what the runs before it installed.
    std::vector<Run> laterRuns;
    // HKLM keys taken out of the clone before the seeds, with everything below them: the
    // template's own ones (Wine registers a just-in-time debugger of its own) cannot be seeded away.
    std::vector<std::string> removedKeys;
    // Added to every run's WINEDLLOVERRIDES, e.g. "oledb32=n": Wine answers version queries on
    // some files with its built-in DLL's version unless the native one is asked for.
    std::string dllOverrides;
};

struct Timings {
    std::chrono::milliseconds prepare{0};  // clone, seeds, wixl
    std::chrono::milliseconds msiexec{0};
    std::chrono::milliseconds serverEnd{0};
};

// What one msiexec run did.
struct RunOutcome {
    Operation operation = Operation::Install;
    int exitCode = -1;  // msiexec's status as the shell sees it: 8 bits (1603 arrives as 67)
    bool timedOut = false;
    ProbeReport probe;
    RegistryFile machineBefore;  // HKLM just before the run: as seeded, or as the run before left it
    RegistryFile machine;        // HKLM after the run
    std::vector<MessageBoxCall> messageBoxes;  // with Scenario::traceMessageBoxes
    InstallLog installLog;                     // the run's /l*v log
    // Wine's reports of an action that crashed, a DLL or export it could not load, or an
    // installation that stopped unexpectedly (see engine_errors.h).
    std::vector<std::string> engineErrors;
    Timings timings;
    std::filesystem::path files;  // the run's own files: msiexec's output, the log, the report

    // The probe's snapshot after the actions; throws if the probe never got there, which means
    // the run stopped early (an action failed, or the engine could not load the probe).
    const ProbeStage& after() const;
    const ProbeStage& before() const;
    std::optional<RegValue> machineValue(const std::string& key, const std::string& name) const {
        return machine.value(key, name);
    }
    std::string log() const;  // msiexec's output and the actions' log lines, for failure messages
};

// A scenario's runs on its prefix. The outcome is that of its first run, with the runs after it
// in laterRuns.
class Outcome : public RunOutcome {
public:
    Outcome(Prefix prefix, std::string packagePath) : prefix_(std::move(prefix)), packagePath_(std::move(packagePath)) {}

    std::vector<RunOutcome> laterRuns;
    std::map<std::string, std::optional<FileState>> filesBefore;  // the scenario's watched files

    // Why the runs count as failed whatever the engine's exit status says: errors Wine reported,
    // an exit other than the scenario expects, a run that timed out. Empty when all ran soundly.
    std::string failure() const { return failure_; }
    // Throws RunFailure, with the reason and the runs' output, if a run failed.
    void throwIfFailed() const;

    // The last run, which is the first when there is only one.
    const RunOutcome& last() const { return laterRuns.empty() ? *this : laterRuns.back(); }
    std::optional<FileState> file(const std::string& windowsPath) const { return prefix_.file(windowsPath); }
    const std::string& packagePath() const { return packagePath_; }  // the Windows path run
    const Prefix& prefix() const { return prefix_; }
    Prefix& prefix() { return prefix_; }
    std::string log() const;  // every run's output

private:
    friend class Engine;
    Prefix prefix_;
    std::string packagePath_;
    std::string failure_;
};

// A run that failed whatever msiexec's status says; what() holds the reason and the run's output.
class RunFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Engine {
public:
    // Why runs are impossible here (no wine64, no wixl); empty when they are possible.
    static std::string unavailableReason();
    // The one engine of this process; boots or reuses the template on first use.
    static Engine& shared();

    // <dist>/x64/<library>.dll, for ActionDesign.
    std::filesystem::path libraryDll(const std::string& library) const;
    // The probe, which also holds the harness's test actions (ReportScript, FailInstallation,
    // CallWindows).
    const std::filesystem::path& probeDll() const { return probeDll_; }
    // A DLL whose version resource gives `version`.
    std::filesystem::path versionedFile(const FileVersion& version) const { return versionedFiles_.dll(version); }

    // Runs the scenario and throws RunFailure unless every run ran soundly (Outcome::failure());
    // the failed runs' prefix is kept for a look.
    Outcome run(const Scenario& scenario);
    // The same, giving back a failed run as well: for the harness's own tests of the verdict.
    Outcome runUnchecked(const Scenario& scenario);

private:
    Engine();
    Prefix preparePrefix(const Scenario& scenario, const std::filesystem::path& folder) const;
    std::string placePackage(const Scenario& scenario, Prefix& prefix, const std::filesystem::path& folder) const;
    void seed(Prefix& prefix, const std::vector<RegistrySeed>& registry, const std::vector<FileSeed>& files) const;
    RunOutcome runOnce(const Scenario& scenario, const Run& run, Prefix& prefix, const std::string& packagePath,
                       const std::filesystem::path& files) const;

    WineTools tools_;
    PackageTools packageTools_;
    std::filesystem::path distDir_;
    std::filesystem::path probeDll_;
    std::filesystem::path workDir_;
    std::filesystem::path template_;
    VersionedFiles versionedFiles_;
};

}  // namespace engine
