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
    {kOrvDialog, "CheckExtInstalls", "MDAC: version below, the file read too", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         m.session.properties.insert({{"VersionNT", "502"}, {"CommonFilesFolder", "C:\\Common\\"}});
         m.hklm.setString("Software\\Microsoft\\DataAccess", "Version", "2.70");
         m.files.addFile("C:\\Common\\System\\ole db\\oledb32.dll");
         m.files.setVersion("C:\\Common\\System\\ole db\\oledb32.dll", 2, 70, 7713, 4);
     },
     [](sim::Machine& m) {
         return m.session.property("INSTALL_GRANARY") == "1" && m.session.property("INSTALL_MDAC") == "2" &&
                m.session.property("Enable_Ext_Install_2") == "1";
     }},
    {kOrvDialog, "ProcessExternalInstalls", "two rows cleared, one kept", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         m.session.properties.insert({{"INSTALL_GRANARY", "1"}, {"INSTALL_MDAC", "2"}, {"INSTALL_DCOM", "3"},
                                      {"External_Install_Text_1", "Install Granary Client"},
                                      {"External_Install_1", "1"},
                                      {"External_Install_Text_2",
                                       "Install/Upgrade to Microsoft Data Access Components 2.7"},
                                      {"External_Install_Text_3", "Install/Upgrade Microsoft DCOM"}});
     },
     [](sim::Machine& m) {
         return m.session.hasProperty("INSTALL_GRANARY") && !m.session.hasProperty("INSTALL_MDAC") &&
                !m.session.hasProperty("INSTALL_DCOM");
     }},
    {kOrvDialog, "CheckFileAssoc", "nothing to do", sweep::kSuccessOnly, [](sim::Machine&) {},
     [](sim::Machine& m) { return m.session.propertyWrites.empty(); }},
    {kOrvDialog, "ProcessFileAssoc", "one type kept, two taken out", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         m.session.properties.insert({{"File_Assoc_Type_1", ".pas - Source"}, {"Set_File_Assoc_1", "1"},
                                      {"File_Assoc_Type_2", ".dpr - Project"}, {"SET_DPR", "1"},
                                      {"File_Assoc_Type_3", ".dfm - Form"}, {"Set_File_Assoc_3", "0"}});
         m.session.components = {{"Registry_FileType_dpr", {kAbsent, kLocal}},
                                 {"Registry_FileType_dfm", {kAbsent, kLocal}}};
     },
     [](sim::Machine& m) {
         return m.session.components["Registry_FileType_dfm"].action == kAbsent && !m.session.hasProperty("SET_DPR");
     }},
    {kOrvDialog, "ResetFeatureState", "three features, then both offers", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         m.session.featureTable = {"MainProgramFiles", "KRN", "Samples"};
         m.session.features = {{"MainProgramFiles", {kAbsent, kNone}}, {"KRN", {kAbsent, kNone}},
                               {"Samples", {kAbsent, kNone}}};
         m.session.properties["CommonFilesFolder"] = "C:\\Common\\";
         m.hklm.setString("Software\\Microsoft\\DataAccess", "Version", "2.70");
     },
     [](sim::Machine& m) {
         return m.session.features["Samples"].action == kLocal && m.session.property("INSTALL_MDAC") == "2";
     }},
    {kOrvDialog, "DisableCompactFeatures", "core kept, the rest absent", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         m.session.featureTable = {"MainProgramFiles", "KRN", "Samples"};
         m.session.features = {{"MainProgramFiles", {kAbsent, kLocal}}, {"KRN", {kAbsent, kLocal}},
                               {"Samples", {kAbsent, kLocal}}};
         m.session.properties.insert({{"INSTALL_GRANARY", "1"}, {"Enable_Install_Msg_2", "1"}});
     },
     [](sim::Machine& m) {
         return m.session.features["Samples"].action == kAbsent && m.session.features["KRN"].action == kLocal &&
                !m.session.hasProperty("Enable_Install_Msg_2");
     }},
    {kOrvDialog, "ProcessHalORBSelection", "HY4, Java from the kit, samples", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         m.session.properties["HY_VER"] = "HY4";
         m.session.features = {{"CorbaSamples", {kLocal, kNone}}, {"CORBASupport_HY4", {kAbsent, kNone}},
                               {"SamplePrograms", {kAbsent, kLocal}}, {"CorbaSamples40", {kAbsent, kNone}},
                               {"CommonCorbaSamples", {kAbsent, kNone}}};
         m.hklm.setString("Software\\JavaSoft\\Java Runtime Environment", "CurrentVersion", "");
         m.hklm.setString("Software\\JavaSoft\\Java Development Kit", "CurrentVersion", "1.1");
     },
     [](sim::Machine& m) {
         return m.session.property("INSTALL_JRE") == "1" && m.session.features["CommonCorbaSamples"].action == kLocal;
     }},
    {kOrvDialog, "ProcessHalORBSelection", "no version 4: four features held", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         m.session.properties.insert({{"INSTALL_HY4", "1"}, {"INSTALL_JRE", "1"}});
         m.session.features = {{"CorbaSamples", {kLocal, kAbsent}}, {"CORBASupport_HY4", {kLocal, kAbsent}},
                               {"CorbaSamples40", {kAbsent, kLocal}}, {"CommonCorbaSamples", {kAbsent, kLocal}}};
     },
     [](sim::Machine& m) {
         return m.session.features["CommonCorbaSamples"].action == kAbsent && !m.session.hasProperty("INSTALL_JRE");
     }},
    {kOrvDialog, "DisableFeatures", "CORBA support switched off", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         m.session.properties["Disable_HalORB"] = "0";
         m.session.features = {{"CORBASupport", {kAbsent, kLocal}}};
     },
     [](sim::Machine& m) { return m.session.features["CORBASupport"].action == kAbsent; }},
    {kOrvDialog, "ProcessInstallDB", "the database copy dropped", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         m.session.properties["INSTALL_MSIDB"] = "yes";
         m.session.components = {{"InstallationDatabase", {kAbsent, kLocal}}};
     },
     [](sim::Machine& m) { return m.session.components["InstallationDatabase"].action == kAbsent; }},
    {kOrvDialog, "CheckJITDebugKey", "another debugger, Yes", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         m.hklm.setString("Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug", "Debugger",
                          "\"C:\\Tools\\dbg.exe\" -p %ld");
         m.desktop.answers = {orv::kIdYes};
     },
     [](sim::Machine& m) { return m.desktop.messageBoxes.size() == 1 && m.session.property("SET_JITDEBUG") == "1"; }},
});

}  // namespace
