// The guard's promise, held to for every action: whatever any call into the seam does, nothing
// crosses the export, the installer gets a result the action may give, and no handle stays
// open (sweep.h says how). Each row below takes one action down its full path.
//
// A raise that does cross a noexcept boundary ends the process through std::terminate, after
// naming the action, the fault and the call. ctest runs each row in a process of its own, so
// one such end leaves the other actions swept.
//
// An action added later joins with one row in kSwept, in the change that adds it.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "OrvCommon_library.h"
#include "OrvDialog_library.h"
#include "frame/locations.h"
#include "sim/machine.h"
#include "sweep.h"

namespace {

using sweep::Library;
using sweep::SweptAction;

constexpr orv::InstallState kAbsent = orv::kStateAbsent;
constexpr orv::InstallState kLocal = orv::kStateLocal;
constexpr orv::InstallState kNone = orv::kStateUnknown;

const Library kOrvCommon{&orvcommon::exports, &orvcommon::strings};
const Library kOrvDialog{&orvdialog::exports, &orvdialog::strings};

const std::vector<std::uint32_t> kSuccessOnly = {orv::kSuccess};
const std::vector<std::uint32_t> kSuccessOrFailure = {orv::kSuccess, orv::kErrorInstallFailure};

const std::vector<SweptAction> kSwept = {
    // ----- OrvCommon ---------------------------------------------------------------------------
    {kOrvCommon, "OrvSetReboot", "every reason at once", kSuccessOnly,
     [](sim::Machine& m) {
         m.session.features = {{"MainProgramFiles", {kAbsent, kLocal}},
                               {"CORBASupport", {kAbsent, kLocal}},
                               {"CORBASupport_HY4", {kAbsent, kLocal}}};
         m.session.properties["Version9X"] = "4.10";
         m.session.properties["INSTALL_MDAC"] = "1";
     },
     [](sim::Machine& m) { return m.session.property("REBOOT") == "Force"; }},
    {kOrvCommon, "CopyInstallDB", "a read-only package copied", kSuccessOnly,
     [](sim::Machine& m) {
         m.files.addDrive('D');
         m.files.addFile("D:\\Media\\Quillon.msi", "package", orv::kAttrReadOnly | orv::kAttrArchive);
         m.files.addFolder("C:\\Program Files\\Orvanta");
         m.session.properties["SourceDir"] = "D:\\Media\\";
         m.session.properties["INSTALLDIR"] = "C:\\Program Files\\Orvanta";
         m.session.properties["ProductName"] = "Quillon";
     },
     [](sim::Machine& m) {
         return m.files.contents("C:\\Program Files\\Orvanta\\Quillon.msi") == "package" &&
                (m.files.attributes("C:\\Program Files\\Orvanta\\Quillon.msi") & orv::kAttrReadOnly) == 0;
     }},

    // ----- OrvDialog ---------------------------------------------------------------------------
    {kOrvDialog, "SetupDestinationDialog", "all five rows", kSuccessOnly,
     [](sim::Machine& m) {
         m.session.features = {{"MainProgramFiles", {kAbsent, kLocal}}, {"SharedFiles", {kAbsent, kLocal}},
                               {"KRN", {kAbsent, kLocal}},              {"TableWorkbench", {kAbsent, kLocal}},
                               {"CORBASupport", {kAbsent, kLocal}}};
     },
     [](sim::Machine& m) { return m.session.property("DestDirCount") == "5"; }},
    {kOrvDialog, "ValidatePath", "check: the third folder blank", kSuccessOnly,
     [](sim::Machine& m) {
         m.session.properties.insert({
             {"Enable_Dest_1", "1"}, {"DestDlg_Lbl_1", "Program Files"},   {"Dest_Prop_1", "INSTALLDIR"},
             {"Enable_Dest_2", "1"}, {"DestDlg_Lbl_2", "Shared Files"},    {"Dest_Prop_2", "SHARED_FILES_DIR"},
             {"Enable_Dest_3", "1"}, {"DestDlg_Lbl_3", "KRN and NetGate"}, {"Dest_Prop_3", "OSKRN"},
             {"INSTALLDIR", "C:\\Prog\\"}, {"SHARED_FILES_DIR", "C:\\Shared\\"}, {"ValidatePath", "0"}});
         m.desktop.answers = {orv::kIdOk};
     },
     [](sim::Machine& m) { return m.desktop.messageBoxes.size() == 1 && m.session.property("BadPath") == "1"; }},
    {kOrvDialog, "ValidatePath", "slot 2: an empty folder given the volume", kSuccessOnly,
     [](sim::Machine& m) {
         m.session.properties.insert({{"Dest_Prop_2", "SHARED_FILES_DIR"}, {"WindowsVolume", "C:\\"},
                                      {"BadPath", "1"}, {"ValidatePath", "2"}});
         m.session.directoryTable = {"SHARED_FILES_DIR"};
     },
     [](sim::Machine& m) {
         return m.session.property("SHARED_FILES_DIR") == "C:\\" && m.session.targetPaths.count("SHARED_FILES_DIR") == 1 &&
                !m.session.hasProperty("BadPath");
     }},
    {kOrvDialog, "OrvValidateInstallOptions", "two repairs accepted", kSuccessOnly,
     [](sim::Machine& m) {
         m.session.features = {{"MainProgramFiles", {kAbsent, kLocal}}, {"KRN", {kAbsent, kNone}},
                               {"KRNCommon", {kAbsent, kLocal}},        {"DBDirect", {kAbsent, kNone}},
                               {"InternetControls", {kAbsent, kLocal}}, {"Indy", {kAbsent, kNone}},
                               {"SOAP", {kAbsent, kLocal}}};
         m.session.properties["BadConfig"] = "1";
         m.desktop.answers = {orv::kIdYes, orv::kIdYes};
     },
     [](sim::Machine& m) {
         return m.desktop.messageBoxes.size() == 2 && m.session.requests.size() == 3 && !m.session.hasProperty("BadConfig");
     }},
    {kOrvDialog, "OrvValidateInstallOptions", "three repairs declined", kSuccessOnly,
     [](sim::Machine& m) {
         m.session.features = {{"MainProgramFiles", {kAbsent, kLocal}}, {"KRN", {kAbsent, kNone}},
                               {"KRNCommon", {kAbsent, kLocal}},        {"DBDirect", {kAbsent, kNone}},
                               {"InternetControls", {kAbsent, kLocal}}, {"Indy", {kAbsent, kNone}},
                               {"SOAP", {kAbsent, kLocal}}};
         m.desktop.answers = {orv::kIdNo, orv::kIdNo, orv::kIdNo};
     },
     [](sim::Machine& m) {
         return m.desktop.messageBoxes.size() == 3 && m.session.requests.size() == 1 && m.session.property("BadConfig") == "1";
     }},
    {kOrvDialog, "SetupSQLConfigDialog", "five driver families", kSuccessOnly, [](sim::Machine&) {},
     [](sim::Machine& m) { return m.session.property("SQLConfig_5_Text_2") == "DB Library Driver"; }},
    {kOrvDialog, "SetUseSharedFlag", "the registered folder chosen, recorded", kSuccessOnly,
     [](sim::Machine& m) {
         m.hklm.setString(orv::kSharedRootKey, "SharedFilesDir", "c:\\orvanta shared\\");
         m.session.properties.insert({{"SHARED_FILES_DIR", "C:\\Orvanta Shared\\"},
                                      {"REG_PRODUCT", "Quillon"}, {"REG_VERSION", "7.0"}});
     },
     [](sim::Machine& m) {
         return m.hklm.string("Software\\Orvanta\\Quillon\\7.0", "UseSharedFiles") == "TRUE" &&
                m.session.property("USE_ORVSHARED") == "1";
     }},
    {kOrvDialog, "SetKRNPath", "the engine folder passed on", kSuccessOnly,
     [](sim::Machine& m) { m.session.properties["OSKRN"] = "C:\\KRN\\"; },
     [](sim::Machine& m) {
         return m.session.property("KRN_INSTALL_PATH.E966F0CB_76B3_11D3_945B_00C04FB1760A") == "C:\\KRN\\";
     }},
    {kOrvDialog, "SetupReadyDialog", "the sample-data note for a Granary server", kSuccessOrFailure,
     [](sim::Machine& m) {
         m.session.features = {{"SampleDataFiles", {kAbsent, kLocal}}};
         m.session.properties.insert({{"InstallMsgCount", "3"}, {"Enable_Install_Msg_1", "1"},
                                      {"Enable_Install_Msg_2", "1"}, {"Enable_Install_Msg_3", "1"}});
         m.hklm.ensure("Software\\Granary Corp");
     },
     [](sim::Machine& m) {
         return m.session.property("Enable_Install_Msg_1") == "1" && !m.session.hasProperty("Enable_Install_Msg_3") &&
                !m.session.property("InstallMsg_1").empty();
     }},
};

// ----- the sweep -------------------------------------------------------------------------------

struct Totals {
    std::size_t faultRuns = 0;
    std::size_t escapes = 0;  // runs that broke the promise; one crossing the export ends the process
};
Totals gTotals;

std::string rowName(const SweptAction& action) {
    std::string name = std::string(action.exportName) + "_";
    for (const char* c = action.path; *c != '\0'; ++c)
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
}

class FaultSweep : public ::testing::TestWithParam<SweptAction> {};

// Every single, lasting and raised fault of every call the action makes is absorbed: the
// result is one the action may give and every handle it opened is closed again.
TEST_P(FaultSweep, NothingEscapesAndNothingStaysOpen) {
    const SweptAction& action = GetParam();
    const sweep::Report report = sweep::sweepAction(action);
    std::printf("%-26s %-44s %4zu fault points swept\n", action.exportName, action.path, report.points);
    gTotals.faultRuns += report.faultRuns;
    gTotals.escapes += report.problems.size();

    EXPECT_TRUE(report.exercised) << "the machine no longer takes the action down this path";
    constexpr std::size_t kShown = 20;
    for (std::size_t i = 0; i < report.problems.size() && i < kShown; ++i) ADD_FAILURE() << report.problems[i];
    EXPECT_TRUE(report.problems.empty()) << report.problems.size() << " runs broke the promise";
}

INSTANTIATE_TEST_SUITE_P(Actions, FaultSweep, ::testing::ValuesIn(kSwept),
                         [](const ::testing::TestParamInfo<SweptAction>& info) { return rowName(info.param); });

}  // namespace

int main(int argc, char** argv) {
    sweep::nameTheCaseWhenTheProcessEnds();
    ::testing::InitGoogleTest(&argc, argv);
    const int failed = RUN_ALL_TESTS();
    if (gTotals.faultRuns > 0) std::printf("%zu faults injected, %zu escapes\n", gTotals.faultRuns, gTotals.escapes);
    return failed;
}
