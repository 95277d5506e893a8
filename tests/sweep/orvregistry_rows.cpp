// OrvRegistry's actions in the fault sweep, each down its full path.
#include <cstdint>
#include <string>
#include <vector>

#include "OrvRegistry_library.h"
#include "frame/locations.h"
#include "sim/machine.h"
#include "sweep.h"

namespace {

constexpr orv::InstallState kAbsent = orv::kStateAbsent;
constexpr orv::InstallState kLocal = orv::kStateLocal;
constexpr orv::InstallState kNone = orv::kStateUnknown;

constexpr const char* kTransfer = "Software\\Orvanta\\Quillon\\7.0\\Transfer";
constexpr const char* kBroker = "C:\\HalORB\\Bin\\register.dll";

const sweep::Library kOrvRegistry{&orvregistry::exports, &orvregistry::strings};

void product(sim::Machine& m) {
    m.session.properties["REG_PRODUCT"] = "Quillon";
    m.session.properties["REG_VERSION"] = "7.0";
}

const sweep::Rows kRows({
    {kOrvRegistry, "UpdateTransferKey", "eight tools, one title already there", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         product(m);
         m.session.properties["INSTALLDIR"] = "C:\\Q\\";
         m.session.properties["OSTWB"] = "C:\\TWB\\";
         m.files.addDrive('D');
         m.hklm.setString("Software\\Orvanta\\VaultSync\\1.0", "RootDir", "D:\\VS\\");
         for (const char* tool : {"C:\\TWB\\twb32.exe", "C:\\Q\\Bin\\mkimport.exe", "C:\\Q\\Bin\\hsconfig.exe",
                                  "C:\\Q\\Bin\\pixpad.exe", "C:\\Q\\Bin\\bundler.exe", "C:\\Q\\Bin\\schemalink.exe",
                                  "C:\\Q\\Folio5\\Folio.exe", "D:\\VS\\Bin\\vsync.exe"})
             m.files.addFile(tool);
         m.hklm.setString(kTransfer, "Count", "1");
         m.hklm.setString(kTransfer, "Title0", "&Bundle Composer");
     },
     [](sim::Machine& m) {
         return m.hklm.string(kTransfer, "Count") == "8" && m.hklm.string(kTransfer, "Path7") == "D:\\VS\\Bin\\vsync.exe";
     }},
    {kOrvRegistry, "BumpSharedUseCount", "every shared folder counted", sweep::kSuccessOrFailure,
     [](sim::Machine& m) {
         product(m);
         m.session.properties["SHARED_FILES_DIR"] = "C:\\Shared\\";
         m.session.properties["OSTWB"] = "C:\\TWB\\";
         m.session.features = {{"MainProgramFiles", {kAbsent, kLocal}}, {"SampleDataFiles", {kAbsent, kLocal}},
                               {"ImageFiles", {kLocal, kNone}},         {"MicrosoftSDKHelpFiles", {kAbsent, kLocal}},
                               {"TableWorkbench", {kAbsent, kLocal}}};
         m.hklm.setString(std::string(orv::kSharedRootKey) + "\\Data", "UseCount", "2");
     },
     [](sim::Machine& m) {
         return m.hklm.string(std::string(orv::kSharedRootKey) + "\\Data", "UseCount") == "3" &&
                m.hklm.string("Software\\Orvanta\\TWB\\7.0", "UseCount") == "1" &&
                m.hklm.string("Software\\Orvanta\\Quillon\\7.0\\UnInstInfo", "UseSharedTWB") == "TRUE";
     }},
    {kOrvRegistry, "SetLocalSharedRoot", "the shared folder recorded", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         product(m);
         m.session.properties["SHARED_FILES_DIR"] = "C:\\Shared\\";
     },
     [](sim::Machine& m) { return m.hklm.string("Software\\Orvanta\\Quillon\\7.0", "LocalSharedRoot") == "C:\\Shared"; }},
    {kOrvRegistry, "ResetKRNAccessDriver", "the new Access driver chosen", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         m.session.properties["SQLConfig_DrvName_1"] = "MS Access";
         m.session.properties["SQLConfig_Driver_1"] = "New";
         m.hklm.setString("Software\\Orvanta\\Database Engine\\Settings\\DRIVERS\\MSACCESS\\INIT", "DLL32", "X.DLL");
     },
     [](sim::Machine& m) {
         return m.hklm.string("Software\\Orvanta\\Database Engine\\Settings\\DRIVERS\\MSACCESS\\INIT", "DLL32") ==
                "NXAC4032.DLL";
     }},
    {kOrvRegistry, "RegisterHalORB", "both already registered, Yes twice", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         m.session.components["hlocate_exe"] = {kAbsent, kLocal};
         m.session.properties["VersionNT"] = "501";
         m.session.properties["HALORB_DIR"] = "C:\\HalORB";
         sim::FakeLibrary& broker = m.desktop.libraries[kBroker];
         broker.intExports["AgentServiceExists"] = [] { return 8; };
         broker.intExports["ACTDServiceExists"] = [] { return 8; };
         broker.textExports["InstallAgentService"] = [](const std::string&) {};
         broker.textExports["InstallACTDService"] = [](const std::string&) {};
         m.desktop.answers = {orv::kIdYes, orv::kIdYes};
     },
     [](sim::Machine& m) {
         return m.desktop.messageBoxes.size() == 2 && m.desktop.libraryCalls.size() == 4 &&
                m.desktop.libraryCalls.back().argument == "C:\\HalORB\\bin\\actd.exe";
     }},
    {kOrvRegistry, "RegisterLattice", "three programs started", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         m.desktop.libraries["shell32.dll"] = {};
         m.session.properties["INSTALLDIR"] = "C:\\Q\\";
     },
     [](sim::Machine& m) {
         return m.desktop.programsStarted.size() == 3 && m.desktop.programsStarted.back().parameters == "/REGSERVER";
     }},
    {kOrvRegistry, "AddNetProbeRegEntry", "an existing path extended", sweep::kSuccessOnly,
     [](sim::Machine& m) { m.hklm.setString("Software\\Orvanta\\NetProbe", "Path", "C:\\Web"); },
     [](sim::Machine& m) {
         return m.hklm.string("Software\\Orvanta\\NetProbe", "Path").value_or("").starts_with("C:\\Web;$(QUILLON)");
     }},
    {kOrvRegistry, "RegisterOfficeControls", "the Office 97 package", sweep::kSuccessOnly,
     [](sim::Machine& m) { m.session.properties["MSOFFICE_VER"] = "Office97"; },
     [](sim::Machine& m) {
         return m.hklm.string("Software\\Orvanta\\Quillon\\7.0\\Known Packages", "$(TSY)\\Bin\\tsy97axserver60.opk") ==
                "(Untitled)";
     }},
    {kOrvRegistry, "UpdateLibraryPath", "a separator added", sweep::kSuccessOnly,
     [](sim::Machine& m) { m.hklm.setString("Software\\Orvanta\\Quillon\\7.0\\Library", "Search Path", "C:\\Lib"); },
     [](sim::Machine& m) {
         return m.hklm.string("Software\\Orvanta\\Quillon\\7.0\\Library", "Search Path") == "C:\\Lib;";
     }},
    {kOrvRegistry, "UpdateLibraryPath", "the missing key warned of", sweep::kSuccessOnly,
     [](sim::Machine& m) { m.desktop.answers = {orv::kIdOk}; },
     [](sim::Machine& m) { return m.desktop.messageBoxes.size() == 1; }},
});

}  // namespace
