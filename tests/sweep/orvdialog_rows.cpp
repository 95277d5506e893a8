// OrvDialog's actions in the fault sweep, each down its full path.
#include <cstdint>
#include <vector>

#include "OrvDialog_library.h"
#include "frame/locations.h"
#include "sim/machine.h"
#include "sweep.h"

namespace {

using sweep::SweptAction;

constexpr orv::InstallState kAbsent = orv::kStateAbsent;
constexpr orv::InstallState kLocal = orv::kStateLocal;
constexpr orv::InstallState kNone = orv::kStateUnknown;

const sweep::Library kOrvDialog{&orvdialog::exports, &orvdialog::strings};

const sweep::Rows kRows({
    {kOrvDialog, "SetupDestinationDialog", "all five rows", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         m.session.features = {{"MainProgramFiles", {kAbsent, kLocal}}, {"SharedFiles", {kAbsent, kLocal}},
                               {"KRN", {kAbsent, kLocal}},              {"TableWorkbench", {kAbsent, kLocal}},
                               {"CORBASupport", {kAbsent, kLocal}}};
     },
     [](sim::Machine& m) { return m.session.property("DestDirCount") == "5"; }},
    {kOrvDialog, "ValidatePath", "check: the third folder blank", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         m.session.properties.insert({
             {"Enable_Dest_1", "1"}, {"DestDlg_Lbl_1", "Program Files"},   {"Dest_Prop_1", "INSTALLDIR"},
             {"Enable_Dest_2", "1"}, {"DestDlg_Lbl_2", "Shared Files"},    {"Dest_Prop_2", "SHARED_FILES_DIR"},
             {"Enable_Dest_3", "1"}, {"DestDlg_Lbl_3", "KRN and NetGate"}, {"Dest_Prop_3", "OSKRN"},
             {"INSTALLDIR", "C:\\Prog\\"}, {"SHARED_FILES_DIR", "C:\\Shared\\"}, {"ValidatePath", "0"}});
         m.desktop.answers = {orv::kIdOk};
     },
     [](sim::Machine& m) { return m.desktop.messageBoxes.size() == 1 && m.session.property("BadPath") == "1"; }},
    {kOrvDialog, "ValidatePath", "slot 2: an empty folder given the volume", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         m.session.properties.insert({{"Dest_Prop_2", "SHARED_FILES_DIR"}, {"WindowsVolume", "C:\\"},
                                      {"BadPath", "1"}, {"ValidatePath", "2"}});
         m.session.directoryTable = {"SHARED_FILES_DIR"};
     },
     [](sim::Machine& m) {
         return m.session.property("SHARED_FILES_DIR") == "C:\\" && m.session.targetPaths.count("SHARED_FILES_DIR") == 1 &&
                !m.session.hasProperty("BadPath");
     }},
    {kOrvDialog, "OrvValidateInstallOptions", "two repairs accepted", sweep::kSuccessOnly,
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
    {kOrvDialog, "OrvValidateInstallOptions", "three repairs declined", sweep::kSuccessOnly,
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
    {kOrvDialog, "SetupSQLConfigDialog", "five driver families", sweep::kSuccessOnly, [](sim::Machine&) {},
     [](sim::Machine& m) { return m.session.property("SQLConfig_5_Text_2") == "DB Library Driver"; }},
    {kOrvDialog, "SetUseSharedFlag", "the registered folder chosen, recorded", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         m.hklm.setString(orv::kSharedRootKey, "SharedFilesDir", "c:\\orvanta shared\\");
         m.session.properties.insert({{"SHARED_FILES_DIR", "C:\\Orvanta Shared\\"},
                                      {"REG_PRODUCT", "Quillon"}, {"REG_VERSION", "7.0"}});
     },
     [](sim::Machine& m) {
         return m.hklm.string("Software\\Orvanta\\Quillon\\7.0", "UseSharedFiles") == "TRUE" &&
                m.session.property("USE_ORVSHARED") == "1";
     }},
    {kOrvDialog, "SetKRNPath", "the engine folder passed on", sweep::kSuccessOnly,
     [](sim::Machine& m) { m.session.properties["OSKRN"] = "C:\\KRN\\"; },
     [](sim::Machine& m) {
         return m.session.property("KRN_INSTALL_PATH.E966F0CB_76B3_11D3_945B_00C04FB1760A") == "C:\\KRN\\";
     }},
    {kOrvDialog, "SetupReadyDialog", "the sample-data note for a Granary server", sweep::kSuccessOrFailure,
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
});

}  // namespace
