// OrvFinalize's actions in the installer engine under Wine. The framework folder is seeded with
// two plain version folders (one holding a file of the framework's own), a read-only folder and
// a file; only the plain folders may receive or lose the compiler's three files.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine.h"
#include "engine_test.h"
#include "orvfinalize_scenarios.h"

namespace {

using engine::Engine;
using engine::Outcome;
namespace finalize = engine::orvfinalize;

// The three files' contents in a version folder, "-" for a missing one.
std::vector<std::string> filesIn(const Outcome& outcome, const std::string& version) {
    std::vector<std::string> found;
    for (const std::string& name : finalize::kFileNames) {
        const auto file = outcome.file(finalize::versionFolder(version) + "\\" + name);
        found.push_back(file ? file->contents : "-");
    }
    return found;
}

const std::vector<std::string> kCopied = {"new qccasp.exe", "new qccil.cfg", "new qlink32.dll"};
const std::vector<std::string> kNone = {"-", "-", "-"};

// The entries that are no version folder, whatever the run.
void expectOthersUntouched(const Outcome& outcome) {
    EXPECT_EQ(filesIn(outcome, finalize::kReadOnlyVersion), kNone);
    const auto own = outcome.file(finalize::versionFolder(finalize::kPlainVersions[0]) + "\\mscorlib.dll");
    ASSERT_TRUE(own.has_value());
    EXPECT_EQ(own->contents, "the framework's own");
    const auto entry = outcome.file(finalize::versionFolder(finalize::kFileEntry));
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->contents, "not a version folder");
}

struct ModeCase {
    const char* name;
    bool uninstallAfter;  // a second run, msiexec /x, on the same prefix
};

void PrintTo(const ModeCase& c, std::ostream* out) { *out << c.name; }

class ProcessFilesForDotNetInEngine : public EngineTest, public ::testing::WithParamInterface<ModeCase> {};

// An install copies the three files into each plain version folder (Wine reports such a folder's
// attribute word as exactly FILE_ATTRIBUTE_DIRECTORY, and a folder without write bits as
// read-only too); an uninstall of the same product deletes them there again. The read-only
// folder and the file are left alone both times, and no box is shown since nothing failed.
TEST_P(ProcessFilesForDotNetInEngine, CopiesIntoPlainVersionFoldersAndDeletesOnRemoval) {
    const ModeCase& c = GetParam();
    Engine& engine = Engine::shared();
    engine::Scenario scenario = finalize::frameworkFiles(engine);
    scenario.uiLevel = engine::UiLevel::Basic;
    scenario.traceMessageBoxes = true;
    if (c.uninstallAfter) scenario.laterRuns = {{engine::Operation::Uninstall}};
    const Outcome outcome = engine.run(scenario);
    ASSERT_EQ(outcome.before().property("DOTNETFRAMEWORK_PATH"), finalize::kFramework);
    ASSERT_EQ(outcome.before().property("REMOVE"), "");

    const std::vector<std::string> others = {"version folders: 2; other entries left alone: 2"};
    EXPECT_EQ(outcome.installLog.linesOf(finalize::kLibrary, "ProcessFilesForDotNet"),
              (std::vector<std::string>{"installing: the framework files are copied",
                                        others[0] + "; files copied: 6, not copied: 0"}))
        << outcome.log();
    EXPECT_TRUE(outcome.messageBoxes.empty());
    if (!c.uninstallAfter) {
        for (const std::string& version : finalize::kPlainVersions)
            EXPECT_EQ(filesIn(outcome, version), kCopied) << version;
        expectOthersUntouched(outcome);
        return;
    }
    const engine::RunOutcome& removal = outcome.last();
    ASSERT_EQ(removal.after().property("REMOVE"), "ALL");
    EXPECT_EQ(removal.installLog.linesOf(finalize::kLibrary, "ProcessFilesForDotNet"),
              (std::vector<std::string>{"REMOVE is set: the framework files are deleted",
                                        others[0] + "; files deleted: 6, not deleted: 0"}))
        << outcome.log();
    EXPECT_TRUE(removal.messageBoxes.empty());
    for (const std::string& version : finalize::kPlainVersions) EXPECT_EQ(filesIn(outcome, version), kNone) << version;
    expectOthersUntouched(outcome);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProcessFilesForDotNetInEngine,
                         ::testing::Values(ModeCase{"Install", false}, ModeCase{"InstallThenUninstall", true}),
                         [](const auto& info) { return std::string(info.param.name); });

