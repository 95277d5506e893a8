// Q6Uninst's action in the fault sweep, down its full path.
#include "Q6Uninst_library.h"
#include "sim/machine.h"
#include "sweep.h"

namespace {

const sweep::Library kQ6Uninst{&q6uninst::exports, &q6uninst::strings};

const sweep::Rows kRows({
    {kQ6Uninst, "OrvRemoveExtraFiles", "two files deleted, one entry outside kept", sweep::kSuccessOnly,
     [](sim::Machine& m) {
         m.hklm.setString("Software\\Orvanta\\Quillon for .NET Preview\\1.0", "RootDir", "C:\\Prog");
         m.files.addFile("C:\\Prog\\uninstall.ini",
                         "[Program]\nCount=4\nFile0=bin\\a.dll\nFile1=..\\outside.txt\nFile3=b.txt\n");
         m.files.addFile("C:\\Prog\\bin\\a.dll");
         m.files.addFile("C:\\Prog\\b.txt");
         m.files.addFile("C:\\outside.txt");
     },
     [](sim::Machine& m) {
         return !m.files.isFile("C:\\Prog\\bin\\a.dll") && !m.files.isFile("C:\\Prog\\b.txt") &&
                m.files.isFile("C:\\outside.txt");
     }},
});

}  // namespace
