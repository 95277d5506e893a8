// OrvRegistry's actions in the installer engine under Wine. Each case checks its premise in the
// probe's first look or in the registry as seeded, then what the action changed in the registry
// and on the disk, and the lines it wrote to the installer log. The broker's registration library
// and the programs RegisterLattice starts are the tests' own (orvregistry_programs/), which write
// down how they were called.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "engine.h"
#include "engine_test.h"
#include "orvregistry_scenarios.h"

namespace {

using engine::Engine;
using engine::Outcome;
using engine::RegValue;
namespace reg = engine::orvregistry;

constexpr unsigned kFileNotFound = 2;

class OrvRegistryInEngine : public EngineTest {
protected:
    Outcome run(const engine::Scenario& scenario) { return Engine::shared().run(scenario); }

    static std::vector<std::string> linesOf(const engine::RunOutcome& outcome, const char* action) {
        return outcome.installLog.linesOf(reg::kLibrary, action);
    }
    static std::optional<RegValue> text(const char* value) { return RegValue::string(value); }
};

// Every tool is on the disk; the menu had two entries, the second already titled as pixpad.exe's
// row. The first run numbers on from Count 2 and leaves pixpad.exe out; the second run, on the
// same machine, finds every title and adds nothing.
TEST_F(OrvRegistryInEngine, UpdateTransferKeyAddsEachToolOnceOverTwoRuns) {
    engine::Scenario scenario = reg::transferKey(Engine::shared());
    scenario.laterRuns = {{engine::Operation::Install}};
    const Outcome outcome = run(scenario);
    ASSERT_EQ(outcome.machineBefore.value(reg::kTransferKey, "Count"), text("2"));
    ASSERT_TRUE(outcome.file("C:\\VaultSync\\Bin\\vsync.exe"));

    const std::string bin = std::string(reg::kInstallDir) + "Bin";
    struct Entry {
        std::string title, path, workingFolder;
    };
    const std::vector<Entry> added = {
        {"Tab&le Workbench", "C:\\TWB\\twb32.exe", reg::kTableWorkbenchDir},
        {"&Foreign Make Importer", bin + "\\mkimport.exe", bin},
        {"&Heap Sentinel Settings", bin + "\\hsconfig.exe", bin},
        {"&Bundle Composer", bin + "\\bundler.exe", bin},
        {"&Schema Linker", bin + "\\schemalink.exe", bin},
        {"Fo&lio Designer", std::string(reg::kInstallDir) + "Folio5\\Folio.exe", std::string(reg::kInstallDir) + "Folio5"},
        {"&VaultSync", "C:\\VaultSync\\Bin\\vsync.exe", "C:\\VaultSync\\Bin"},
    };
    for (const engine::RunOutcome* after : {static_cast<const engine::RunOutcome*>(&outcome), &outcome.last()}) {
        EXPECT_EQ(after->machineValue(reg::kTransferKey, "Count"), text("9"));
        EXPECT_EQ(after->machineValue(reg::kTransferKey, "Title1"), text("&Bitmap Studio"));
        EXPECT_EQ(after->machineValue(reg::kTransferKey, "Path1"), text("C:\\Elsewhere\\pixpad.exe"));
        EXPECT_EQ(after->machineValue(reg::kTransferKey, "Title9"), std::nullopt);
        for (std::size_t n = 0; n < added.size(); ++n) {
            const std::string number = std::to_string(n + 2);
            EXPECT_EQ(after->machineValue(reg::kTransferKey, "Title" + number), RegValue::string(added[n].title)) << number;
            EXPECT_EQ(after->machineValue(reg::kTransferKey, "Path" + number), RegValue::string(added[n].path)) << number;
            EXPECT_EQ(after->machineValue(reg::kTransferKey, "WorkingDir" + number),
                      RegValue::string(added[n].workingFolder)) << number;
            EXPECT_EQ(after->machineValue(reg::kTransferKey, "Params" + number), RegValue::string("")) << number;
        }
    }
    const std::vector<std::string> first = linesOf(outcome, "UpdateTransferKey");
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first.front(), "Tools-menu key \"Software\\Orvanta\\Quillon\\7.0\\Transfer\", Count 2");
    EXPECT_EQ(std::count(first.begin(), first.end(),
                         "entry \"&Bitmap Studio\" already present: pixpad.exe not added"), 1);
    EXPECT_EQ(first.back(), "entry 8 \"&VaultSync\" added for \"C:\\VaultSync\\Bin\\vsync.exe\"");
    const std::vector<std::string> second = linesOf(outcome.last(), "UpdateTransferKey");
    EXPECT_EQ(second.front(), "Tools-menu key \"Software\\Orvanta\\Quillon\\7.0\\Transfer\", Count 9");
    EXPECT_EQ(std::count_if(second.begin(), second.end(),
                            [](const std::string& line) { return line.find("already present") != std::string::npos; }),
              8);
}

