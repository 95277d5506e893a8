// What Wine's msi debug channel says on msiexec's output (WINEDEBUG with err+msi and warn+msi):
// the one place where Wine admits that a custom action crashed or could not be called, since
// msiexec itself reports success then (ENGINE_NOTES.md, "Crashes and missing exports"):
//
//   0128:err:msi:__wine_msi_call_dll_function Custom action (L"C:\\...\\msi6d3.tmp":"WriteThroughNull") caused a page fault: 0xc0000005
//   0128:err:msi:__wine_msi_call_dll_function failed to load dll L"C:\\...\\msi28c2.tmp" (193)
//   0128:warn:msi:__wine_msi_call_dll_function GetProcAddress("NoSuchExport") failed
//
// An action that fails the installation on purpose is reported there too:
//
//   00d0:err:msi:ITERATE_Actions Execution halted, action L"SetupReadyDialog" returned 1603
//
// and one that runs in the script twice, as itself and as InstallFinalize:
//
//   0154:err:msi:execute_script Execution of script 0 halted; action L"FailStep" returned 1603
//   0154:err:msi:ITERATE_Actions Execution halted, action L"InstallFinalize" returned 1603
#pragma once

#include <string>
#include <vector>

namespace engine {

// The lines of `output` that make a run fail: every err:msi: line, and the warning of an export
// that is missing (Wine reports that one only as a warning). `mayHalt` names the actions whose
// "Execution halted ... returned 1603" is expected; that line alone is let through for them.
std::vector<std::string> engineErrorsIn(const std::string& output, const std::vector<std::string>& mayHalt);

// The WINEDEBUG value for a run: `base` (the caller's choice of channels, "-all" by default),
// then relay tracing if asked for, then the msi error and warning channels, last so that no
// base setting can turn them off.
std::string wineDebugForRun(const std::string& base, bool relay);

}  // namespace engine
