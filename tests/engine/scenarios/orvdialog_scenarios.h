// Packages for OrvDialog's actions, shared by the engine tests and the demo. Every action runs
// right after CostFinalize, where the requested feature states are known, as the package's
// dialogs would run them.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "demo_scenario.h"
#include "engine.h"

namespace engine::orvdialog {

inline constexpr const char* kLibrary = "OrvDialog";
inline constexpr const char* kSharedRoot = "Software\\Orvanta\\Orvanta Shared";
inline constexpr const char* kProductKey = "Software\\Orvanta\\Quillon\\7.0";
inline constexpr const char* kKrnModuleFolder = "KRN_INSTALL_PATH.E966F0CB_76B3_11D3_945B_00C04FB1760A";

// The five destination features, each at level 1 (requested locally) or 2 (left off).
Scenario destinationDialog(const Engine& engine, const std::vector<FeatureDesign>& features);

// ValidatePath with two slots shown, program files and shared files, the latter bound to the
// directory SHARED_FILES_DIR; `emptySharedFolder` empties that directory's property first.
// BadPath is unset unless the caller sets it.
Scenario validatePath(const Engine& engine, const std::string& request, bool emptySharedFolder);

// OrvValidateInstallOptions over the seven features of its rules at the levels given (1 requested
// locally, 2 left off), at /qb with message boxes traced. A question gets no answer here, which
// counts as No.
Scenario installOptions(const Engine& engine, const std::vector<FeatureDesign>& features);

Scenario sqlConfigDialog(const Engine& engine);

// SetUseSharedFlag for product Quillon 7.0 with SHARED_FILES_DIR as given; `registered` seeds
// SharedFilesDir under the shared root, nullopt leaves the shared root out.
Scenario useSharedFlag(const Engine& engine, const std::string& chosen, const std::optional<RegValue>& registered);

Scenario krnPath(const Engine& engine, const std::string& engineFolder);

// SetupReadyDialog with InstallMsgCount as given, switches 1 to 4 on beforehand, the sample data
// requested locally, and the Granary server's key seeded or not.
Scenario readyDialog(const Engine& engine, const std::string& count, bool granaryInstalled);

// Where the MDAC test looks for oledb32.dll: CommonFilesFolder is the 32-bit programs' folder even
// in an x64 package. Wine gives the seeded file's own version only with Scenario::dllOverrides
// "oledb32=n".
inline constexpr const char* kOleDbFile =
    "C:\\Program Files (x86)\\Common Files\\System\\ole db\\oledb32.dll";
inline constexpr const char* kAeDebugKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug";

// CheckExtInstalls with DataAccess "Version" as given (nullopt: no DataAccess key) and an
// oledb32.dll of the given version (nullopt: none there).
Scenario extInstalls(const Engine& engine, const std::optional<std::string>& registered,
                     const std::optional<FileVersion>& oleDb);

// ProcessExternalInstalls on the two rows CheckExtInstalls offers when MDAC is missing, with
// INSTALL_GRANARY and INSTALL_MDAC requested and row 2's box cleared; `secondCaption` is the
// caption row 2 shows.
Scenario externalInstallChoice(const Engine& engine, const std::string& secondCaption);

// CheckFileAssoc, then ProcessFileAssoc on three file types (".pas" kept, ".dpr" and ".h"
// cleared), each with its Registry_FileType_<ext> component under the FileAssociations feature
// and its SET_<EXT> switch on.
Scenario fileAssociations(const Engine& engine);

// The actions given, in order, on a flat Feature table of twelve: the six core features, a
// "debugger" in lower case beside the core "Debugger", and five more, two of them left off.
// The compact installation's withdrawn offers are set beforehand.
Scenario featureResets(const Engine& engine, const std::vector<std::string>& actions);
std::vector<std::string> resetFeatures();  // the twelve, in table order

// ProcessHalORBSelection with HY_VER "HY4" on a fresh installation: the broker features left
// off, SamplePrograms local, and the Java keys seeded (nullopt leaves a key out).
Scenario brokerVersion4(const Engine& engine, const std::optional<std::string>& javaRuntime,
                        const std::optional<std::string>& javaKit);

// ProcessHalORBSelection without "HY4" in a maintenance run: the first run installs
// CORBASupport_HY4 and CorbaSamples and leaves CorbaSamples40 out; the second asks for the
// opposite on its command line, and the action (only in that run) holds the installed states.
Scenario brokerMaintenance(const Engine& engine);

// DisableFeatures then ProcessInstallDB, with Disable_HalORB and INSTALL_MSIDB as given (empty
// leaves the property out); CORBASupport and the InstallationDatabase component requested local.
Scenario featureSwitches(const Engine& engine, const std::string& disableHalOrb, const std::string& installMsiDb);

// CheckJITDebugKey with "Debugger" as given under AeDebug (nullopt: no AeDebug key at all; Wine's
// prefix registers winedbg there), SET_JITDEBUG as given beforehand, boxes traced.
Scenario jitDebugKey(const Engine& engine, const std::optional<RegValue>& debugger, const std::string& setBefore,
                     UiLevel level);

std::vector<DemoScenario> demos(const Engine& engine);

}  // namespace engine::orvdialog
