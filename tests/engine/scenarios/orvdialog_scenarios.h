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

std::vector<DemoScenario> demos(const Engine& engine);

}  // namespace engine::orvdialog
