// The shared-files decision recorded as property and registry value, and the engine's folder
// handed to its merge module.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cases.h"
#include "orvdialog_run.h"

namespace {

constexpr const char* kSharedRoot = "Software\\Orvanta\\Orvanta Shared";
constexpr const char* kProductKey = "Software\\Orvanta\\Quillon\\7.0";

struct SharedCase {
    const char* situation;
    std::optional<std::string> registered;  // SharedFilesDir; nullopt: no shared root at all
    const char* chosen;
    bool useShared;
};

class SetUseSharedFlag : public ::testing::TestWithParam<SharedCase> {};

TEST_P(SetUseSharedFlag, UsesTheRegisteredFolderWhenChosenOrFirst) {
    const SharedCase& c = GetParam();
    sim::Machine machine;
    machine.session.properties = {{"REG_PRODUCT", "Quillon"}, {"REG_VERSION", "7.0"}, {"USE_ORVSHARED", "1"}};
    if (*c.chosen) machine.session.properties["SHARED_FILES_DIR"] = c.chosen;
    if (c.registered) {
        machine.hklm.ensure(kSharedRoot);
        if (!c.registered->empty()) machine.hklm.setString(kSharedRoot, "SharedFilesDir", *c.registered);
    }

    EXPECT_EQ(run(machine, "SetUseSharedFlag"), orv::kSuccess);

    EXPECT_EQ(machine.session.hasProperty("USE_ORVSHARED"), c.useShared);
    if (c.useShared) {
        EXPECT_EQ(machine.session.property("USE_ORVSHARED"), "1");
    }
    EXPECT_EQ(machine.hklm.string(kProductKey, "UseSharedFiles"), c.useShared ? "TRUE" : "FALSE");
    EXPECT_EQ(machine.openKeys(), 0u);
}

const std::string kCommon = "C:\\Program Files\\Common Files\\Orvanta Shared";

INSTANTIATE_TEST_SUITE_P(
    OrvDialog, SetUseSharedFlag,
    ::testing::Values(
        SharedCase{"first Orvanta installation", std::nullopt, "D:\\Anywhere\\", true},
        SharedCase{"same folder, registered with a backslash", kCommon + "\\", "C:\\Program Files\\Common Files\\Orvanta Shared", true},
        SharedCase{"same folder, chosen with a backslash", kCommon, "C:\\Program Files\\Common Files\\Orvanta Shared\\", true},
        SharedCase{"same folder in other letter case", kCommon, "c:\\PROGRAM FILES\\common files\\orvanta shared\\", true},
        SharedCase{"accented letters compare by the locale", "C:\\\xC9t\xE9", "C:\\\xE9T\xC9\\", true},
        SharedCase{"another folder", kCommon, "D:\\Shared\\", false},
        SharedCase{"root without a registered folder", "", "D:\\Shared\\", false},
        SharedCase{"root without a registered folder, none chosen", "", "", true},
        SharedCase{"two backslashes keep one", kCommon, "C:\\Program Files\\Common Files\\Orvanta Shared\\\\", false}),
    NamedBySituation());

TEST(SetUseSharedFlagFailures, UnreadableRegisteredFolderCountsAsNone) {
    sim::Machine machine;
    machine.session.properties = {{"REG_PRODUCT", "Quillon"}, {"REG_VERSION", "7.0"}, {"SHARED_FILES_DIR", "C:\\S\\"}};
    machine.hklm.setDword(kSharedRoot, "SharedFilesDir", 1);
    EXPECT_EQ(run(machine, "SetUseSharedFlag"), orv::kSuccess);
    EXPECT_FALSE(machine.session.hasProperty("USE_ORVSHARED"));
    EXPECT_EQ(machine.hklm.string(kProductKey, "UseSharedFiles"), "FALSE");
}

// Without a product key to record it in, the decision is not made at all.
TEST(SetUseSharedFlagFailures, NothingIsDecidedWithoutAProductKeyOrAChosenFolder) {
    struct Case {
        const char* situation;
        Properties properties;
        bool refuseProductKey;
    };
    const Case cases[] = {
        {"product key refused", {{"REG_PRODUCT", "Quillon"}, {"REG_VERSION", "7.0"}}, true},
        {"no product name", {{"REG_VERSION", "7.0"}}, false},
        {"no version", {{"REG_PRODUCT", "Quillon"}}, false},
        {"chosen folder too long to read",
         {{"REG_PRODUCT", "Quillon"}, {"REG_VERSION", "7.0"}, {"SHARED_FILES_DIR", std::string(260, 's')}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.situation);
        sim::Machine machine;
        machine.session.properties = c.properties;
        if (c.refuseProductKey) machine.fail(sim::Op::RegCreateKey, kProductKey, orv::kErrorAccessDenied);
        const Properties before = machine.session.properties;

        EXPECT_EQ(run(machine, "SetUseSharedFlag"), orv::kSuccess);

        EXPECT_EQ(machine.session.properties, before);
        EXPECT_FALSE(machine.hklm.exists("Software\\Orvanta\\Quillon"));
        EXPECT_FALSE(machine.hklm.exists("Software\\Orvanta\\7.0"));
        EXPECT_EQ(machine.openKeys(), 0u);
    }
}

TEST(SetUseSharedFlagFailures, ARefusedRegistryWriteStillSetsTheProperty) {
    sim::Machine machine;
    machine.session.properties = {{"REG_PRODUCT", "Quillon"}, {"REG_VERSION", "7.0"}, {"SHARED_FILES_DIR", "C:\\S\\"}};
    machine.fail(sim::Op::RegSetValue, kProductKey, orv::kErrorAccessDenied);
    EXPECT_EQ(run(machine, "SetUseSharedFlag"), orv::kSuccess);
    EXPECT_EQ(machine.session.property("USE_ORVSHARED"), "1");
    EXPECT_FALSE(machine.hklm.value(kProductKey, "UseSharedFiles"));
    EXPECT_EQ(logOf(machine, "OrvDialog.SetUseSharedFlag: ").back(),
              "USE_ORVSHARED set; UseSharedFiles could not be written under \"Software\\Orvanta\\Quillon\\7.0\"");
}

// The log names both folders and the decision; a hidden folder property keeps its value out.
TEST(SetUseSharedFlagLog, NamesTheFoldersAndTheDecision) {
    sim::Machine machine;
    machine.session.properties = {{"REG_PRODUCT", "Quillon"}, {"REG_VERSION", "7.0"}, {"SHARED_FILES_DIR", "D:\\S\\"}};
    machine.hklm.setString(kSharedRoot, "SharedFilesDir", "C:\\Shared");
    run(machine, "SetUseSharedFlag");
    EXPECT_EQ(logOf(machine, "OrvDialog.SetUseSharedFlag: "),
              (std::vector<std::string>{"chosen \"D:\\S\", registered \"C:\\Shared\": another folder",
                                        "USE_ORVSHARED removed; UseSharedFiles FALSE under "
                                        "\"Software\\Orvanta\\Quillon\\7.0\""}));

    sim::Machine hidden;
    hidden.session.properties = {{"REG_PRODUCT", "Quillon"}, {"REG_VERSION", "7.0"}, {"SHARED_FILES_DIR", "D:\\S\\"},
                                 {"MsiHiddenProperties", "SHARED_FILES_DIR"}};
    run(hidden, "SetUseSharedFlag");
    EXPECT_EQ(logOf(hidden, "OrvDialog.SetUseSharedFlag: ").front(),
              "no shared folder registered yet: this installation starts it at **********");
    EXPECT_FALSE(logged(hidden, "D:\\S"));
}

TEST(SetKRNPath, HandsTheEngineFolderToItsMergeModule) {
    const char* kModuleFolder = "KRN_INSTALL_PATH.E966F0CB_76B3_11D3_945B_00C04FB1760A";
    sim::Machine machine;
    machine.session.properties["OSKRN"] = "C:\\Program Files\\KRN\\";
    EXPECT_EQ(run(machine, "SetKRNPath"), orv::kSuccess);
    EXPECT_EQ(machine.session.property(kModuleFolder), "C:\\Program Files\\KRN\\");
    EXPECT_EQ(machine.session.log.back(), std::string("OrvDialog.SetKRNPath: ") + kModuleFolder +
                                              " set to OSKRN \"C:\\Program Files\\KRN\\\"");

    machine.session.properties.erase("OSKRN");
    EXPECT_EQ(run(machine, "SetKRNPath"), orv::kSuccess);
    EXPECT_FALSE(machine.session.hasProperty(kModuleFolder));

    // Never a folder cut short.
    machine.session.properties["OSKRN"] = std::string(260, 'k');
    machine.session.properties[kModuleFolder] = "C:\\KRN\\";
    EXPECT_EQ(run(machine, "SetKRNPath"), orv::kSuccess);
    EXPECT_EQ(machine.session.property(kModuleFolder), "C:\\KRN\\");
    EXPECT_EQ(machine.session.log.back(), "OrvDialog.SetKRNPath: OSKRN cannot be read (result 234): nothing passed on");
}

}  // namespace