// Five features requested locally: each shared folder's count goes up from what was stored ("4",
// "-3"; a REG_DWORD counts as no use), the images are recorded in "\Images", the table
// workbench outside the shared root, and every use is marked under the product's key.
TEST_F(OrvRegistryInEngine, BumpSharedUseCountRaisesEveryStoredCount) {
    const Outcome outcome = run(reg::useCounts(Engine::shared(), false));
    ASSERT_EQ(outcome.before().feature("TableWorkbench").action, 3);
    const std::string root = reg::kSharedRoot;
    ASSERT_EQ(outcome.before().value(root + "\\MSHelp", "UseCount").type, 4u);

    struct Count {
        std::string key, useCount, rootDir;
    };
    for (const Count& count : {Count{root + "\\Data", "5", "C:\\Shared\\Data"},
                               Count{root + "\\SampleDictionary", "1", "C:\\Shared\\SampleDictionary"},
                               Count{root + "\\Image Files", "-2", "C:\\Shared\\Images"},
                               Count{root + "\\MSHelp", "1", "C:\\Shared\\MSHelp"},
                               Count{reg::kTableWorkbenchKey, "1", "C:\\TWB"}}) {
        EXPECT_EQ(outcome.machineValue(count.key, "UseCount"), RegValue::string(count.useCount)) << count.key;
        EXPECT_EQ(outcome.machineValue(count.key, "RootDir"), RegValue::string(count.rootDir)) << count.key;
    }
    EXPECT_EQ(outcome.machineValue(root, "SharedFilesDir"), text("C:\\Shared"));
    EXPECT_EQ(outcome.machineValue(root + "\\TWB", "UseCount"), std::nullopt);
    for (const char* flag : {"UseSharedData", "UseSharedImages", "UseSharedMSHelp", "UseSharedTWB"})
        EXPECT_EQ(outcome.machineValue(reg::kUninstallInfoKey, flag), text("TRUE")) << flag;
    const std::vector<std::string> lines = linesOf(outcome, "BumpSharedUseCount");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Image Files: UseCount -2, RootDir \"C:\\Shared\\Images\""), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "TWB: UseCount 1, RootDir \"C:\\TWB\""), lines.end());
}

// A shared root that refuses writing stops the counting at its first step and fails the
// installation with 1603: nothing is counted or marked, and the stored counts stay.
TEST_F(OrvRegistryInEngine, BumpSharedUseCountFailsOnAWriteProtectedSharedRoot) {
    engine::Scenario scenario = reg::useCounts(Engine::shared(), true);
    scenario.expectedResult = 1603;
    const Outcome outcome = run(scenario);
    EXPECT_EQ(outcome.exitCode, 1603 & 0xff);
    const std::string root = reg::kSharedRoot;
    EXPECT_EQ(outcome.machineValue(root, "SharedFilesDir"), std::nullopt);
    EXPECT_EQ(outcome.machineValue(root + "\\Data", "UseCount"), text("4"));
    EXPECT_EQ(outcome.machineValue(root + "\\Image Files", "UseCount"), text("-3"));
    EXPECT_EQ(outcome.machineValue(root + "\\MSHelp", "UseCount"), RegValue::number(7));
    EXPECT_EQ(outcome.machineValue(reg::kTableWorkbenchKey, "UseCount"), std::nullopt);
    EXPECT_EQ(outcome.machineValue(reg::kUninstallInfoKey, "UseSharedData"), std::nullopt);
    EXPECT_EQ(linesOf(outcome, "BumpSharedUseCount"),
              (std::vector<std::string>{"the shared root cannot be opened: nothing more recorded; result 1603",
                                        "SampleDataFiles not counted: an earlier step failed",
                                        "ImageFiles not counted: an earlier step failed",
                                        "MicrosoftSDKHelpFiles not counted: an earlier step failed",
                                        "TableWorkbench not counted: an earlier step failed"}));
}

