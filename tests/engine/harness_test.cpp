// The harness's readers of what Wine writes, on texts taken from real runs here (ENGINE_NOTES.md
// has the runs): every engine assertion relies on them, so they are pinned without Wine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_errors.h"
#include "install_log.h"
#include "message_trace.h"

namespace {

using engine::ActionLine;
using engine::InstallLog;

// The part of a Wine /l*v log around one custom action, as written: bare action lines, "\n" ends.
const std::string kWineLog =
    "=== Logging started: 12/11/2026  1:19:05 ===\n"
    "Action 1:19:05: CostFinalize. Computing space requirements\n"
    "Action start 1:19:05: CostFinalize.\n"
    "Action ended 1:19:05: CostFinalize. Return value 1.\n"
    "Action 1:19:05: ValidatePath. \n"
    "Action start 1:19:05: ValidatePath.\n"
    "OrvDialog.ValidatePath: box \"Error\" \"Shared Files path cannot be blank.\" not shown: silent installation; "
    "answer none\n"
    "OrvDialog.ValidatePath: slot 2 (Shared Files) has a blank folder: BadPath set\n"
    "Action ended 1:19:05: ValidatePath. Return value 1.\n"
    "Property(S): INSTALLDIR = C:\\Program Files\\Orv Engine Test\\\n"
    "Property(S): ProductName = Orv Engine Test\n";

// An action's lines in the order written, each with its library and export; the engine's own
// lines around them are not action lines.
TEST(InstallLog, ReadsTheActionLinesOfAWineLog) {
    const InstallLog log = InstallLog::parse(kWineLog);
    EXPECT_EQ(log.actionLines(),
              (std::vector<ActionLine>{
                  {"OrvDialog.ValidatePath",
                   "box \"Error\" \"Shared Files path cannot be blank.\" not shown: silent installation; answer none"},
                  {"OrvDialog.ValidatePath", "slot 2 (Shared Files) has a blank folder: BadPath set"}}));
    EXPECT_EQ(log.linesOf("OrvDialog", "ValidatePath").size(), 2u);
    EXPECT_TRUE(log.linesOf("OrvCommon", "ValidatePath").empty());
    EXPECT_EQ(log.linesContaining("ProductName"), (std::vector<std::string>{"Property(S): ProductName = Orv Engine Test"}));
}

// A message with line breaks spans lines of the file; they belong to it up to the next action line
// or the action's end. Only lines written while an action runs count, including an action of the
// install script, which runs inside InstallFinalize.
TEST(InstallLog, KeepsAMessageWithLineBreaksWholeAndIgnoresLinesOutsideActions) {
    const InstallLog log = InstallLog::parse(
        "OrvDialog.Stray: before any action\n"
        "Action start 1:20:00: OrvValidateInstallOptions.\n"
        "OrvDialog.OrvValidateInstallOptions: box \"Component Selection Error\" \"DataPipe is required.\n"
        "\n"
        "Since you chose it\" shown; answer none (-1)\n"
        "OrvDialog.OrvValidateInstallOptions: BadConfig set\n"
        "Action ended 1:20:00: OrvValidateInstallOptions. Return value 1.\n"
        "after the action\n"
        "Action start 1:20:01: InstallFinalize.\n"
        "Action start 1:20:01: CopyInstallDB.\n"
        "OrvCommon.CopyInstallDB: copied\n"
        "Action ended 1:20:01: CopyInstallDB. Return value 1.\n"
        "OrvCommon.Script: still inside InstallFinalize\n"
        "Action ended 1:20:01: InstallFinalize. Return value 1.\n"
        "OrvCommon.Stray: after every action\n");
    EXPECT_EQ(log.actionLines(),
              (std::vector<ActionLine>{{"OrvDialog.OrvValidateInstallOptions",
                                        "box \"Component Selection Error\" \"DataPipe is required.\n\nSince you chose it\" "
                                        "shown; answer none (-1)"},
                                       {"OrvDialog.OrvValidateInstallOptions", "BadConfig set"},
                                       {"OrvCommon.CopyInstallDB", "copied"},
                                       {"OrvCommon.Script", "still inside InstallFinalize"}}));
}

std::string utf16(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// A UTF-16 log with "\r\n" reads as the ANSI one: code page 1252, as the actions' own calls see
// text; a character that code page lacks becomes '?'.
TEST(InstallLog, ReadsAUtf16LogAsCodePage1252) {
    const InstallLog log = InstallLog::parse(
        utf16(u"Action start 1:19:05: SetKRNPath.\r\nOrvDialog.SetKRNPath: Kr\u00e9n \u20ac \u4e2d\r\n"
              u"Action ended 1:19:05: SetKRNPath. Return value 1.\r\n"));
    EXPECT_EQ(log.linesOf("OrvDialog", "SetKRNPath"), (std::vector<std::string>{"Kr\xe9n \x80 ?"}));
    EXPECT_EQ(log.text(), "Action start 1:19:05: SetKRNPath.\nOrvDialog.SetKRNPath: Kr\xe9n \x80 ?\n"
                          "Action ended 1:19:05: SetKRNPath. Return value 1.\n");
}

struct ErrorCase {
    const char* name;
    std::string line;
    std::vector<std::string> mayHalt;
    bool fails;
};

void PrintTo(const ErrorCase& c, std::ostream* out) { *out << c.name; }

class EngineErrors : public ::testing::TestWithParam<ErrorCase> {};

// Each line as Wine wrote it in a run here; a line that fails the run is given back whole.
TEST_P(EngineErrors, FailTheRunOnlyForAnUnexpectedError) {
    const ErrorCase& c = GetParam();
    const std::string output = "0124:Call user32.MessageBoxA(00000000,00ca5d50 \"a\",0236f550 \"b\",00040010) ret=1\n" +
                               c.line + "\n" + "00d4:fixme:ntdll:NtQuerySystemInformation info_class 2\n";
    EXPECT_EQ(engine::engineErrorsIn(output, c.mayHalt),
              c.fails ? std::vector<std::string>{c.line} : std::vector<std::string>{});
}

const ErrorCase kErrorCases[] = {
    {"PageFault",
     "0128:err:msi:__wine_msi_call_dll_function Custom action (L\"C:\\\\users\\\\root\\\\Temp\\\\msi6d3.tmp\":"
     "\"WriteThroughNull\") caused a page fault: 0xc0000005",
     {},
     true},
    {"DllNotLoaded", "0128:err:msi:__wine_msi_call_dll_function failed to load dll L\"C:\\\\users\\\\root\\\\Temp\\\\msi28c2.tmp\" (193)",
     {}, true},
    {"ExportMissing", "0128:warn:msi:__wine_msi_call_dll_function GetProcAddress(\"NoSuchExport\") failed", {}, true},
    {"ExpectedHalt", "00d0:err:msi:ITERATE_Actions Execution halted, action L\"SetupReadyDialog\" returned 1603",
     {"SetupReadyDialog"}, false},
    {"HaltOfAnotherAction", "00d0:err:msi:ITERATE_Actions Execution halted, action L\"Probe\" returned 1603",
     {"SetupReadyDialog"}, true},
    {"HaltNotExpected", "00d0:err:msi:ITERATE_Actions Execution halted, action L\"SetupReadyDialog\" returned 1603", {},
     true},
    {"OtherWarning", "00d0:warn:msi:MSI_InstallPackage installation failed, running rollback script", {}, false},
    {"ErrorOfAnotherChannel", "00dc:err:winediag:nodrv_CreateWindow Application tried to create a window", {}, false},
    {"WithProcessAndTimestamp", "1234.567:0020:0128:err:msi:some_function something else went wrong", {}, true},
};

INSTANTIATE_TEST_SUITE_P(Lines, EngineErrors, ::testing::ValuesIn(kErrorCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The msi channels come last, so that no choice of the caller's turns them off.
TEST(EngineErrors, RunsWithTheMsiChannelsWhateverTheCallerChose) {
    EXPECT_EQ(engine::wineDebugForRun("", false), "-all,err+msi,warn+msi");
    EXPECT_EQ(engine::wineDebugForRun("", true), "-all,+relay,err+msi,warn+msi");
    EXPECT_EQ(engine::wineDebugForRun("-msi,+seh", false), "-msi,+seh,err+msi,warn+msi");
}

// Wine's trace escapes line breaks, quotes and other bytes, and marks a string it cut with "...".
TEST(MessageTrace, ReadsEveryBoxWithItsTextCaptionAndStyle) {
    const std::string trace =
        "0124:Call user32.MessageBoxA(00000000,00ca5d50 \"DataPipe is required.\\n\\nSince \\\"you\\\" \\xe9\","
        "0236f550 \"Component Selection Error\",00040024) ret=3785c3ea8\n"
        "0124:Ret  user32.MessageBoxA() retval=ffffffff ret=3785c3ea8\n"
        "0124:Call user32.MessageBoxA(0000000000000000,0000000000ca5d50 \"long\"...,0000000000ca5d80 \"Error\",00040010) "
        "ret=3785c3ea8\n";
    EXPECT_EQ(engine::messageBoxesIn(trace),
              (std::vector<engine::MessageBoxCall>{
                  {"DataPipe is required.\n\nSince \"you\" \xe9", "Component Selection Error", 0x40024},
                  {"long", "Error", 0x40010}}));
}

}  // namespace
