// OrvCommon's actions in the fault sweep, each down its full path.
#include <cstdint>
#include <vector>

#include "OrvCommon_library.h"
#include "sim/machine.h"
#include "sweep.h"

namespace {

using sweep::SweptAction;

constexpr orv::InstallState kAbsent = orv::kStateAbsent;
constexpr orv::InstallState kLocal = orv::kStateLocal;
constexpr orv::InstallState kNone = orv::kStateUnknown;

const sweep::Library kOrvCommon{&orvcommon::exports, &orvcommon::strings};

const sweep::Rows kRows({
    {kOrvCommon, "OrvSetReboot", "every reason at once", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         m.session.features = {{"MainProgramFiles", {kAbsent, kLocal}},
                               {"CORBASupport", {kAbsent, kLocal}},
                               {"CORBASupport_HY4", {kAbsent, kLocal}}};
         m.session.properties["Version9X"] = "4.10";
         m.session.properties["INSTALL_MDAC"] = "1";
     },
     [](sim::Machine& m) { return m.session.property("REBOOT") == "Force"; }},
    {kOrvCommon, "CopyInstallDB", "a read-only package copied", sweep::kSuccessOnly,
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
    {kOrvCommon, "OrvCreateCfg", "bin written, the framework file refused", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         m.files.addFolder("C:\\Program Files\\Orvanta\\bin");
         m.session.properties["INSTALLDIR"] = "C:\\Program Files\\Orvanta\\";
         m.session.properties["REG_PRODUCT"] = "Quillon";
     },
     [](sim::Machine& m) {
         return m.files.contents("C:\\Program Files\\Orvanta\\bin\\qccil.cfg") ==
                    "-u\"C:\\Program Files\\Orvanta\\units\"\r\n" &&
                m.desktop.messageBoxes.size() == 1;
     }},
    {kOrvCommon, "CheckDotNetSDK", "framework registered, SDK missing", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         m.hklm.setString("SOFTWARE\\Microsoft\\.NETFramework", "sdkInstallRoot", "");
         m.hklm.setString("SOFTWARE\\Microsoft\\.NETFramework", "InstallRoot", "C:\\WINNT\\Microsoft.NET\\Framework\\");
     },
     [](sim::Machine& m) {
         return m.session.property("DOTNETFRAMEWORK_PATH") == "C:\\WINNT\\Microsoft.NET\\Framework\\" &&
                m.desktop.messageBoxes.size() == 1;
     }},
    {kOrvCommon, "SetDotNetDirProp", "SDK missing, its setup program found", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         m.files.addDrive('D');
         m.files.addFile("D:\\Install\\dotnetsdk\\setup.exe");
         m.session.resolvedSource = "D:\\Install\\Disk1\\";
     },
     [](sim::Machine& m) {
         return m.session.property("DOTNETSDK_SETUP_PATH") == "D:\\Install\\dotnetsdk\\setup.exe" &&
                m.session.property("INSTALL_DOTNET") == "1" && m.desktop.messageBoxes.size() == 1;
     }},
    {kOrvCommon, "ShowDotNetRequiredMsg", "the warning shown", sweep::kSuccessOnly, [](sim::Machine&) {},
     [](sim::Machine& m) { return m.desktop.messageBoxes.size() == 1; }},
});

}  // namespace