// The chosen shared folder is recorded under the product's key without its closing backslash.
TEST_F(OrvRegistryInEngine, SetLocalSharedRootRecordsTheSharedFolder) {
    const Outcome outcome = run(reg::localSharedRoot(Engine::shared(), reg::kSharedFilesDir));
    ASSERT_EQ(outcome.before().property("SHARED_FILES_DIR"), reg::kSharedFilesDir);
    ASSERT_EQ(outcome.machineBefore.value(reg::kProductKey, "LocalSharedRoot"), std::nullopt);
    EXPECT_EQ(outcome.machineValue(reg::kProductKey, "LocalSharedRoot"), text("C:\\Shared"));
    EXPECT_EQ(linesOf(outcome, "SetLocalSharedRoot"),
              std::vector<std::string>{"LocalSharedRoot \"C:\\Shared\" under \"Software\\Orvanta\\Quillon\\7.0\""});
}

// The new Access driver chosen: DLL32 is set where the engine's driver key exists, and the key
// is never created where it does not.
struct AccessDriverCase {
    const char* name;
    bool keyPresent;
    std::optional<RegValue> dll32;
    const char* line;
};

void PrintTo(const AccessDriverCase& c, std::ostream* out) { *out << c.name; }

class AccessDriverInEngine : public OrvRegistryInEngine, public ::testing::WithParamInterface<AccessDriverCase> {};

TEST_P(AccessDriverInEngine, ResetKRNAccessDriverWritesOnlyIntoTheEnginesKey) {
    const Outcome outcome = run(reg::accessDriver(Engine::shared(), GetParam().keyPresent));
    ASSERT_EQ(outcome.before().key(reg::kAccessDriverKey).readCode, GetParam().keyPresent ? 0u : kFileNotFound);
    EXPECT_EQ(outcome.machineValue(reg::kAccessDriverKey, "DLL32"), GetParam().dll32);
    EXPECT_EQ(outcome.after().key(reg::kAccessDriverKey).readCode, GetParam().keyPresent ? 0u : kFileNotFound);
    EXPECT_EQ(linesOf(outcome, "ResetKRNAccessDriver"), std::vector<std::string>{GetParam().line});
}

const AccessDriverCase kAccessDriverCases[] = {
    {"KeyPresent", true, RegValue::string("NXAC4032.DLL"), "the new Access driver chosen: DLL32 set to \"NXAC4032.DLL\""},
    {"KeyMissing", false, std::nullopt, "the database engine has no Access driver key: DLL32 not written"},
};

