// OrvCommon's configuration files and .NET detection in the installer engine under Wine, one
// msiexec run per case. Each case is judged by the files, the properties the probe reports after
// the action, the boxes Wine traced and the action's own lines in the installer log.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine.h"
#include "engine_test.h"
#include "orvcommon_scenarios.h"

namespace {

using engine::Engine;
using engine::MessageBoxCall;
using engine::Outcome;
using engine::RegValue;
using engine::UiLevel;
namespace common = engine::orvcommon;

const std::string kConfigFailed =
    "An error has occured while creating configuration files. This installation may not work correctly.";
const std::string kInstallSdkLater =
    "Please install Microsoft .NET SDK later. Orvanta Quillon for .NET Preview requires the full release version "
    "of Microsoft .NET SDK to be installed on the machine.";
const std::string kSdkRequired =
    "Please download and install Microsoft .NET SDK from Microsoft website before you use the Orvanta Quillon for "
    ".NET Preview edition.\nThe Orvanta Quillon for .NET Preview edition requires the full release version of the "
    "Microsoft .NET SDK to be installed on the machine.";
constexpr std::uint32_t kTopmostWarning = 0x40030;
constexpr std::uint32_t kWarning = 0x30;

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::vector<std::string> lines(const Outcome& outcome, const char* exportName) {
    return outcome.installLog.linesOf(common::kLibrary, exportName);
}

// --- OrvCreateCfg -------------------------------------------------------------------------------

struct ConfigCase {
    const char* name;
    bool frameworkFolderPresent;
};

void PrintTo(const ConfigCase& c, std::ostream* out) { *out << c.name; }

class OrvCreateCfgInEngine : public EngineTest, public ::testing::WithParamInterface<ConfigCase> {};

// At /qb, both files are written byte for byte where their folder exists; a missing folder costs
// that file alone, with one warning box and its log line.
TEST_P(OrvCreateCfgInEngine, WritesEachFileWhoseFolderExistsAndWarnsOfTheOther) {
    const ConfigCase& c = GetParam();
    Engine& engine = Engine::shared();
    engine::Scenario scenario = common::createConfig(engine, c.frameworkFolderPresent);
    scenario.uiLevel = UiLevel::Basic;
    scenario.traceMessageBoxes = true;
    const Outcome outcome = engine.run(scenario);
    const std::string installDir = common::installedPath(scenario, "");
    ASSERT_EQ(outcome.after().property("INSTALLDIR"), installDir);
    ASSERT_EQ(outcome.after().property("REG_PRODUCT"), "Quillon");

    const std::string binFile = common::installedPath(scenario, "bin\\qccil.cfg");
    const std::string aspxFile = common::installedPath(scenario, "aspx\\framework\\qccil.cfg");
    const auto bin = outcome.file(binFile);
    ASSERT_TRUE(bin.has_value()) << outcome.log();
    EXPECT_EQ(bin->contents, "-u\"" + installDir + "units\"\r\n");
    const std::string wroteBin = "wrote " + quoted(binFile) + " naming the units in " + quoted(installDir + "units");
    const auto aspx = outcome.file(aspxFile);
    if (c.frameworkFolderPresent) {
        ASSERT_TRUE(aspx.has_value()) << outcome.log();
        EXPECT_EQ(aspx->contents, "-u\"" + installDir + "aspx\\units\"\r\n");
        EXPECT_TRUE(outcome.messageBoxes.empty());
        EXPECT_EQ(lines(outcome, "OrvCreateCfg"),
                  (std::vector<std::string>{
                      "wrote " + quoted(aspxFile) + " naming the units in " + quoted(installDir + "aspx\\units"),
                      wroteBin}));
        return;
    }
    EXPECT_FALSE(aspx.has_value());
    EXPECT_EQ(outcome.messageBoxes, (std::vector<MessageBoxCall>{{kConfigFailed, "Warning", kTopmostWarning}}));
    EXPECT_EQ(lines(outcome, "OrvCreateCfg"),
              (std::vector<std::string>{quoted(aspxFile) + " could not be created",
                                        "box \"Warning\" " + quoted(kConfigFailed) + " shown; answer none (-1)",
                                        wroteBin}));
}

INSTANTIATE_TEST_SUITE_P(Cases, OrvCreateCfgInEngine,
                         ::testing::Values(ConfigCase{"BothFolders", true},
                                           ConfigCase{"FrameworkFolderMissing", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- CheckDotNetSDK -----------------------------------------------------------------------------

struct SdkCase {
    const char* name;
    std::vector<engine::RegistrySeed> values;
    UiLevel uiLevel;
    std::string framework, sdk;  // the properties afterwards
    std::vector<std::string> expectedLines;
    bool boxShown;
};

void PrintTo(const SdkCase& c, std::ostream* out) { *out << c.name; }

engine::RegistrySeed frameworkValue(const char* name, RegValue value) {
    return {common::kFrameworkKey, name, std::move(value)};
}

const std::string kFrameworkSet = std::string("DOTNETFRAMEWORK_PATH set to ") + quoted(common::kFrameworkFolder);
const std::string kNoSdk = "no SDK folder registered: DOTNETSDK_PATH not set";
const std::string kSdkBox = "box \"Warning\" " + quoted(kInstallSdkLater);

const SdkCase kSdkCases[] = {
    {"BothValues",
     {frameworkValue("sdkInstallRoot", RegValue::string(common::kSdkFolder)),
      frameworkValue("InstallRoot", RegValue::string(common::kFrameworkFolder))},
     UiLevel::Basic,
     common::kFrameworkFolder,
     common::kSdkFolder,
     {kFrameworkSet, std::string("DOTNETSDK_PATH set to ") + quoted(common::kSdkFolder)},
     false},
    {"SdkMissingBasicUi",
     {frameworkValue("InstallRoot", RegValue::string(common::kFrameworkFolder))},
     UiLevel::Basic,
     common::kFrameworkFolder,
     "",
     {kFrameworkSet, kNoSdk, kSdkBox + " shown; answer none (-1)"},
     true},
    {"SdkMissingSilent",
     {frameworkValue("InstallRoot", RegValue::string(common::kFrameworkFolder))},
     UiLevel::None,
     common::kFrameworkFolder,
     "",
     {kFrameworkSet, kNoSdk, kSdkBox + " not shown: silent installation; answer none"},
     false},
    // The SDK is read first; its value cannot be read as text, so the framework's is never read.
    // The 64-bit DLL reads the key in the 64-bit view, the one the seed writes.
    {"SdkStoredAsDword",
     {frameworkValue("sdkInstallRoot", RegValue::number(1)),
      frameworkValue("InstallRoot", RegValue::string(common::kFrameworkFolder))},
     UiLevel::Basic,
     "",
     "",
     {"Invalid data type for 'sdkInstallRoot' under 'SOFTWARE\\Microsoft\\.NETFramework'; the reads stop there",
      "no framework folder registered: DOTNETFRAMEWORK_PATH not set", kNoSdk, kSdkBox + " shown; answer none (-1)"},
     true},
};

class CheckDotNetSdkInEngine : public EngineTest, public ::testing::WithParamInterface<SdkCase> {};

// The registered folders become properties; a missing SDK is told once, in a box only where the
// installation is not silent.
TEST_P(CheckDotNetSdkInEngine, PublishesTheRegisteredFoldersAndWarnsOfAMissingSdk) {
    const SdkCase& c = GetParam();
    Engine& engine = Engine::shared();
    engine::Scenario scenario = common::checkDotNetSdk(engine, c.values);
    scenario.uiLevel = c.uiLevel;
    scenario.traceMessageBoxes = true;
    const Outcome outcome = engine.run(scenario);
    ASSERT_EQ(outcome.before().property("UILevel"), c.uiLevel == UiLevel::Basic ? "3" : "2");
    ASSERT_EQ(outcome.before().property("DOTNETSDK_PATH"), "");
    EXPECT_EQ(outcome.after().property("DOTNETFRAMEWORK_PATH"), c.framework) << outcome.log();
    EXPECT_EQ(outcome.after().property("DOTNETSDK_PATH"), c.sdk);
    EXPECT_EQ(lines(outcome, "CheckDotNetSDK"), c.expectedLines);
    const std::vector<MessageBoxCall> box = {{kInstallSdkLater, "Warning", kWarning}};
    EXPECT_EQ(outcome.messageBoxes, c.boxShown ? box : std::vector<MessageBoxCall>());
}

INSTANTIATE_TEST_SUITE_P(Cases, CheckDotNetSdkInEngine, ::testing::ValuesIn(kSdkCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- SetDotNetDirProp ---------------------------------------------------------------------------

struct SetupCase {
    const char* name;
    bool sdkFound;                       // DOTNETSDK_PATH set in the package
    std::vector<engine::FileSeed> media;  // beside C:\Media\Disk1
    std::string setupPath;               // DOTNETSDK_SETUP_PATH afterwards
    std::string setupLine;               // the action's last line
};

void PrintTo(const SetupCase& c, std::ostream* out) { *out << c.name; }

const std::string kNoSetup = std::string("INSTALL_DOTNET set; no file ") + quoted(common::kSdkSetup) +
                             ": DOTNETSDK_SETUP_PATH removed";

const SetupCase kSetupCases[] = {
    {"SetupBesideTheSource", true, {{common::kSdkSetup, "the SDK's setup program"}}, common::kSdkSetup,
     std::string("INSTALL_DOTNET set; DOTNETSDK_SETUP_PATH set to ") + quoted(common::kSdkSetup)},
    // The SDK's absence is told in a box; the case runs at /qb, where Wine traces it.
    {"NoSetupAndNoSdk", false, {}, "", kNoSetup},
    // A folder by that name is no program to run.
    {"FolderNamedSetupExe", true, {{std::string(common::kSdkSetup) + "\\inside.txt", "a folder's file"}}, "",
     kNoSetup},
};

class SetDotNetDirPropInEngine : public EngineTest, public ::testing::WithParamInterface<SetupCase> {};

// The action resolves the source itself; the SDK's setup program is taken from the folder beside
// the source's only when it is a file there, and a missing SDK is told in a box at /qb.
TEST_P(SetDotNetDirPropInEngine, PointsAtTheSdkSetupBesideTheSourceFolder) {
    const SetupCase& c = GetParam();
    Engine& engine = Engine::shared();
    engine::Scenario scenario = common::setDotNetDirProp(engine, c.sdkFound);
    scenario.files = c.media;
    scenario.uiLevel = UiLevel::Basic;
    scenario.traceMessageBoxes = true;
    const Outcome outcome = engine.run(scenario);
    // Before the action SourceDir is unset: only the action's own ResolveSource sets it.
    ASSERT_EQ(outcome.before().property("SourceDir"), "");
    ASSERT_EQ(outcome.before().property("DOTNETSDK_PATH"), c.sdkFound ? common::kSdkFolder : "");
    EXPECT_EQ(outcome.after().property("SourceDir"), std::string(common::kMediaSource) + "\\") << outcome.log();
    EXPECT_EQ(outcome.after().property("INSTALL_DOTNET"), "1");
    EXPECT_EQ(outcome.after().property("DOTNETSDK_SETUP_PATH"), c.setupPath);

    std::vector<std::string> expected;
    if (c.sdkFound) {
        expected.push_back("DOTNETSDK_PATH is set: the SDK is there");
        EXPECT_TRUE(outcome.messageBoxes.empty());
    } else {
        expected.push_back("DOTNETSDK_PATH not set: the SDK is missing");
        expected.push_back("box \"Program not found\" " + quoted(kSdkRequired) + " shown; answer none (-1)");
        EXPECT_EQ(outcome.messageBoxes,
                  (std::vector<MessageBoxCall>{{kSdkRequired, "Program not found", kTopmostWarning}}));
    }
    expected.push_back(c.setupLine);
    EXPECT_EQ(lines(outcome, "SetDotNetDirProp"), expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SetDotNetDirPropInEngine, ::testing::ValuesIn(kSetupCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- ShowDotNetRequiredMsg ----------------------------------------------------------------------

struct UiCase {
    const char* name;
    UiLevel uiLevel;
};

void PrintTo(const UiCase& c, std::ostream* out) { *out << c.name; }

class ShowDotNetRequiredMsgInEngine : public EngineTest, public ::testing::WithParamInterface<UiCase> {};

// The one box of the action, shown at /qb and only logged at /qn.
TEST_P(ShowDotNetRequiredMsgInEngine, ShowsItsWarningUnlessSilent) {
    const bool basic = GetParam().uiLevel == UiLevel::Basic;
    Engine& engine = Engine::shared();
    const Outcome outcome = engine.run(common::showDotNetRequired(engine, GetParam().uiLevel));
    ASSERT_EQ(outcome.before().property("UILevel"), basic ? "3" : "2");
    const std::string box = "box \"Warning\" " + quoted(kSdkRequired);
    const std::string answer = basic ? " shown; answer none (-1)" : " not shown: silent installation; answer none";
    EXPECT_EQ(lines(outcome, "ShowDotNetRequiredMsg"), std::vector<std::string>{box + answer}) << outcome.log();
    const std::vector<MessageBoxCall> shown = {{kSdkRequired, "Warning", kTopmostWarning}};
    EXPECT_EQ(outcome.messageBoxes, basic ? shown : std::vector<MessageBoxCall>());
}

INSTANTIATE_TEST_SUITE_P(Cases, ShowDotNetRequiredMsgInEngine,
                         ::testing::Values(UiCase{"BasicUi", UiLevel::Basic}, UiCase{"Silent", UiLevel::None}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
