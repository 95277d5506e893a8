// The harness's readers of what Wine and the probe write, on texts taken from real runs here
// (ENGINE_NOTES.md has the runs): every engine assertion relies on them, so they are pinned
// without Wine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_errors.h"
#include "install_log.h"
#include "message_trace.h"
#include "probe_report.h"
#include "registry_file.h"

namespace {

using engine::ActionLine;
using engine::InstallLog;
using engine::RegValue;

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
    {"ExpectedHaltInTheScript",
     "0154:err:msi:execute_script Execution of script 0 halted; action L\"FailInstallation\" returned 1603",
     {"FailInstallation", "InstallFinalize"}, false},
    {"ExpectedHaltOfTheScript", "0154:err:msi:ITERATE_Actions Execution halted, action L\"InstallFinalize\" returned 1603",
     {"FailInstallation", "InstallFinalize"}, false},
    {"HaltInTheScriptNotExpected",
     "0154:err:msi:execute_script Execution of script 0 halted; action L\"FailInstallation\" returned 1603", {}, true},
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

// A key as Wine saved it after a program wrote one value of each kind (ENGINE_NOTES.md, "Every
// value type in system.reg"), the data shown as the program passed it.
const std::string kSavedHive =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\Machine\n"
    "\n"
    "[Software\\\\OrvExp\\\\Types] 1796997091\n"
    "#time=1dd8976b9f67ce4\n"
    "\"Binary\"=hex:00,07,0e,15,1c,23,2a,31,38,3f,46,4d,54,5b,62,69,70,77,7e,85,8c,93,\\\n"
    "  9a,a1,a8,af,b6,bd,c4,cb,d2,d9,e0,e7,ee,f5,fc,03,0a,11\n"
    "\"Dword\"=dword:12345678\n"
    "\"EmbeddedNul\"=\"ab\\0007c\"\n"
    "\"Empty\"=\"\"\n"
    "\"Escapes\"=\"a\\x00e91\\xe9z\\1\\a7\\37\\\\\\\"\\n\\r\\t\\x20ac\\xd83d\\xde00\"\n"
    "\"Expand\"=str(2):\"%SystemRoot%\\\\x\"\n"
    "\"Multi\"=str(7):\"one\\0two\\0003\\0\"\n"
    "\"OddLen\"=hex(1):61,62,63\n"
    "\"Qword\"=hex(b):31,32,33,34,35,36,37,38\n"
    "\"Unterminated\"=hex(1):61,00,62,00,63,00\n"
    "\n"
    "[Software\\\\OrvExp\\\\Br\\[ack\\]et \"q\" \\xe9] 1796997458\n"
    "\"N\\\"a]me\"=\"v\"\n"
    "\n";

std::string binaryBytes() {
    std::string bytes;
    for (int i = 0; i < 40; ++i) bytes += static_cast<char>(i * 7);
    return bytes;
}

// Every value comes back as the program wrote it: escapes of every kind (a hex escape of four
// digits before a hex digit, octal before an octal digit, a surrogate pair), a string with a NUL
// inside it, a multi-string's NULs, a string without its terminating NUL, hex over two lines.
TEST(RegistryFile, ReadsEveryKindOfValueWineWrites) {
    const engine::RegistryFile hive = engine::RegistryFile::parse(kSavedHive);
    const std::string key = "Software\\OrvExp\\Types";
    const auto value = [&](const char* name) { return hive.value(key, name).value_or(engine::RegValue::other(99, "")); };
    EXPECT_EQ(value("Binary"), RegValue::binary(binaryBytes()));
    EXPECT_EQ(value("Dword"), RegValue::number(0x12345678));
    EXPECT_EQ(value("EmbeddedNul"), RegValue::string(std::string("ab\0" "7c", 5)));
    EXPECT_EQ(value("Empty"), RegValue::string(""));
    EXPECT_EQ(value("Escapes"), RegValue::string("a\xc3\xa9" "1\xc3\xa9z\x01\x07" "7\x1f\\\"\n\r\t\xe2\x82\xac\xf0\x9f\x98\x80"));
    EXPECT_EQ(value("Expand"), RegValue::expandString("%SystemRoot%\\x"));
    EXPECT_EQ(value("Multi"), RegValue::multiString({"one", "two", "3"}));
    EXPECT_EQ(value("OddLen"), RegValue::other(1, "abc"));
    EXPECT_EQ(value("Qword"), RegValue::other(11, "12345678"));
    EXPECT_EQ(value("Unterminated"), RegValue::unterminatedString("abc"));
    EXPECT_EQ(value("unterminated"), value("Unterminated")) << "names compare without regard to case";

    // Brackets in a key name are escaped in its heading, quotes in a value name.
    EXPECT_EQ(hive.value("Software\\OrvExp\\Br[ack]et \"q\" \xc3\xa9", "N\"a]me"), RegValue::string("v"));
    EXPECT_TRUE(hive.hasKey("software\\orvexp"));
    EXPECT_FALSE(hive.hasKey("Software\\OrvEx"));
}

// Values set through the harness are written as Wine writes the same data, so that a seeded
// file reads as one Wine saved, and a hive read and written unchanged is the same text.
TEST(RegistryFile, WritesEachValueInWinesOwnForm) {
    const engine::RegistryFile saved = engine::RegistryFile::parse(kSavedHive);
    engine::RegistryFile written = engine::RegistryFile::parse("WINE REGISTRY Version 2\n");
    for (const auto& [name, value] : saved.values("Software\\OrvExp\\Types")) written.set("Software\\OrvExp\\Types", name, value);
    const std::string text = written.text();
    for (const char* line :
         {"\"Dword\"=dword:12345678\n", "\"EmbeddedNul\"=\"ab\\0007c\"\n", "\"Empty\"=\"\"\n",
          "\"Escapes\"=\"a\\x00e91\\xe9z\\1\\a7\\37\\\\\\\"\\n\\r\\t\\x20ac\\xd83d\\xde00\"\n",
          "\"Expand\"=str(2):\"%SystemRoot%\\\\x\"\n", "\"Multi\"=str(7):\"one\\0two\\0003\\0\"\n",
          "\"OddLen\"=hex(1):61,62,63\n", "\"Qword\"=hex(b):31,32,33,34,35,36,37,38\n",
          "\"Unterminated\"=hex(1):61,00,62,00,63,00\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "not in\n" << text;
    EXPECT_EQ(engine::RegistryFile::parse(text).values("Software\\OrvExp\\Types"), saved.values("Software\\OrvExp\\Types"));

    EXPECT_EQ(engine::RegistryFile::parse(kSavedHive).text(),
              engine::RegistryFile::parse(engine::RegistryFile::parse(kSavedHive).text()).text());
}

TEST(RegistryFile, SeedsANewKeyAndRemovesAKeyWithItsSubkeys) {
    engine::RegistryFile hive = engine::RegistryFile::parse(kSavedHive);
    hive.set("Software\\Orvanta\\[New]", "", RegValue::multiString({}));
    EXPECT_NE(hive.text().find("[Software\\\\Orvanta\\\\\\[New\\]] 0\n@=str(7):\"\"\n"), std::string::npos) << hive.text();
    EXPECT_EQ(hive.value("Software\\Orvanta\\[New]", ""), RegValue::multiString({}));

    hive.removeKey("Software\\OrvExp");
    EXPECT_FALSE(hive.hasKey("Software\\OrvExp"));
    EXPECT_TRUE(hive.hasKey("Software\\Orvanta"));
}

// A report as the probe and the harness's test actions write it: tabs split the fields, and a
// backslash, tab or line break inside one is escaped.
const std::string kProbeReport =
    "stage\tbefore\n"
    "property\tOSKRN\t0\tC:\\\\Hidden KRN 7\\\\\n"
    "property\tSplit\t0\tone\\ttwo\\nthree\\r\n"
    "property\tLong\t234\t\n"
    "feature\tKRN\t0\t2\t3\n"
    "feature\tNowhere\t1606\t-1\t-1\n"
    "component\tEngineHarnessFolder\t0\t2\t3\n"
    "target\tSHARED_FILES_DIR\t0\tC:\\\\Program Files\\\\SHARED_FILES_DIR\\\\\n"
    "value\tSoftware\\\\Orvanta\tRaw\t0\t1\t616263\n"
    "value\tSoftware\\\\Orvanta\t\t2\t0\t\n"
    "key\tSoftware\\\\Locked\t0\t5\n"
    "version\tC:\\\\v.dll\t0\t1.2.3.4\n"
    "end\n"
    "script\tdeferred\tdata with\\ta tab\n"
    "stage\tafter\n"
    "property\tOSKRN\t0\tC:\\\\\n"
    "script\trollback\t\n"
    "stage\tcalls\r\n"
    "call\tCopyFile onto itself\terror 32\r\n"
    "end\r\n";

// Every record lands in its stage; the in-script records keep their order whatever stage is
// open; a stage without its "end" counts as not written whole.
TEST(ProbeReport, ReadsEveryRecordOfItsStage) {
    const engine::ProbeReport report = engine::ProbeReport::parse(kProbeReport);
    const engine::ProbeStage* before = report.stage("before");
    ASSERT_NE(before, nullptr);
    EXPECT_TRUE(before->complete);
    EXPECT_EQ(before->property("OSKRN"), "C:\\Hidden KRN 7\\");
    EXPECT_EQ(before->property("Split"), "one\ttwo\nthree\r");
    EXPECT_EQ(before->propertyCodes.at("Long"), 234u);
    EXPECT_EQ(before->feature("KRN"), (engine::ProbedState{0, 2, 3}));
    EXPECT_EQ(before->feature("Nowhere"), (engine::ProbedState{1606, -1, -1}));
    EXPECT_EQ(before->component("EngineHarnessFolder"), (engine::ProbedState{0, 2, 3}));
    EXPECT_EQ(before->target("SHARED_FILES_DIR"), "C:\\Program Files\\SHARED_FILES_DIR\\");
    EXPECT_EQ(before->value("Software\\Orvanta", "Raw"), (engine::ProbedValue{0, 1, "abc"}));
    EXPECT_EQ(before->value("Software\\Orvanta", ""), (engine::ProbedValue{2, 0, ""}));
    EXPECT_EQ(before->key("Software\\Locked"), (engine::ProbedKey{0, 5}));
    EXPECT_EQ(before->version("C:\\v.dll"), (engine::ProbedVersion{0, "1.2.3.4"}));
    EXPECT_THROW(before->property("NotAsked"), std::out_of_range);

    ASSERT_NE(report.stage("after"), nullptr);
    EXPECT_FALSE(report.stage("after")->complete);
    EXPECT_EQ(report.stage("after")->property("OSKRN"), "C:\\");
    ASSERT_NE(report.stage("calls"), nullptr);
    EXPECT_TRUE(report.stage("calls")->complete);
    EXPECT_EQ(report.stage("calls")->call("CopyFile onto itself"), "error 32");
    EXPECT_EQ(report.stage("elsewhere"), nullptr);

    EXPECT_EQ(report.scripts(), (std::vector<engine::ScriptRecord>{{"deferred", "data with\ta tab"}, {"rollback", ""}}));
}

}  // namespace