INSTANTIATE_TEST_SUITE_P(DriverKey, AccessDriverInEngine, ::testing::ValuesIn(kAccessDriverCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The web framework's folders are appended to NetProbe's Path with one ";" between, whatever
// the Path held, and the key is made when it is missing.
constexpr const char* kWebFolders = "$(QUILLON)\\source\\tierweb;$(QUILLON)\\examples\\pagekit\\images";

struct NetProbeCase {
    const char* name;
    bool keyPresent;
    std::optional<std::string> path;
    std::string extended;
    std::string line;
};

void PrintTo(const NetProbeCase& c, std::ostream* out) { *out << c.name; }

class NetProbeInEngine : public OrvRegistryInEngine, public ::testing::WithParamInterface<NetProbeCase> {};

TEST_P(NetProbeInEngine, AddNetProbeRegEntryAppendsTheWebFolders) {
    const NetProbeCase& c = GetParam();
    const Outcome outcome = run(reg::netProbe(Engine::shared(), c.keyPresent, c.path));
    ASSERT_EQ(outcome.before().key(reg::kNetProbeKey).readCode, c.keyPresent ? 0u : kFileNotFound);
    EXPECT_EQ(outcome.machineValue(reg::kNetProbeKey, "Path"), RegValue::string(c.extended));
    EXPECT_EQ(linesOf(outcome, "AddNetProbeRegEntry"), std::vector<std::string>{c.line});
}

const NetProbeCase kNetProbeCases[] = {
    {"NoKey", false, std::nullopt, kWebFolders, "the NetProbe key created; Path holds the web framework's folders"},
    {"NoPath", true, std::nullopt, kWebFolders,
     "NetProbe's Path of 0 characters extended to 60 with the web framework's folders"},
    {"EmptyPath", true, "", kWebFolders, "NetProbe's Path of 0 characters extended to 60 with the web framework's folders"},
    {"OneFolder", true, "C:\\Web", std::string("C:\\Web;") + kWebFolders,
     "NetProbe's Path of 6 characters extended to 67 with the web framework's folders"},
    {"EndsWithSeparator", true, "C:\\Web;", std::string("C:\\Web;") + kWebFolders,
     "NetProbe's Path of 7 characters extended to 67 with the web framework's folders"},
};

INSTANTIATE_TEST_SUITE_P(StartingPaths, NetProbeInEngine, ::testing::ValuesIn(kNetProbeCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Office 2000 and 97 each register their automation package under the IDE's fixed key; Office
// XP, for which no package file is known, registers nothing and makes no key.
struct OfficeCase {
    const char* name;
    const char* version;
    const char* package;  // nullptr: none
    std::string line;
};

void PrintTo(const OfficeCase& c, std::ostream* out) { *out << c.name; }

class OfficeControlsInEngine : public OrvRegistryInEngine, public ::testing::WithParamInterface<OfficeCase> {};

TEST_P(OfficeControlsInEngine, RegisterOfficeControlsRegistersTheVersionsPackage) {
    const OfficeCase& c = GetParam();
    const Outcome outcome = run(reg::officeControls(Engine::shared(), c.version));
    ASSERT_EQ(outcome.before().key(reg::kKnownPackagesKey).readCode, kFileNotFound);
    if (c.package) {
        EXPECT_EQ(outcome.machineValue(reg::kKnownPackagesKey, c.package), text("(Untitled)"));
        EXPECT_EQ(outcome.after().key(reg::kKnownPackagesKey).readCode, 0u);
    } else {
        EXPECT_EQ(outcome.after().key(reg::kKnownPackagesKey).readCode, kFileNotFound);
    }
    EXPECT_EQ(linesOf(outcome, "RegisterOfficeControls"), std::vector<std::string>{c.line});
}

const OfficeCase kOfficeCases[] = {
    {"Office2000", "Office2k", "$(TSY)\\Bin\\tsy2kaxserver60.opk",
     "\"$(TSY)\\Bin\\tsy2kaxserver60.opk\" registered under \"Software\\Orvanta\\Quillon\\7.0\\Known Packages\""},
    {"Office97", "Office97", "$(TSY)\\Bin\\tsy97axserver60.opk",
     "\"$(TSY)\\Bin\\tsy97axserver60.opk\" registered under \"Software\\Orvanta\\Quillon\\7.0\\Known Packages\""},
    {"OfficeXP", "OfficeXP", nullptr, "MSOFFICE_VER \"OfficeXP\" has no package: nothing registered"},
};

INSTANTIATE_TEST_SUITE_P(OfficeVersions, OfficeControlsInEngine, ::testing::ValuesIn(kOfficeCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The library search path gains one ";" only where it lacks one; without the key, a warning
// whose caption is the key's path is shown at /qb and not at /qn, and no key is made.
struct LibraryPathCase {
    const char* name;
    std::optional<std::string> searchPath;
    engine::UiLevel level;
    std::optional<std::string> after;
    std::vector<engine::MessageBoxCall> boxes;
    std::vector<std::string> lines;
};

void PrintTo(const LibraryPathCase& c, std::ostream* out) { *out << c.name; }

class LibraryPathInEngine : public OrvRegistryInEngine, public ::testing::WithParamInterface<LibraryPathCase> {};

TEST_P(LibraryPathInEngine, UpdateLibraryPathEndsTheSearchPathOrWarns) {
    const LibraryPathCase& c = GetParam();
    const Outcome outcome = run(reg::libraryPath(Engine::shared(), c.searchPath, c.level));
    ASSERT_EQ(outcome.before().property("UILevel"), c.level == engine::UiLevel::Basic ? "3" : "2");
    const std::optional<RegValue> expected = c.after ? std::optional<RegValue>(RegValue::string(*c.after)) : std::nullopt;
    EXPECT_EQ(outcome.machineValue(reg::kLibraryKey, "Search Path"), expected);
    EXPECT_EQ(outcome.after().key(reg::kLibraryKey).readCode, c.searchPath ? 0u : kFileNotFound);
    EXPECT_EQ(outcome.messageBoxes, c.boxes);
    EXPECT_EQ(linesOf(outcome, "UpdateLibraryPath"), c.lines);
}

const engine::MessageBoxCall kMissingKeyWarning{"Warning: Registry Key not found", reg::kLibraryKey, 0};
const char* const kMissingKeyLine = "the IDE's library key is missing: warning the user";

const LibraryPathCase kLibraryPathCases[] = {
    {"Unended", "C:\\Lib", engine::UiLevel::None, "C:\\Lib;", {}, {"Search Path ended with \";\""}},
    {"Ended", "C:\\Lib;", engine::UiLevel::None, "C:\\Lib;", {}, {"Search Path written back unchanged"}},
    {"MissingKeyBasicUi", std::nullopt, engine::UiLevel::Basic, std::nullopt, {kMissingKeyWarning},
     {kMissingKeyLine, "box \"Software\\Orvanta\\Quillon\\7.0\\Library\" \"Warning: Registry Key not found\" shown; "
                       "answer none (-1)"}},
    {"MissingKeySilent", std::nullopt, engine::UiLevel::None, std::nullopt, {},
     {kMissingKeyLine, "box \"Software\\Orvanta\\Quillon\\7.0\\Library\" \"Warning: Registry Key not found\" not "
                       "shown: silent installation; answer none"}},
};

INSTANTIATE_TEST_SUITE_P(SearchPaths, LibraryPathInEngine, ::testing::ValuesIn(kLibraryPathCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The broker's registration library, the tests' own, is loaded from HALORB_DIR\Bin, asked about
// each service and handed each service's program; it is released before the action returns.
// Answered 8 ("already registered") at /qb, the two questions go unanswered, and since only No
// keeps a registration, both services are registered again. With hlocate_exe not installed
// locally, the library is never loaded.
struct BrokerCase {
    const char* name;
    int answer;
    bool componentLocal;
    engine::UiLevel level;
    std::optional<std::string> calls;  // the library's record; nullopt: it never ran
    std::vector<engine::MessageBoxCall> boxes;
};

void PrintTo(const BrokerCase& c, std::ostream* out) { *out << c.name; }

class HalOrbInEngine : public OrvRegistryInEngine, public ::testing::WithParamInterface<BrokerCase> {};

TEST_P(HalOrbInEngine, RegisterHalORBRegistersThroughTheBrokersLibrary) {
    const BrokerCase& c = GetParam();
    const Outcome outcome = run(reg::halOrb(Engine::shared(), c.answer, c.componentLocal, c.level));
    ASSERT_FALSE(outcome.before().property("VersionNT").empty());
    ASSERT_EQ(outcome.before().component("hlocate_exe").action == 3, c.componentLocal);
    const std::optional<engine::FileState> calls = outcome.file(reg::kBrokerCalls);
    EXPECT_EQ(calls ? std::optional<std::string>(calls->contents) : std::nullopt, c.calls);
    EXPECT_EQ(outcome.messageBoxes, c.boxes);
    const std::vector<std::string> lines = linesOf(outcome, "RegisterHalORB");
    if (!c.componentLocal) {
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_TRUE(lines[0].starts_with("component hlocate_exe not local (")) << lines[0];
        return;
    }
    const std::string answer = std::to_string(c.answer);
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "hlocate.exe registered: InstallAgentService called with \"C:\\Halyard\\bin\\hlocate.exe\" "
                        "(AgentServiceExists answered " + answer + ")"),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "actd.exe registered: InstallACTDService called with \"C:\\Halyard\\bin\\actd.exe\" "
                        "(ACTDServiceExists answered " + answer + ")"),
              lines.end());
}

const std::string kBothRegistered =
    "loaded\nAgentServiceExists\nInstallAgentService C:\\Halyard\\bin\\hlocate.exe\n"
    "ACTDServiceExists\nInstallACTDService C:\\Halyard\\bin\\actd.exe\nreleased\n";
constexpr std::uint32_t kQuestionStyle = 0x40024;  // MB_TOPMOST | MB_ICONQUESTION | MB_YESNO

const BrokerCase kBrokerCases[] = {
    {"NotYetRegistered", 0, true, engine::UiLevel::None, kBothRegistered, {}},
    {"AlreadyRegisteredBasicUi", 8, true, engine::UiLevel::Basic, kBothRegistered,
     {{"hlocate.exe is already registered.\nDo you wish to overwrite the entry by registering again?",
       "Reinstall Halyard Components", kQuestionStyle},
      {"actd.exe is already registered.\nDo you wish to overwrite the entry by registering again?",
       "Reinstall Halyard Components", kQuestionStyle}}},
    {"ComponentNotLocal", 0, false, engine::UiLevel::None, std::nullopt, {}},
};

INSTANTIATE_TEST_SUITE_P(Brokers, HalOrbInEngine, ::testing::ValuesIn(kBrokerCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A relative HALORB_DIR would make the library's path one that Windows looks for along the DLL
// search path, where a planted library would run with the installer's rights: nothing is loaded,
// not even a copy placed where such a search could reach it (the system folder, the source
// folder, C:\).
TEST_F(OrvRegistryInEngine, RegisterHalORBLoadsNothingFromARelativeFolder) {
    engine::Scenario scenario = reg::halOrb(Engine::shared(), 0, true, engine::UiLevel::None);
    scenario.package.properties["HALORB_DIR"] = "Halyard";
    const std::string broker = scenario.files.front().contents;
    const std::vector<std::string> plantedFolders = {"C:\windows\system32\Halyard\Bin",
                                                     scenario.sourceFolder + "\Halyard\Bin", "C:\Halyard\Bin"};
    for (const std::string& folder : plantedFolders) scenario.files.push_back({folder + "\register.dll", broker});
    const Outcome outcome = run(scenario);
    ASSERT_EQ(outcome.before().property("HALORB_DIR"), "Halyard");
    ASSERT_EQ(outcome.before().component("hlocate_exe").action, 3);
    for (const std::string& folder : plantedFolders)
        EXPECT_FALSE(outcome.file(folder + "\\broker-calls.txt")) << folder;
    EXPECT_EQ(linesOf(outcome, "RegisterHalORB"),
              std::vector<std::string>{"broker library \"Halyard\\Bin\\register.dll\" is not a full path: nothing loaded"});
}

// The two type libraries go to axreg.exe and the information server registers itself, each
// started from INSTALLDIR\bin, minimised without taking the focus (7). The programs are the
// tests' own recorders; a wait in the package lets them write before the run ends.
TEST_F(OrvRegistryInEngine, RegisterLatticeStartsTheRegistrationTools) {
    const Outcome outcome = run(reg::lattice(Engine::shared()));
    const std::string bin = std::string(reg::kInstallDir) + "bin";
    ASSERT_EQ(outcome.before().property("INSTALLDIR"), reg::kInstallDir);

    std::vector<std::string> records;
    for (const auto& entry : std::filesystem::directory_iterator(outcome.prefix().unixPath(reg::kStartedFolder)))
        if (entry.path().extension() == ".txt")
            records.push_back(outcome.file(std::string(reg::kStartedFolder) + "\\" + entry.path().filename().string())->contents);
    std::sort(records.begin(), records.end());
    const auto record = [&](const std::string& program, const char* parameters) {
        return "command line\t\"" + bin + "\\" + program + "\" " + parameters + "\nworking folder\t" + bin + "\nshow\t7\n";
    };
    std::vector<std::string> expected = {record("axreg.exe", "latlib.tlb"), record("axreg.exe", "latticescript.tlb"),
                                         record("hostinfo.exe", "/REGSERVER")};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(records, expected);
    const std::string shownBin = "\"" + bin + "\"";
    EXPECT_EQ(linesOf(outcome, "RegisterLattice"),
              (std::vector<std::string>{"started \"" + bin + "\\axreg.exe\" latlib.tlb in " + shownBin,
                                        "started \"" + bin + "\\axreg.exe\" latticescript.tlb in " + shownBin,
                                        "started \"" + bin + "\\hostinfo.exe\" /REGSERVER in " + shownBin}));
}

}  // namespace
