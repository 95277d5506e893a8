// The local shared root under the product key, and the database engine's Access driver library.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "cases.h"
#include "orvregistry_run.h"

namespace {

constexpr const char* kProductKey = "Software\\Orvanta\\Quillon\\7.0";
constexpr const char* kAccessDriver = "Software\\Orvanta\\Database Engine\\Settings\\DRIVERS\\MSACCESS\\INIT";

struct RootCase {
    const char* situation;
    Properties properties;
    bool refuseKey;
    std::optional<std::string> written;  // LocalSharedRoot afterwards; nullopt: none
};

class SetLocalSharedRoot : public ::testing::TestWithParam<RootCase> {};

TEST_P(SetLocalSharedRoot, RecordsTheSharedFolderWithoutItsBackslash) {
    const RootCase& c = GetParam();
    sim::Machine machine;
    machine.session.properties = c.properties;
    if (c.refuseKey) machine.fail(sim::Op::RegCreateKey, kProductKey, orv::kErrorAccessDenied);

    EXPECT_EQ(run(machine, "SetLocalSharedRoot"), orv::kSuccess);

    EXPECT_EQ(machine.hklm.string(kProductKey, "LocalSharedRoot"), c.written);
    EXPECT_EQ(machine.openKeys(), 0u);
}

const Properties kProduct = {{"REG_PRODUCT", "Quillon"}, {"REG_VERSION", "7.0"}};

Properties product(Properties more) {
    more.insert(kProduct.begin(), kProduct.end());
    return more;
}

INSTANTIATE_TEST_SUITE_P(
    OrvRegistry, SetLocalSharedRoot,
    ::testing::Values(
        RootCase{"a new product key", product({{"SHARED_FILES_DIR", "C:\\Shared\\"}}), false, "C:\\Shared"},
        RootCase{"a folder without a backslash", product({{"SHARED_FILES_DIR", "C:\\Shared"}}), false, "C:\\Shared"},
        RootCase{"an empty folder", kProduct, false, ""},
        RootCase{"the product key refused", product({{"SHARED_FILES_DIR", "C:\\Shared\\"}}), true, std::nullopt},
        // An unreadable folder is not recorded as an empty one.
        RootCase{"a folder too long to read", product({{"SHARED_FILES_DIR", std::string(260, 's')}}), false,
                 std::nullopt},
        RootCase{"no version", {{"REG_PRODUCT", "Quillon"}, {"SHARED_FILES_DIR", "C:\\S\\"}}, false, std::nullopt}),
    NamedBySituation());

TEST(SetLocalSharedRootRefusals, ARefusedWriteIsPassedOver) {
    sim::Machine machine;
    machine.session.properties = product({{"SHARED_FILES_DIR", "C:\\Shared\\"}});
    machine.fail(sim::Op::RegSetValue, kProductKey, orv::kErrorAccessDenied);
    EXPECT_EQ(run(machine, "SetLocalSharedRoot"), orv::kSuccess);
    EXPECT_EQ(logOf(machine, "OrvRegistry.SetLocalSharedRoot: "),
              (std::vector<std::string>{"LocalSharedRoot cannot be written under \"Software\\Orvanta\\Quillon\\7.0\""}));
}

struct DriverCase {
    const char* situation;
    Properties properties;
    bool driverKey;  // the engine has configured its Access driver
    std::optional<std::string> dll32;
};

class ResetKRNAccessDriver : public ::testing::TestWithParam<DriverCase> {};

TEST_P(ResetKRNAccessDriver, PointsTheAccessDriverAtTheNewLibraryWhenChosen) {
    const DriverCase& c = GetParam();
    sim::Machine machine;
    machine.session.properties = c.properties;
    if (c.driverKey) machine.hklm.setString(kAccessDriver, "DLL32", "OLDAC32.DLL");

    EXPECT_EQ(run(machine, "ResetKRNAccessDriver"), orv::kSuccess);

    EXPECT_EQ(machine.hklm.string(kAccessDriver, "DLL32"), c.dll32);
    EXPECT_EQ(machine.hklm.exists(kAccessDriver), c.driverKey);
    EXPECT_EQ(machine.openKeys(), 0u);
}

Properties choice(const char* family, const char* driver) {
    return {{"SQLConfig_DrvName_1", family}, {"SQLConfig_Driver_1", driver}};
}

INSTANTIATE_TEST_SUITE_P(
    OrvRegistry, ResetKRNAccessDriver,
    ::testing::Values(
        DriverCase{"the new driver chosen", choice("MS Access", "new"), true, "NXAC4032.DLL"},
        DriverCase{"family and choice in other letter case", choice("ms ACCESS", "NEW"), true, "NXAC4032.DLL"},
        DriverCase{"a longer family name", choice("MS Access 97", "new"), true, "OLDAC32.DLL"},
        DriverCase{"a shorter family name", choice("MS Acces", "new"), true, "OLDAC32.DLL"},
        DriverCase{"another choice", choice("MS Access", "old"), true, "OLDAC32.DLL"},
        DriverCase{"a choice that only starts with new", choice("MS Access", "newer"), true, "OLDAC32.DLL"},
        DriverCase{"no choice", {{"SQLConfig_DrvName_1", "MS Access"}}, true, "OLDAC32.DLL"},
        DriverCase{"no family", {{"SQLConfig_Driver_1", "new"}}, true, "OLDAC32.DLL"},
        DriverCase{"the engine not configured", choice("MS Access", "new"), false, std::nullopt}),
    NamedBySituation());

TEST(ResetKRNAccessDriverLog, SaysWhyTheDriverIsOrIsNotChanged) {
    sim::Machine machine;
    machine.session.properties = choice("MS Access", "new");
    machine.hklm.setString(kAccessDriver, "DLL32", "OLDAC32.DLL");
    run(machine, "ResetKRNAccessDriver");
    EXPECT_EQ(logOf(machine, "OrvRegistry.ResetKRNAccessDriver: "),
              (std::vector<std::string>{"the new Access driver chosen: DLL32 set to \"NXAC4032.DLL\""}));

    sim::Machine other;
    other.session.properties = choice("DB2", "new");
    run(other, "ResetKRNAccessDriver");
    EXPECT_EQ(logOf(other, "OrvRegistry.ResetKRNAccessDriver: "),
              (std::vector<std::string>{"slot 1 holds \"DB2\", not the Access family: DLL32 left as it is"}));
}

}  // namespace
