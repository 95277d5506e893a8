// The three compiler files copied into every plain version folder of the .NET Framework, and
// deleted there again on rollback and removal.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "cases.h"
#include "orvfinalize_run.h"

namespace {

const std::string kFramework = "C:\\WINNT\\Microsoft.NET\\Framework";
const std::string kVersion1 = kFramework + "\\v1.0.3705";
const std::string kVersion2 = kFramework + "\\v1.1.4322";
const std::vector<std::string> kNames = {"qccasp.exe", "qccil.cfg", "qlink32.dll"};

// The installation's files, two plain version folders and a file in the framework folder.
sim::Machine frameworkMachine() {
    sim::Machine machine;
    // What the package hands an action in the script: "<framework folder>|<installation folder>".
    machine.session.properties = {{"DOTNETFRAMEWORK_PATH", kFramework + "\\"}, {"INSTALLDIR", "C:\\Prog\\"},
                                  {"CustomActionData", kFramework + "\\|C:\\Prog\\"}};
    for (const std::string& name : kNames) machine.files.addFile("C:\\Prog\\aspx\\framework\\" + name, "new " + name);
    machine.files.addFile(kVersion1 + "\\mscorlib.dll", "framework's own");
    machine.files.addFolder(kVersion2);
    machine.files.addFile(kFramework + "\\readme.txt", "readme");
    return machine;
}

// The three files as an earlier installation left them in a folder.
void installedIn(sim::Machine& machine, const std::string& folder,
                 std::uint32_t folderAttributes = orv::kAttrDirectory) {
    machine.files.addFolder(folder, folderAttributes);
    for (const std::string& name : kNames) machine.files.addFile(folder + "\\" + name, "old " + name);
}

// The contents of the three files in a folder, "-" for a missing one.
std::vector<std::string> filesIn(sim::Machine& machine, const std::string& folder) {
    std::vector<std::string> found;
    for (const std::string& name : kNames) found.push_back(machine.files.contents(folder + "\\" + name).value_or("-"));
    return found;
}

const std::vector<std::string> kNew = {"new qccasp.exe", "new qccil.cfg", "new qlink32.dll"};
const std::vector<std::string> kOld = {"old qccasp.exe", "old qccil.cfg", "old qlink32.dll"};
const std::vector<std::string> kNone = {"-", "-", "-"};

struct ModeCase {
    const char* situation;
    bool rollback;
    Properties properties;  // added to the machine's
    bool copies;            // otherwise it deletes
};

class ProcessFilesForDotNet : public ::testing::TestWithParam<ModeCase> {};

// Every plain version folder is worked on, in both exports alike; a read-only folder, the files
// of the framework folder and a version folder's other files are never touched.
TEST_P(ProcessFilesForDotNet, CopiesOnInstallAndDeletesOnRollbackOrRemoval) {
    const ModeCase& c = GetParam();
    for (const char* exportName : {"ProcessFilesForDotNet", "RollbackCopiedFiles"}) {
        SCOPED_TRACE(exportName);
        sim::Machine machine = frameworkMachine();
        machine.session.rollback = c.rollback;
        for (const auto& [name, value] : c.properties) machine.session.properties[name] = value;
        installedIn(machine, kVersion1);
        installedIn(machine, kFramework + "\\v2.0 read-only", orv::kAttrDirectory | orv::kAttrReadOnly);
        installedIn(machine, kFramework);

        EXPECT_EQ(run(machine, exportName), orv::kSuccess);

        EXPECT_EQ(filesIn(machine, kVersion1), c.copies ? kNew : kNone);
        EXPECT_EQ(filesIn(machine, kVersion2), c.copies ? kNew : kNone);
        EXPECT_EQ(filesIn(machine, kFramework + "\\v2.0 read-only"), kOld);
        EXPECT_EQ(filesIn(machine, kFramework), kOld);
        EXPECT_EQ(machine.files.contents(kVersion1 + "\\mscorlib.dll"), "framework's own");
        EXPECT_EQ(machine.files.contents(kFramework + "\\readme.txt"), "readme");
        EXPECT_TRUE(machine.desktop.messageBoxes.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(OrvFinalize, ProcessFilesForDotNet,
                         ::testing::Values(ModeCase{"installing", false, {}, true},
                                           ModeCase{"installing with REMOVE too long to read", false,
                                                    {{"REMOVE", std::string(260, 'r')}}, true},
                                           ModeCase{"rollback", true, {}, false},
                                           ModeCase{"REMOVE set", false, {{"REMOVE", "ALL"}}, false},
                                           ModeCase{"REMOVE naming one feature", false, {{"REMOVE", "DotNet"}}, false},
                                           ModeCase{"rollback of a removal", true, {{"REMOVE", "ALL"}}, false}),
                         NamedBySituation());

// Only the attribute word 0x10 makes a version folder: any attribute besides it leaves the
// folder alone, as a file is left alone.
TEST(ProcessFilesForDotNetEntries, OnlyAPlainFolderIsAVersionFolder) {
    struct Case {
        std::uint32_t attributes;
        bool versionFolder;
    };
    for (const Case& c : {Case{0x10, true}, Case{0x11, false}, Case{0x12, false}, Case{0x14, false}, Case{0x30, false},
                          Case{0x410, false}, Case{0x810, false}}) {
        SCOPED_TRACE(c.attributes);
        sim::Machine machine = frameworkMachine();
        machine.files.addFolder(kFramework + "\\v9", c.attributes);
        EXPECT_EQ(run(machine, "ProcessFilesForDotNet"), orv::kSuccess);
        EXPECT_EQ(filesIn(machine, kFramework + "\\v9"), c.versionFolder ? kNew : kNone);
        EXPECT_EQ(filesIn(machine, kVersion2), kNew);
    }
}

struct RefusalCase {
    const char* situation;
    void (*seed)(sim::Machine&);
    std::optional<std::uint32_t> message;  // the text of the one box shown
    std::string logLine;                   // in the run's log
};

class ProcessFilesForDotNetRefusals : public ::testing::TestWithParam<RefusalCase> {};

// Without a usable framework folder nothing is copied or deleted anywhere; only a folder that
// cannot be read is reported to the user.
TEST_P(ProcessFilesForDotNetRefusals, TouchesNothing) {
    const RefusalCase& c = GetParam();
    sim::Machine machine = frameworkMachine();
    installedIn(machine, kVersion1);
    installedIn(machine, "C:\\WINNT\\Microsoft.NET\\v1");
    machine.files.currentFolder = "C:\\WINNT\\Microsoft.NET";
    c.seed(machine);

    EXPECT_EQ(run(machine, "ProcessFilesForDotNet"), orv::kSuccess);

    EXPECT_EQ(filesIn(machine, kVersion1), kOld);
    EXPECT_EQ(filesIn(machine, kVersion2), kNone);
    EXPECT_EQ(filesIn(machine, "C:\\WINNT\\Microsoft.NET\\v1"), kOld);
    std::vector<sim::MessageBoxShown> boxes;
    if (c.message) boxes.push_back({text(*c.message), "Warning", 0x0});
    EXPECT_EQ(machine.desktop.messageBoxes, boxes);
    EXPECT_TRUE(logged(machine, "OrvFinalize.ProcessFilesForDotNet: " + c.logLine)) << c.logLine;
}

const std::string k260(260, 'f');

INSTANTIATE_TEST_SUITE_P(
    OrvFinalize, ProcessFilesForDotNetRefusals,
    ::testing::Values(
        RefusalCase{"installing, framework folder too long to read",
                    [](sim::Machine& m) { m.session.properties["DOTNETFRAMEWORK_PATH"] = k260; }, 101,
                    "DOTNETFRAMEWORK_PATH cannot be read (result 234): nothing done"},
        RefusalCase{"removing, framework folder too long to read",
                    [](sim::Machine& m) {
                        m.session.properties["DOTNETFRAMEWORK_PATH"] = k260;
                        m.session.properties["REMOVE"] = "ALL";
                    },
                    103, "DOTNETFRAMEWORK_PATH cannot be read (result 234): nothing done"},
        // A rollback must not stop on a box: the failure is only logged.
        RefusalCase{"rollback, CustomActionData unreadable",
                    [](sim::Machine& m) {
                        m.session.rollback = true;
                        m.fail(sim::Op::GetProperty, "CustomActionData");
                    },
                    std::nullopt, "CustomActionData cannot be read (result 1627): nothing done"},
        RefusalCase{"rollback without CustomActionData", [](sim::Machine& m) {
                        m.session.rollback = true;
                        m.session.properties.erase("CustomActionData");
                    },
                    std::nullopt, "CustomActionData's framework folder \"\" is not a full path: nothing done"},
        RefusalCase{"installing with an empty framework folder",
                    [](sim::Machine& m) { m.session.properties["DOTNETFRAMEWORK_PATH"] = ""; }, std::nullopt,
                    "DOTNETFRAMEWORK_PATH \"\" is not a full path: nothing done"},
        RefusalCase{"removing with a relative framework folder",
                    [](sim::Machine& m) {
                        m.session.properties["DOTNETFRAMEWORK_PATH"] = "Framework";
                        m.session.properties["REMOVE"] = "ALL";
                    },
                    std::nullopt, "DOTNETFRAMEWORK_PATH \"Framework\" is not a full path: nothing done"},
        RefusalCase{"removing with a folder rooted on the current drive",
                    [](sim::Machine& m) {
                        m.session.properties["DOTNETFRAMEWORK_PATH"] = "\\WINNT\\Microsoft.NET\\Framework\\";
                        m.session.properties["REMOVE"] = "ALL";
                    },
                    std::nullopt,
                    "DOTNETFRAMEWORK_PATH \"\\WINNT\\Microsoft.NET\\Framework\\\" is not a full path: nothing done"},
        RefusalCase{"a 259-character folder leaves no room for the pattern",
                    [](sim::Machine& m) { m.session.properties["DOTNETFRAMEWORK_PATH"] = "C:\\" + std::string(256, 'f'); },
                    std::nullopt,
                    "the search \"C:\\" + std::string(256, 'f') + "\\*.*\" is too long for Windows: nothing done"},
        RefusalCase{"a framework folder that does not exist",
                    [](sim::Machine& m) { m.session.properties["DOTNETFRAMEWORK_PATH"] = "C:\\NoFramework\\"; },
                    std::nullopt, "nothing found by \"C:\\NoFramework\\*.*\""},
        RefusalCase{"removing from a framework folder of dots only",
                    [](sim::Machine& m) {
                        m.session.properties["DOTNETFRAMEWORK_PATH"] = "C:\\WINNT\\Microsoft.NET\\v1\\Empty";
                        m.session.properties["REMOVE"] = "ALL";
                        m.files.addFolder("C:\\WINNT\\Microsoft.NET\\v1\\Empty");
                    },
                    std::nullopt, "version folders: 0; other entries left alone: 0; files deleted: 0, not deleted: 0"}),
    NamedBySituation());

struct FailureCase {
    const char* situation;
    Properties properties;  // added to the machine's
    void (*seed)(sim::Machine&);
    std::vector<std::string> version1;  // the three files in each version folder afterwards
    std::vector<std::string> version2;
    std::optional<std::uint32_t> message;  // the text of the one box shown
};

class ProcessFilesForDotNetFailures : public ::testing::TestWithParam<FailureCase> {};

// A copy or deletion that fails is passed over and the loop goes on; only a version folder left
// without a source to copy from is reported, once for the run.
TEST_P(ProcessFilesForDotNetFailures, GoOnAndWarnOnlyWithoutASource) {
    const FailureCase& c = GetParam();
    sim::Machine machine = frameworkMachine();
    for (const auto& [name, value] : c.properties) machine.session.properties[name] = value;
    c.seed(machine);

    EXPECT_EQ(run(machine, "ProcessFilesForDotNet"), orv::kSuccess);

    EXPECT_EQ(filesIn(machine, kVersion1), c.version1);
    EXPECT_EQ(filesIn(machine, kVersion2), c.version2);
    std::vector<sim::MessageBoxShown> boxes;
    if (c.message) boxes.push_back({text(*c.message), "Warning", 0x0});
    EXPECT_EQ(machine.desktop.messageBoxes, boxes);
}

void nothing(sim::Machine&) {}

const Properties kRemoving = {{"REMOVE", "ALL"}};

INSTANTIATE_TEST_SUITE_P(
    OrvFinalize, ProcessFilesForDotNetFailures,
    ::testing::Values(
        FailureCase{"INSTALLDIR too long to read", {{"INSTALLDIR", "C:\\" + std::string(257, 'p')}}, nothing, kNone, kNone, 101},
        // A relative source would copy whatever lies below the folder msiexec runs in.
        FailureCase{"INSTALLDIR empty", {{"INSTALLDIR", ""}},
                    [](sim::Machine& m) { m.files.currentFolder = "C:\\Prog"; }, kNone, kNone, 101},
        FailureCase{"INSTALLDIR unreadable without a version folder", {{"INSTALLDIR", std::string(260, 'p')}},
                    [](sim::Machine& m) { m.session.properties["DOTNETFRAMEWORK_PATH"] = "C:\\Prog\\aspx\\framework"; },
                    kNone, kNone, std::nullopt},
        FailureCase{"INSTALLDIR without its backslash", {{"INSTALLDIR", "C:\\Prog"}}, nothing, kNew, kNew, std::nullopt},
        FailureCase{"a source file missing", {},
                    [](sim::Machine& m) { m.files.remove("C:\\Prog\\aspx\\framework\\qlink32.dll"); },
                    {"new qccasp.exe", "new qccil.cfg", "-"}, {"new qccasp.exe", "new qccil.cfg", "-"}, std::nullopt},
        FailureCase{"a read-only older file is not replaced", {},
                    [](sim::Machine& m) { m.files.addFile(kVersion1 + "\\qccil.cfg", "old qccil.cfg", orv::kAttrReadOnly); },
                    {"new qccasp.exe", "old qccil.cfg", "new qlink32.dll"}, kNew, std::nullopt},
        FailureCase{"every copy refused", {}, [](sim::Machine& m) { m.fail(sim::Op::CopyFile); }, kNone, kNone,
                    std::nullopt},
        FailureCase{"removing, a read-only file stays", kRemoving,
                    [](sim::Machine& m) {
                        installedIn(m, kVersion1);
                        installedIn(m, kVersion2);
                        m.files.addFile(kVersion1 + "\\qccil.cfg", "old qccil.cfg", orv::kAttrReadOnly);
                    },
                    {"-", "old qccil.cfg", "-"}, kNone, std::nullopt},
        FailureCase{"removing, every deletion refused", kRemoving,
                    [](sim::Machine& m) {
                        installedIn(m, kVersion1);
                        m.fail(sim::Op::DeleteFile);
                    },
                    kOld, kNone, std::nullopt},
        FailureCase{"removing, INSTALLDIR unreadable", {{"REMOVE", "ALL"}, {"INSTALLDIR", std::string(260, 'p')}},
                    [](sim::Machine& m) { installedIn(m, kVersion1); }, kNone, kNone, std::nullopt}),
    NamedBySituation());

// A thousand version folders are each served, and names as long as Windows allows only make
// their own copies fail.
TEST(ProcessFilesForDotNetScale, ManyFoldersAndLongNames) {
    sim::Machine machine = frameworkMachine();
    for (int i = 0; i < 1000; ++i) machine.files.addFolder(kFramework + "\\v" + std::to_string(i));
    const std::string longName = kFramework + "\\" + std::string(255, 'v');
    machine.files.addFolder("C:\\F\\" + std::string(255, 'v'));
    machine.session.properties["DOTNETFRAMEWORK_PATH"] = kFramework;

    EXPECT_EQ(run(machine, "ProcessFilesForDotNet"), orv::kSuccess);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(filesIn(machine, kFramework + "\\v" + std::to_string(i)), kNew) << i;
    EXPECT_TRUE(machine.desktop.messageBoxes.empty());

    machine.session.properties["REMOVE"] = "ALL";
    EXPECT_EQ(run(machine, "ProcessFilesForDotNet"), orv::kSuccess);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(filesIn(machine, kFramework + "\\v" + std::to_string(i)), kNone) << i;

    sim::Machine longNames = frameworkMachine();
    longNames.files.addFolder("C:\\F\\" + std::string(255, 'v'));
    longNames.files.addFolder("C:\\F\\v1");
    longNames.session.properties["DOTNETFRAMEWORK_PATH"] = "C:\\F";
    EXPECT_EQ(run(longNames, "ProcessFilesForDotNet"), orv::kSuccess);
    EXPECT_EQ(filesIn(longNames, "C:\\F\\v1"), kNew);
    EXPECT_TRUE(longNames.desktop.messageBoxes.empty());
    EXPECT_EQ(logOf(longNames, "OrvFinalize.ProcessFilesForDotNet: ").back(),
              "version folders: 2; other entries left alone: 0; files copied: 3, not copied: 3");
}

// The log names the mode and what the run did; a hidden framework folder stays hidden.
TEST(ProcessFilesForDotNetLog, NamesTheModeAndTheCounts) {
    sim::Machine machine = frameworkMachine();
    machine.session.properties["INSTALLDIR"] = std::string(260, 'p');
    run(machine, "ProcessFilesForDotNet");
    EXPECT_EQ(logOf(machine, "OrvFinalize.ProcessFilesForDotNet: "),
              (std::vector<std::string>{"installing: the framework files are copied",
                                        "version folders: 2; other entries left alone: 1; version folders given "
                                        "nothing, INSTALLDIR unreadable or not a full path (result 234): 2; files "
                                        "copied: 0, not copied: 0",
                                        "box \"Warning\" \"" + text(101) + "\" shown; answer none (0)"}));

    sim::Machine rollback = frameworkMachine();
    rollback.session.rollback = true;
    installedIn(rollback, kVersion2);
    rollback.session.properties["MsiHiddenProperties"] = "CustomActionData";
    rollback.session.properties["CustomActionData"] = "Framework|C:\\Prog\\";
    run(rollback, "RollbackCopiedFiles");
    EXPECT_EQ(logOf(rollback, "OrvFinalize.RollbackCopiedFiles: "),
              (std::vector<std::string>{"rollback: the framework files are deleted",
                                        "in the script: the folders come from CustomActionData",
                                        "CustomActionData's framework folder ********** is not a full path: nothing done"}));
    EXPECT_EQ(filesIn(rollback, kVersion2), kOld);
}

struct ScriptCase {
    const char* situation;
    void (*mode)(sim::Session&);
    std::string data;                   // CustomActionData
    std::vector<std::string> version1;  // the three files afterwards
    std::string logLine;
    bool warns = false;  // the run's one message: copies that found no folder to copy from
};

class ProcessFilesForDotNetInTheScript : public ::testing::TestWithParam<ScriptCase> {};

// In the script the folders come from CustomActionData, never from DOTNETFRAMEWORK_PATH, which
// Windows does not hand a deferred or rollback action; a folder the data does not name fully
// does nothing, and nothing outside the named framework folder's version folders is touched.
TEST_P(ProcessFilesForDotNetInTheScript, FollowsCustomActionData) {
    const ScriptCase& c = GetParam();
    sim::Machine machine = frameworkMachine();
    c.mode(machine.session);
    installedIn(machine, kVersion1);
    // The property names another framework folder, as a kinder engine could hand it on.
    installedIn(machine, "C:\\Other\\v1.0");
    machine.session.properties["DOTNETFRAMEWORK_PATH"] = "C:\\Other\\";
    machine.session.properties["CustomActionData"] = c.data;

    EXPECT_EQ(run(machine, "RollbackCopiedFiles"), orv::kSuccess);

    EXPECT_EQ(filesIn(machine, kVersion1), c.version1);
    EXPECT_EQ(filesIn(machine, "C:\\Other\\v1.0"), kOld);
    EXPECT_EQ(machine.desktop.messageBoxes.size(), c.warns ? 1u : 0u);
    EXPECT_TRUE(logged(machine, "OrvFinalize.RollbackCopiedFiles: in the script: the folders come from CustomActionData"));
    EXPECT_TRUE(logged(machine, c.logLine)) << c.logLine << "\n" << machine.session.log.back();
}

void rollingBack(sim::Session& session) { session.rollback = true; }
void deferred(sim::Session& session) { session.scheduled = true; }
void committing(sim::Session& session) { session.commit = true; }
void deferredRemoval(sim::Session& session) {
    session.scheduled = true;
    session.properties["REMOVE"] = "ALL";
}

INSTANTIATE_TEST_SUITE_P(
    OrvFinalize, ProcessFilesForDotNetInTheScript,
    ::testing::Values(
        ScriptCase{"rollback deletes in the named folder", rollingBack, kFramework + "|C:\\Prog\\", kNone,
                   "files deleted: 3, not deleted: 3"},
        ScriptCase{"rollback needs no installation folder", rollingBack, kFramework, kNone,
                   "files deleted: 3, not deleted: 3"},
        ScriptCase{"a deferred install copies from the named installation folder", deferred,
                   kFramework + "\\|C:\\Prog\\", kNew, "files copied: 6, not copied: 0"},
        ScriptCase{"a deferred install without an installation folder copies nothing", deferred, kFramework, kOld,
                   "version folders given nothing", true},
        ScriptCase{"a deferred removal", deferredRemoval, kFramework + "|", kNone, "files deleted: 3, not deleted: 3"},
        ScriptCase{"a commit action", committing, kFramework + "|C:\\Prog\\", kNew, "files copied: 6"},
        ScriptCase{"empty data", rollingBack, "", kOld,
                   "CustomActionData's framework folder \"\" is not a full path: nothing done"},
        ScriptCase{"only the separator", rollingBack, "|", kOld,
                   "CustomActionData's framework folder \"\" is not a full path: nothing done"},
        ScriptCase{"a relative framework folder", rollingBack, "Framework|C:\\Prog\\", kOld,
                   "CustomActionData's framework folder \"Framework\" is not a full path: nothing done"},
        ScriptCase{"the folder missing before the separator", rollingBack, "|C:\\Prog\\", kOld,
                   "CustomActionData's framework folder \"\" is not a full path: nothing done"},
        ScriptCase{"300 characters", rollingBack, "C:\\" + std::string(297, 'd'), kOld,
                   "CustomActionData cannot be read (result 234): nothing done"},
        ScriptCase{"a framework folder that does not exist", rollingBack, "C:\\NoFramework|C:\\Prog\\", kOld,
                   "nothing found by \"C:\\NoFramework\\*.*\""}),
    NamedBySituation());

}  // namespace
