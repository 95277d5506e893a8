// The sweep itself, on actions with a fault planted in them: each kind of broken promise is
// found, and named by the fault and the call that brought it out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sweep.h"

namespace {

using orv::ActionContext;
using orv::ActionResult;

// Leaves the key open when its value cannot be read.
ActionResult leavesAKeyOpen(ActionContext& context) {
    orv::RegKeyHandle key = 0;
    if (context.os.regOpenKey("Software\\Planted", false, &key) != 0) return ActionResult::Success;
    std::uint32_t type = 0;
    std::string data;
    if (context.os.regQueryValue(key, "Value", &type, &data) != 0) return ActionResult::Success;
    context.os.regCloseKey(key);
    return ActionResult::Success;
}

// Leaves the file open when it cannot be written.
ActionResult leavesAFileOpen(ActionContext& context) {
    const orv::FileHandle file = context.os.createFile("C:\\planted.txt");
    if (file == 0) return ActionResult::Success;
    if (!context.os.writeFile(file, "planted")) return ActionResult::Success;
    context.os.closeFile(file);
    return ActionResult::Success;
}

// Leaves the library loaded when it lacks the export.
ActionResult leavesALibraryLoaded(ActionContext& context) {
    const orv::LibraryHandle library = context.os.loadLibrary("C:\\planted.dll");
    if (library == 0) return ActionResult::Success;
    if (context.os.findExport(library, "Planted") == 0) return ActionResult::Success;
    context.os.freeLibrary(library);
    return ActionResult::Success;
}

// Fails the installation over a property it cannot read, which its contract does not allow.
ActionResult failsWhereItMayNot(ActionContext& context) {
    return context.session.read("PLANTED").succeeded() ? ActionResult::Success : ActionResult::InstallFailure;
}

// Asks again, for ever, while the property cannot be read.
ActionResult retriesForEver(ActionContext& context) {
    while (!context.session.read("PLANTED").succeeded()) {
    }
    return ActionResult::Success;
}

// Writes its last log line from a destructor, where a raise ends the process.
ActionResult logsFromADestructor(ActionContext& context) {
    struct LineWhenDone {
        orv::Platform& os;
        orv::MsiHandle session;
        ~LineWhenDone() { os.msiLogInfo(session, "done"); }
    } line{context.os, context.session.handle()};
    context.session.read("PLANTED");
    return ActionResult::Success;
}

const orv::ExportEntry kPlantedList[] = {
    {"Planted", "LeavesAKeyOpen", leavesAKeyOpen, ActionResult::Success},
    {"Planted", "LeavesAFileOpen", leavesAFileOpen, ActionResult::Success},
    {"Planted", "LeavesALibraryLoaded", leavesALibraryLoaded, ActionResult::Success},
    {"Planted", "FailsWhereItMayNot", failsWhereItMayNot, ActionResult::Success},
    {"Planted", "RetriesForEver", retriesForEver, ActionResult::Success},
    {"Planted", "LogsFromADestructor", logsFromADestructor, ActionResult::Success},
};
const orv::ExportTable kPlantedExports(kPlantedList);
const orv::StringTable kNoStrings;
const sweep::Library kPlanted{&kPlantedExports, &kNoStrings};

sweep::SweptAction planted(const char* exportName) {
    return {kPlanted, exportName, "planted", {orv::kSuccess},
            [](sim::Machine& m) {
                m.hklm.setString("Software\\Planted", "Value", "planted");
                m.desktop.libraries["C:\\planted.dll"].intExports["Planted"] = [] { return 0; };
                m.session.properties["PLANTED"] = "1";
            },
            [](sim::Machine&) { return true; }};
}

struct PlantedCase {
    const char* action;
    const char* found;  // in the report, word for word
};

TEST(PlantedFaults, EachBrokenPromiseIsFoundAtTheCallThatBroughtItOut) {
    const PlantedCase cases[] = {
        {"LeavesAKeyOpen", "transient at call 1 (regQueryValue): 1 key(s) left open;"},
        {"LeavesAFileOpen", "transient at call 1 (writeFile): 1 file(s) left open;"},
        {"LeavesALibraryLoaded", "persistent at call 1 (findExport): 1 library(ies) left loaded;"},
        {"FailsWhereItMayNot", "transient at call 0 (msiGetProperty): result 1603 not allowed;"},
        {"RetriesForEver", "persistent at call 0 (msiGetProperty): still calling after 1011 calls;"},
    };
    for (const PlantedCase& c : cases) {
        SCOPED_TRACE(c.action);
        const sweep::Report report = sweep::sweepAction(planted(c.action));
        bool found = false;
        for (const std::string& problem : report.problems) found = found || problem == c.found;
        EXPECT_TRUE(found) << ::testing::PrintToString(report.problems);
    }
}

// A raise that leaves a destructor ends the process; before it ends, it names the case.
TEST(PlantedFaultsDeathTest, AnEscapeNamesTheActionTheFaultAndTheCall) {
    EXPECT_DEATH(sweep::sweepAction(planted("LogsFromADestructor")),
                 "ESCAPE: something crossed the export in LogsFromADestructor \\(planted\\), "
                 "bad_alloc at call 1 \\(msiLogInfo\\)");
}

}  // namespace
