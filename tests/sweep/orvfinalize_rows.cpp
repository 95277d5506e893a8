// OrvFinalize's actions in the fault sweep, each down its full path.
#include <string>
#include <vector>

#include "OrvFinalize_library.h"
#include "sim/machine.h"
#include "sweep.h"

namespace {

const sweep::Library kOrvFinalize{&orvfinalize::exports, &orvfinalize::strings};

const std::string kFramework = "C:\\WINNT\\Microsoft.NET\\Framework\\";

// Two version folders holding an earlier copy, a read-only one and a file beside them.
void frameworkWithCopies(sim::Machine& m) {
    m.session.properties["DOTNETFRAMEWORK_PATH"] = kFramework;
    m.session.properties["INSTALLDIR"] = "C:\\Prog\\";
    for (const char* name : {"qccasp.exe", "qccil.cfg", "qlink32.dll"}) {
        m.files.addFile(std::string("C:\\Prog\\aspx\\framework\\") + name, "new");
        m.files.addFile(kFramework + "v1.0.3705\\" + name, "old");
        m.files.addFile(kFramework + "v1.1.4322\\" + name, "old");
    }
    m.files.addFolder(kFramework + "v2.0", orv::kAttrDirectory | orv::kAttrReadOnly);
    m.files.addFile(kFramework + "readme.txt");
}

const sweep::Rows kRows({
    {kOrvFinalize, "ProcessFilesForDotNet", "copies into two version folders", sweep::kSuccessOnly, frameworkWithCopies,
     [](sim::Machine& m) {
         return m.files.contents(kFramework + "v1.0.3705\\qlink32.dll") == "new" &&
                m.files.contents(kFramework + "v1.1.4322\\qlink32.dll") == "new";
     }},
    {kOrvFinalize, "RollbackCopiedFiles", "rollback deletes from two version folders", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         frameworkWithCopies(m);
         m.session.rollback = true;
         // In the script the action has only what the package handed it.
         m.session.properties["CustomActionData"] = kFramework + "|C:\\Prog\\";
     },
     [](sim::Machine& m) {
         return !m.files.isFile(kFramework + "v1.0.3705\\qlink32.dll") &&
                !m.files.isFile(kFramework + "v1.1.4322\\qlink32.dll");
     }},
});

}  // namespace