class ProcessFilesForDotNetWithoutSourceInEngine : public EngineTest {};

// With INSTALLDIR emptied there is nothing to copy from: no version folder receives a file, and
// the one box of the run, an OK box without an icon, says the copy failed.
TEST_F(ProcessFilesForDotNetWithoutSourceInEngine, CopiesNothingAndWarnsOnce) {
    Engine& engine = Engine::shared();
    engine::Scenario scenario = finalize::frameworkFiles(engine);
    scenario.package.clearedProperties = {"INSTALLDIR"};
    scenario.package.probe.properties.push_back("INSTALLDIR");
    scenario.uiLevel = engine::UiLevel::Basic;
    scenario.traceMessageBoxes = true;
    const Outcome outcome = engine.run(scenario);
    ASSERT_EQ(outcome.before().property("INSTALLDIR"), "");
    const std::string copyFailed =
        "An error occured while copying files to the Microsoft .NET Framework directories.\nYou may want to copy "
        "these files manually by following the instructions given in readme.";
    EXPECT_EQ(outcome.installLog.linesOf(finalize::kLibrary, "ProcessFilesForDotNet"),
              (std::vector<std::string>{"installing: the framework files are copied",
                                        "version folders: 2; other entries left alone: 2; version folders given "
                                        "nothing, INSTALLDIR unreadable or not a full path (result 0): 2; files "
                                        "copied: 0, not copied: 0",
                                        "box \"Warning\" \"" + copyFailed + "\" shown; answer none (-1)"}))
        << outcome.log();
    EXPECT_EQ(outcome.messageBoxes, (std::vector<engine::MessageBoxCall>{{copyFailed, "Warning", 0x0}}));
    for (const std::string& version : finalize::kPlainVersions) EXPECT_EQ(filesIn(outcome, version), kNone) << version;
    expectOthersUntouched(outcome);
}

class RollbackCopiedFilesInEngine : public EngineTest {};

// Scheduled as a real rollback action, it runs when a later step of the script fails, knows that
// it is rolling back, and takes its folders from CustomActionData, the one property Windows hands
// an in-script action (Wine hands it every property, which the second case shows is not used).
TEST_F(RollbackCopiedFilesInEngine, DeletesTheCopiedFilesInTheFolderItsDataNames) {
    Engine& engine = Engine::shared();
    const Outcome outcome = engine.run(finalize::rollbackCopiedFiles(engine));
    ASSERT_EQ(outcome.before().property("DOTNETFRAMEWORK_PATH"), finalize::kFramework);
    EXPECT_EQ(outcome.exitCode, 1603 & 0xFF);
    EXPECT_EQ(outcome.installLog.linesOf(finalize::kLibrary, "RollbackCopiedFiles"),
              (std::vector<std::string>{"rollback: the framework files are deleted",
                                        "in the script: the folders come from CustomActionData",
                                        "version folders: 2; other entries left alone: 2; files deleted: 6, "
                                        "not deleted: 0"}))
        << outcome.log();
    for (const std::string& version : finalize::kPlainVersions) EXPECT_EQ(filesIn(outcome, version), kNone) << version;
    expectOthersUntouched(outcome);
}

// DOTNETFRAMEWORK_PATH names another framework folder than CustomActionData: in the script the
// action follows the data, and the files in the property's folder stay.
TEST_F(RollbackCopiedFilesInEngine, FollowsCustomActionDataRatherThanTheProperty) {
    Engine& engine = Engine::shared();
    const Outcome outcome = engine.run(finalize::rollbackCopiedFiles(engine, true));
    ASSERT_EQ(outcome.before().property("DOTNETFRAMEWORK_PATH"), finalize::kOtherFramework);
    EXPECT_EQ(outcome.exitCode, 1603 & 0xFF);
    EXPECT_EQ(outcome.installLog.linesOf(finalize::kLibrary, "RollbackCopiedFiles").back(),
              "version folders: 2; other entries left alone: 2; files deleted: 6, not deleted: 0")
        << outcome.log();
    for (const std::string& version : finalize::kPlainVersions) EXPECT_EQ(filesIn(outcome, version), kNone) << version;
    for (const std::string& name : finalize::kFileNames) {
        const auto kept = outcome.file(std::string(finalize::kOtherFramework) + "\\" + finalize::kOtherVersion + "\\" + name);
        ASSERT_TRUE(kept.has_value()) << name;
        EXPECT_EQ(kept->contents, "other " + name);
    }
    expectOthersUntouched(outcome);
}

}  // namespace
