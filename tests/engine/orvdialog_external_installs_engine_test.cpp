// CheckExtInstalls and ProcessExternalInstalls in the installer engine under Wine. The engine's
// VersionNT is not "501", so the DataAccess registration and oledb32.dll decide whether MDAC 2.7
// is offered; the seeded file's own version is read only with oledb32 overridden to native.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine.h"
#include "engine_test.h"
#include "orvdialog_scenarios.h"

namespace {

using engine::Engine;
using engine::Outcome;

const std::string kGranaryCaption = "Install Granary Client";
const std::string kMdacCaption = "Install/Upgrade to Microsoft Data Access Components 2.7";
const std::string kGranaryOffer = "slot 1 offers \"Install Granary Client\"; INSTALL_GRANARY \"1\"";
const std::string kMdacOffer = "slot 2 offers \"" + kMdacCaption + "\"; INSTALL_MDAC \"2\"";

struct MdacCase {
    const char* name;
    std::optional<std::string> registered;  // DataAccess "Version"
    std::optional<engine::FileVersion> oleDb;
    bool offered;
    // The action's lines between the Granary offer and the verdict on MDAC; "<file>" stands for
    // the full path of oledb32.dll as CommonFilesFolder gives it.
    std::vector<std::string> testLines;
};

void PrintTo(const MdacCase& c, std::ostream* out) { *out << c.name; }

class CheckExtInstallsInEngine : public EngineTest, public ::testing::WithParamInterface<MdacCase> {};

// Granary is always offered in row 1; MDAC in row 2 only when neither the registered version nor
// the file reaches 2.70.9001.
TEST_P(CheckExtInstallsInEngine, OffersMdacOnlyWhereTheMachineLacksIt) {
    const MdacCase& c = GetParam();
    const Outcome outcome = Engine::shared().run(engine::orvdialog::extInstalls(Engine::shared(), c.registered, c.oleDb));
    const engine::ProbeStage& before = outcome.before();
    ASSERT_NE(before.property("VersionNT"), "501");
    ASSERT_EQ(before.value("Software\\Microsoft\\DataAccess", "Version").code, c.registered ? 0u : 2u);
    if (c.oleDb) ASSERT_EQ(before.version(engine::orvdialog::kOleDbFile).version, c.oleDb->text());
    const std::string file = before.property("CommonFilesFolder") + "System\\ole db\\oledb32.dll";

    const engine::ProbeStage& after = outcome.after();
    EXPECT_EQ(after.property("Enable_Ext_Install_1"), "1");
    EXPECT_EQ(after.property("External_Install_Text_1"), kGranaryCaption);
    EXPECT_EQ(after.property("INSTALL_GRANARY"), "1");
    EXPECT_EQ(after.property("Enable_Ext_Install_2"), c.offered ? "1" : "");
    EXPECT_EQ(after.property("External_Install_Text_2"), c.offered ? kMdacCaption : "");
    EXPECT_EQ(after.property("INSTALL_MDAC"), c.offered ? "2" : "");
    std::vector<std::string> expected{kGranaryOffer};
    for (std::string line : c.testLines) {
        if (const auto at = line.find("<file>"); at != std::string::npos) line.replace(at, 6, file);
        expected.push_back(line);
    }
    expected.push_back(c.offered ? kMdacOffer : "MDAC not offered");
    EXPECT_EQ(outcome.installLog.linesOf(engine::orvdialog::kLibrary, "CheckExtInstalls"), expected);
}

// "2.70" reads as 2.70.70.70, below 2.70.9001.0, so the file decides; "2.80" decides alone.
const MdacCase kMdacCases[] = {
    {"FileAtMdac27", "2.70", engine::FileVersion{2, 70, 9001, 0}, false,
     {"DataAccess \"Version\" \"2.70\" reads 2.70.70.70: below 2.70.9001.0",
      "\"<file>\" is 2.70.9001.0: MDAC 2.7 present"}},
    {"FileBelowMdac27", "2.70", engine::FileVersion{2, 70, 7713, 4}, true,
     {"DataAccess \"Version\" \"2.70\" reads 2.70.70.70: below 2.70.9001.0",
      "\"<file>\" is 2.70.7713.4: below 2.70.9001"}},
    {"RegisteredMdac28", "2.80", std::nullopt, false,
     {"DataAccess \"Version\" \"2.80\" reads 2.80.80.80: MDAC 2.7 present"}},
    {"NoDataAccessKey", std::nullopt, std::nullopt, true,
     {"Software\\Microsoft\\DataAccess cannot be opened: MDAC missing"}},
};

INSTANTIATE_TEST_SUITE_P(Machines, CheckExtInstallsInEngine, ::testing::ValuesIn(kMdacCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct ChoiceCase {
    const char* name;
    std::string secondCaption;  // what row 2, whose box is cleared, shows
    std::string mdacAfter;
    std::string clearedLine;
};

void PrintTo(const ChoiceCase& c, std::ostream* out) { *out << c.name; }

class ProcessExternalInstallsInEngine : public EngineTest, public ::testing::WithParamInterface<ChoiceCase> {};

// A cleared box withdraws the request its caption stands for; the checked row keeps its own.
TEST_P(ProcessExternalInstallsInEngine, WithdrawsTheRequestOfAClearedRowByItsCaption) {
    const ChoiceCase& c = GetParam();
    const Outcome outcome =
        Engine::shared().run(engine::orvdialog::externalInstallChoice(Engine::shared(), c.secondCaption));
    ASSERT_EQ(outcome.before().property("External_Install_2"), "");
    ASSERT_EQ(outcome.before().property("INSTALL_MDAC"), "2");

    EXPECT_EQ(outcome.after().property("INSTALL_GRANARY"), "1");
    EXPECT_EQ(outcome.after().property("INSTALL_MDAC"), c.mdacAfter);
    EXPECT_EQ(outcome.installLog.linesOf(engine::orvdialog::kLibrary, "ProcessExternalInstalls"),
              (std::vector<std::string>{c.clearedLine, "2 slots read; 1 still checked"}));
}

const ChoiceCase kChoices[] = {
    {"MdacCleared", kMdacCaption, "", "slot 2 \"" + kMdacCaption + "\" cleared: INSTALL_MDAC removed"},
    {"CaptionOfNoInstall", "Install Something Else", "2",
     "slot 2 cleared, but its caption names no external install: nothing withdrawn"},
};

INSTANTIATE_TEST_SUITE_P(Choices, ProcessExternalInstallsInEngine, ::testing::ValuesIn(kChoices),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
