// Q6Uninst's action in the installer engine under Wine. It makes no installer call, so the
// installer log holds no line of its own: every case is judged by the files it deleted and kept.
// Each case lists files below the root alongside entries that must not be taken as such.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine.h"
#include "engine_test.h"
#include "q6uninst_scenarios.h"

namespace {

using engine::Engine;
using engine::Outcome;
namespace q6 = engine::q6uninst;
using q6::inRoot;

const std::string kOutsideFile = std::string(q6::kOutside) + "\\outside.txt";

struct ListCase {
    const char* name;
    q6::UninstallList list;
    std::vector<std::string> deleted;  // Windows paths present before the run, gone after it
    std::vector<std::string> kept;     // present before and after
    std::vector<std::string> folders;  // folders below the root, named by entries, still there after
};

void PrintTo(const ListCase& c, std::ostream* out) { *out << c.name; }

const ListCase kListCases[] = {
    // A missing entry is passed over; a listed folder, empty or not, is never deleted.
    {"ListedFilesDeletedFoldersKept",
     {"5",
      {{"File0", "a.txt"}, {"File1", "sub\\b.dll"}, {"File2", "missing.txt"}, {"File3", "sub"}, {"File4", "docs"}}},
     {inRoot("a.txt"), inRoot("sub\\b.dll")},
     {inRoot("sub\\kept.txt"), inRoot("kept.txt"), inRoot("uninstall.ini")},
     {inRoot("sub"), inRoot("docs")}},
    // Every entry that would reach outside the root, or name another file than it reads, is
    // skipped while the good ones around it are still visited. Count in hex.
    {"EntriesReachingOutsideTheRootKept",
     {"0x10",
      {{"File0", "a.txt"},
       {"File1", "..\\outside.txt"},
       {"File2", "sub\\..\\..\\outside.txt"},
       {"File3", "\\Quillon\\outside.txt"},
       {"File4", "C:\\Quillon\\outside.txt"},
       {"File5", "C:..\\outside.txt"},
       {"File6", "\\\\localhost\\C$\\Quillon\\outside.txt"},
       {"File7", "\\\\.\\C:\\Quillon\\outside.txt"},
       {"File8", "\\\\?\\C:\\Quillon\\outside.txt"},
       {"File9", "kept.txt:stream"},
       {"File10", "kept.txt."},
       // The quotes keep the trailing blank: the profile calls take them off the value.
       {"File11", "\"kept.txt \""},
       {"File12", "..\\Preview\\kept.txt"},
       // The same quotes around a good entry: its file goes, so the quotes are taken off here too.
       {"File13", "\"c.txt\""},
       {"File15", "sub\\b.dll"}}},
     {inRoot("a.txt"), inRoot("sub\\b.dll"), inRoot("c.txt")},
     {kOutsideFile, inRoot("kept.txt"), inRoot("uninstall.ini")},
     {}},
    // Only the keys the list holds are visited: a Count of 2,000,000,000 costs what three do.
    {"HugeCountWithThreeEntries",
     {"2000000000",
      {{"File0", "a.txt"}, {"File7", "sub\\b.dll"}, {"File1999999999", "c.txt"}, {"File2000000000", "kept.txt"}}},
     {inRoot("a.txt"), inRoot("sub\\b.dll"), inRoot("c.txt")},
     {inRoot("kept.txt")},
     {}},
    // Key names as the profile calls compare them: "file1" is File1, "File01" is no key of the
    // loop. Count after "$" in hex.
    {"KeysMatchedAsTheProfileCallsDo",
     {"$3", {{"file1", "a.txt"}, {"File01", "kept.txt"}, {"FILE2", "sub\\b.dll"}, {"File3", "c.txt"}}},
     {inRoot("a.txt"), inRoot("sub\\b.dll")},
     {inRoot("kept.txt"), inRoot("c.txt")},
     {}},
};

class OrvRemoveExtraFilesInEngine : public EngineTest, public ::testing::WithParamInterface<ListCase> {};

TEST_P(OrvRemoveExtraFilesInEngine, DeletesOnlyListedFilesBelowTheRoot) {
    const ListCase& c = GetParam();
    Engine& engine = Engine::shared();
    std::vector<std::string> present = c.deleted;
    present.insert(present.end(), c.kept.begin(), c.kept.end());
    std::erase(present, inRoot("uninstall.ini"));  // the scenario writes the list itself
    engine::Scenario scenario = q6::removeExtraFiles(engine, c.list, present);
    for (const std::string& folder : c.folders)
        if (std::find(present.begin(), present.end(), folder + "\\kept.txt") == present.end())
            scenario.files.push_back({folder, "", false, std::nullopt, true});
    const Outcome outcome = engine.run(scenario);

    for (const std::string& file : c.deleted) EXPECT_FALSE(outcome.file(file).has_value()) << file << " is still there";
    for (const std::string& file : c.kept) EXPECT_TRUE(outcome.file(file).has_value()) << file << " was deleted";
    for (const std::string& folder : c.folders)
        EXPECT_TRUE(std::filesystem::is_directory(outcome.prefix().unixPath(folder))) << folder << " was deleted";
    EXPECT_TRUE(outcome.installLog.linesOf(q6::kLibrary, "OrvRemoveExtraFiles").empty());
    EXPECT_TRUE(outcome.installLog.actionLines().empty()) << outcome.log();
}

INSTANTIATE_TEST_SUITE_P(Cases, OrvRemoveExtraFilesInEngine, ::testing::ValuesIn(kListCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
