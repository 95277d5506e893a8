// Packages for OrvRegistry's actions, shared by the engine tests and the demo. Every action runs
// right after CostFinalize, where INSTALLDIR and the requested states are known. The programs of
// the tests' own (tests/engine/orvregistry_programs) stand in for the object broker's
// registration library and for the tools RegisterLattice starts.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "demo_scenario.h"
#include "engine.h"

namespace engine::orvregistry {

inline constexpr const char* kLibrary = "OrvRegistry";
inline constexpr const char* kProductKey = "Software\\Orvanta\\Quillon\\7.0";
inline constexpr const char* kTransferKey = "Software\\Orvanta\\Quillon\\7.0\\Transfer";
inline constexpr const char* kUninstallInfoKey = "Software\\Orvanta\\Quillon\\7.0\\UnInstInfo";
inline constexpr const char* kSharedRoot = "Software\\Orvanta\\Orvanta Shared";
inline constexpr const char* kTableWorkbenchKey = "Software\\Orvanta\\TWB\\7.0";
inline constexpr const char* kAccessDriverKey = "Software\\Orvanta\\Database Engine\\Settings\\DRIVERS\\MSACCESS\\INIT";
inline constexpr const char* kNetProbeKey = "Software\\Orvanta\\NetProbe";
inline constexpr const char* kKnownPackagesKey = "Software\\Orvanta\\Quillon\\7.0\\Known Packages";
inline constexpr const char* kLibraryKey = "Software\\Orvanta\\Quillon\\7.0\\Library";
inline constexpr const char* kVaultSyncKey = "Software\\Orvanta\\VaultSync\\1.0";

// Where the package's INSTALLDIR lands (with its backslash), and the folders seeded around it.
inline constexpr const char* kInstallDir = "C:\\Program Files\\Orv Engine Test\\";
inline constexpr const char* kTableWorkbenchDir = "C:\\TWB\\";
inline constexpr const char* kVaultSyncRoot = "C:\\VaultSync";
inline constexpr const char* kSharedFilesDir = "C:\\Shared\\";
inline constexpr const char* kBrokerDir = "C:\\Halyard";
// Where the broker stand-in writes its calls, and where the started programs write their records.
inline constexpr const char* kBrokerCalls = "C:\\Halyard\\Bin\\broker-calls.txt";
inline constexpr const char* kStartedFolder = "C:\\started";

// The tests' own programs, built with MinGW on first use and kept in the engine's work folder.
struct TestPrograms {
    std::filesystem::path broker;       // the broker's registration library
    std::filesystem::path recorder;     // a program that records how it was started
    std::filesystem::path startedWait;  // a DLL whose action waits for three records
};
const TestPrograms& testPrograms();

// UpdateTransferKey with every tool's file on the disk, VaultSync registered, and a Tools menu of
// two entries already there, the second titled as pixpad.exe's row.
Scenario transferKey(const Engine& engine);

// BumpSharedUseCount over the five features, each requested locally, with stored counts "4"
// (Data), "-3" (Image Files) and a REG_DWORD (MSHelp); `protectedRoot` denies writing to the
// shared root.
Scenario useCounts(const Engine& engine, bool protectedRoot);

// SetLocalSharedRoot for product Quillon 7.0 with SHARED_FILES_DIR as given.
Scenario localSharedRoot(const Engine& engine, const std::string& sharedFolder);

// ResetKRNAccessDriver with the Access family and the new driver chosen in slot 1.
Scenario accessDriver(const Engine& engine, bool driverKeyPresent);

// AddNetProbeRegEntry; the NetProbe key seeded or not, with Path as given or without one.
Scenario netProbe(const Engine& engine, bool keyPresent, const std::optional<std::string>& path);

// RegisterOfficeControls with MSOFFICE_VER as given.
Scenario officeControls(const Engine& engine, const std::string& officeVersion);

// UpdateLibraryPath with the library key's Search Path as given, or without the key; traced at
// the UI level given.
Scenario libraryPath(const Engine& engine, const std::optional<std::string>& searchPath, UiLevel level);

// RegisterHalORB with the broker stand-in at HALORB_DIR\Bin\register.dll answering `answer` to
// both existence tests, the component hlocate_exe local or left off, traced at the level given.
Scenario halOrb(const Engine& engine, int answer, bool componentLocal, UiLevel level);

// RegisterLattice with recorders as INSTALLDIR\bin\axreg.exe and hostinfo.exe, and the wait for
// their three records right after it.
Scenario lattice(const Engine& engine);

std::vector<DemoScenario> demos(const Engine& engine);

}  // namespace engine::orvregistry
