// The .NET Framework and SDK found in the registry and handed on, the warnings when the SDK is
// missing, and the SDK's setup program beside the installation's source folder.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "cases.h"
#include "orvcommon_run.h"

namespace {

constexpr const char* kFrameworkKey = "SOFTWARE\\Microsoft\\.NETFramework";
const std::string kSdk = "C:\\Program Files\\Microsoft.NET\\FrameworkSDK\\";
const std::string kFramework = "C:\\WINNT\\Microsoft.NET\\Framework";

std::optional<std::string> propertyOf(const sim::Machine& machine, const char* name) {
    if (!machine.session.hasProperty(name)) return std::nullopt;
    return machine.session.property(name);
}

struct SdkCase {
    const char* situation;
    void (*seed)(sim::Machine&);
    std::optional<std::string> framework;  // DOTNETFRAMEWORK_PATH afterwards
    std::optional<std::string> sdk;        // DOTNETSDK_PATH afterwards
    bool warned;
};

class CheckDotNetSDK : public ::testing::TestWithParam<SdkCase> {};

TEST_P(CheckDotNetSDK, PublishesWhatItReadsAndWarnsWithoutAnSdk) {
    const SdkCase& c = GetParam();
    sim::Machine machine;
    c.seed(machine);

    EXPECT_EQ(run(machine, "CheckDotNetSDK"), orv::kSuccess);

    EXPECT_EQ(propertyOf(machine, "DOTNETFRAMEWORK_PATH"), c.framework);
    EXPECT_EQ(propertyOf(machine, "DOTNETSDK_PATH"), c.sdk);
    const std::vector<sim::MessageBoxShown> warning = {{text(179), "Warning", 0x30}};
    EXPECT_EQ(machine.desktop.messageBoxes, c.warned ? warning : std::vector<sim::MessageBoxShown>{});
    EXPECT_EQ(machine.openKeys(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    OrvCommon, CheckDotNetSDK,
    ::testing::Values(
        SdkCase{"both registered",
                [](sim::Machine& m) {
                    m.hklm.setString(kFrameworkKey, "sdkInstallRoot", kSdk);
                    m.hklm.setString(kFrameworkKey, "InstallRoot", kFramework);
                },
                kFramework, kSdk, false},
        SdkCase{"framework without SDK", [](sim::Machine& m) { m.hklm.setString(kFrameworkKey, "InstallRoot", kFramework); },
                kFramework, std::nullopt, true},
        SdkCase{"SDK without framework", [](sim::Machine& m) { m.hklm.setString(kFrameworkKey, "sdkInstallRoot", kSdk); },
                std::nullopt, kSdk, false},
        SdkCase{"no framework key", [](sim::Machine& m) { m.hklm.setString("SOFTWARE\\Microsoft", "InstallRoot", kFramework); },
                std::nullopt, std::nullopt, true},
        SdkCase{"empty values count as none",
                [](sim::Machine& m) {
                    m.hklm.setString(kFrameworkKey, "sdkInstallRoot", "");
                    m.hklm.setString(kFrameworkKey, "InstallRoot", "");
                },
                std::nullopt, std::nullopt, true},
        SdkCase{"expandable strings read as they are",
                [](sim::Machine& m) {
                    m.hklm.setValue(kFrameworkKey, "sdkInstallRoot", orv::kRegExpandSz, std::string("%SDK%\\", 7));
                    m.hklm.setValue(kFrameworkKey, "InstallRoot", orv::kRegExpandSz, std::string("%WINDIR%\\NET", 13));
                },
                "%WINDIR%\\NET", "%SDK%\\", false},
        SdkCase{"SDK stored as a number stops both reads",
                [](sim::Machine& m) {
                    m.hklm.setDword(kFrameworkKey, "sdkInstallRoot", 1);
                    m.hklm.setString(kFrameworkKey, "InstallRoot", kFramework);
                },
                std::nullopt, std::nullopt, true},
        SdkCase{"framework stored as a number keeps the SDK",
                [](sim::Machine& m) {
                    m.hklm.setString(kFrameworkKey, "sdkInstallRoot", kSdk);
                    m.hklm.setDword(kFrameworkKey, "InstallRoot", 1);
                },
                std::nullopt, kSdk, false},
        SdkCase{"an unreadable SDK value stops both reads",
                [](sim::Machine& m) {
                    m.hklm.setString(kFrameworkKey, "sdkInstallRoot", kSdk);
                    m.hklm.setString(kFrameworkKey, "InstallRoot", kFramework);
                    m.fail(sim::Op::RegQueryValue, kFrameworkKey, orv::kErrorAccessDenied);
                },
                std::nullopt, std::nullopt, true},
        SdkCase{"folders given on the command line stay when none is registered",
                [](sim::Machine& m) {
                    m.session.properties = {{"DOTNETFRAMEWORK_PATH", "D:\\Fw\\"}, {"DOTNETSDK_PATH", "D:\\Sdk\\"}};
                },
                "D:\\Fw\\", "D:\\Sdk\\", true}),
    NamedBySituation());

TEST(CheckDotNetSDKLog, SaysWhatWasFoundAndSet) {
    sim::Machine machine;
    machine.hklm.setString(kFrameworkKey, "InstallRoot", kFramework);
    machine.hklm.setDword(kFrameworkKey, "sdkInstallRoot", 1);
    run(machine, "CheckDotNetSDK");
    EXPECT_EQ(logOf(machine, "OrvCommon.CheckDotNetSDK: "),
              (std::vector<std::string>{
                  "Invalid data type for 'sdkInstallRoot' under 'SOFTWARE\\Microsoft\\.NETFramework'; the reads stop there",
                  "no framework folder registered: DOTNETFRAMEWORK_PATH not set",
                  "no SDK folder registered: DOTNETSDK_PATH not set",
                  "box \"Warning\" \"" + text(179) + "\" shown; answer none (0)"}));

    sim::Machine found;
    found.hklm.setString(kFrameworkKey, "InstallRoot", kFramework);
    found.hklm.setString(kFrameworkKey, "sdkInstallRoot", kSdk);
    run(found, "CheckDotNetSDK");
    EXPECT_EQ(logOf(found, "OrvCommon.CheckDotNetSDK: "),
              (std::vector<std::string>{"DOTNETFRAMEWORK_PATH set to \"" + kFramework + "\"",
                                        "DOTNETSDK_PATH set to \"" + kSdk + "\""}));
}

struct SetupCase {
    const char* situation;
    std::string source;  // what ResolveSource puts into SourceDir
    void (*seed)(sim::Machine&);
    std::optional<std::string> setup;  // DOTNETSDK_SETUP_PATH afterwards; nullopt: removed
};

void installMedia(sim::Machine& m) {
    m.files.addDrive('D');
    m.files.addFile("D:\\Install\\dotnetsdk\\setup.exe");
    m.files.addFile("D:\\dotnetsdk\\setup.exe");
}

class SetDotNetDirPropSetup : public ::testing::TestWithParam<SetupCase> {};

// The program is looked for in the source folder's parent, and only an existing file is taken.
TEST_P(SetDotNetDirPropSetup, FindsTheSetupProgramBesideTheSourceFolder) {
    const SetupCase& c = GetParam();
    sim::Machine machine;
    machine.session.properties = {{"DOTNETSDK_PATH", kSdk}, {"SourceDir", "E:\\Stale\\"},
                                  {"DOTNETSDK_SETUP_PATH", "E:\\dotnetsdk\\setup.exe"}};
    machine.session.resolvedSource = c.source;
    c.seed(machine);

    EXPECT_EQ(run(machine, "SetDotNetDirProp"), orv::kSuccess);

    EXPECT_EQ(machine.session.actionsRun, std::vector<std::string>{"ResolveSource"});
    EXPECT_EQ(propertyOf(machine, "DOTNETSDK_SETUP_PATH"), c.setup);
    EXPECT_EQ(machine.session.property("INSTALL_DOTNET"), "1");
    EXPECT_TRUE(machine.desktop.messageBoxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    OrvCommon, SetDotNetDirPropSetup,
    ::testing::Values(
        SetupCase{"source in a subfolder", "D:\\Install\\Disk1\\", installMedia, "D:\\Install\\dotnetsdk\\setup.exe"},
        SetupCase{"source without its backslash", "D:\\Install\\Disk1", installMedia, "D:\\Install\\dotnetsdk\\setup.exe"},
        SetupCase{"source one level down", "D:\\Install\\", installMedia, "D:\\dotnetsdk\\setup.exe"},
        SetupCase{"source at the root of a drive", "D:\\", installMedia, "D:\\dotnetsdk\\setup.exe"},
        SetupCase{"no setup program beside it", "D:\\Other\\Disk1\\", installMedia, std::nullopt},
        SetupCase{"a folder named setup.exe",
                  "D:\\Media\\Disk1\\",
                  [](sim::Machine& m) {
                      m.files.addDrive('D');
                      m.files.addFolder("D:\\Media\\dotnetsdk\\setup.exe");
                  },
                  std::nullopt},
        // A relative source would test a file below wherever msiexec runs.
        SetupCase{"relative source", "Install\\Disk1\\",
                  [](sim::Machine& m) { m.files.addFile("C:\\Install\\dotnetsdk\\setup.exe"); }, std::nullopt},
        SetupCase{"source too long to read", "D:\\Install\\" + std::string(250, 'd') + "\\", installMedia,
                  std::nullopt}),
    NamedBySituation());

// An empty source, which ResolveSource left unset, must not test a path of the current folder.
TEST(SetDotNetDirPropSource, AnUnsetSourceRemovesThePath) {
    sim::Machine machine;
    machine.session.properties = {{"DOTNETSDK_PATH", kSdk}, {"DOTNETSDK_SETUP_PATH", "C:\\dotnetsdk\\setup.exe"}};
    machine.files.addFile("C:\\dotnetsdk\\setup.exe");
    machine.files.addFile("C:\\Windows\\dotnetsdk\\setup.exe");
    machine.files.currentFolder = "C:\\Windows\\System32";
    EXPECT_EQ(run(machine, "SetDotNetDirProp"), orv::kSuccess);
    EXPECT_FALSE(machine.session.hasProperty("DOTNETSDK_SETUP_PATH"));
    EXPECT_EQ(logOf(machine, "OrvCommon.SetDotNetDirProp: ").back(),
              "INSTALL_DOTNET set; SourceDir \"\" is not a full path: DOTNETSDK_SETUP_PATH removed");
}

struct SdkWarningCase {
    const char* situation;
    Properties properties;
    bool warned;
};

class SetDotNetDirPropWarning : public ::testing::TestWithParam<SdkWarningCase> {};

// Only a missing SDK folder is warned about, and INSTALL_DOTNET is set whatever was found.
TEST_P(SetDotNetDirPropWarning, WarnsWhenNoSdkWasFound) {
    const SdkWarningCase& c = GetParam();
    sim::Machine machine;
    machine.session.properties = c.properties;
    machine.session.resolvedSource = "D:\\Install\\Disk1\\";
    installMedia(machine);

    EXPECT_EQ(run(machine, "SetDotNetDirProp"), orv::kSuccess);

    const std::vector<sim::MessageBoxShown> warning = {{text(178), "Program not found", 0x40030}};
    EXPECT_EQ(machine.desktop.messageBoxes, c.warned ? warning : std::vector<sim::MessageBoxShown>{});
    EXPECT_EQ(machine.session.property("INSTALL_DOTNET"), "1");
    EXPECT_EQ(machine.session.property("DOTNETSDK_SETUP_PATH"), "D:\\Install\\dotnetsdk\\setup.exe");
}

INSTANTIATE_TEST_SUITE_P(
    OrvCommon, SetDotNetDirPropWarning,
    ::testing::Values(SdkWarningCase{"SDK folder known", {{"DOTNETSDK_PATH", kSdk}}, false},
                      SdkWarningCase{"SDK folder unknown", {}, true},
                      SdkWarningCase{"SDK folder too long for the buffer", {{"DOTNETSDK_PATH", "C:\\" + std::string(300, 's')}}, false},
                      SdkWarningCase{"INSTALL_DOTNET set before", {{"INSTALL_DOTNET", "0"}}, true}),
    NamedBySituation());

TEST(SetDotNetDirPropLog, SaysWhatWasFound) {
    sim::Machine machine;
    machine.session.resolvedSource = "D:\\Install\\Disk1\\";
    installMedia(machine);
    machine.session.properties["UILevel"] = "2";
    run(machine, "SetDotNetDirProp");
    EXPECT_TRUE(machine.desktop.messageBoxes.empty());
    EXPECT_EQ(logOf(machine, "OrvCommon.SetDotNetDirProp: "),
              (std::vector<std::string>{
                  "DOTNETSDK_PATH not set: the SDK is missing",
                  "box \"Program not found\" \"" + text(178) + "\" not shown: silent installation; answer none",
                  "INSTALL_DOTNET set; DOTNETSDK_SETUP_PATH set to \"D:\\Install\\dotnetsdk\\setup.exe\""}));
}

// The one box of ShowDotNetRequiredMsg, and none in a silent installation.
TEST(ShowDotNetRequiredMsg, ShowsTheSdkWarningUnlessSilent) {
    for (const char* level : {"5", "2"}) {
        SCOPED_TRACE(level);
        sim::Machine machine;
        machine.session.properties["UILevel"] = level;
        EXPECT_EQ(run(machine, "ShowDotNetRequiredMsg"), orv::kSuccess);
        const std::vector<sim::MessageBoxShown> warning = {{text(178), "Warning", 0x40030}};
        EXPECT_EQ(machine.desktop.messageBoxes, std::string(level) == "5" ? warning : std::vector<sim::MessageBoxShown>{});
        EXPECT_TRUE(machine.session.propertyWrites.empty());
    }
}

}  // namespace
