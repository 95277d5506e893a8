// The SQL driver dialog's five slots, each with its family and two driver choices.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cases.h"
#include "orvdialog_run.h"

namespace {

TEST(SetupSQLConfigDialog, FillsTheFiveDriverSlots) {
    sim::Machine machine;
    machine.session.properties = {{"SQLConfig_Driver_1", "new"}, {"SQL_INSTALL_DB2", "0"}};
    const Properties expected = {
        {"Enable_SQLConfig_1", "1"}, {"SQLConfig_DrvName_1", "MS Access"},
        {"SQLConfig_1_Text_1", "DAO 3.5 (MS Access 97) Driver"}, {"SQLConfig_1_Text_2", "DAO 3.0 (MS Access 95) Driver"},
        {"Enable_SQLConfig_2", "1"}, {"SQLConfig_DrvName_2", "DB2"},
        {"SQLConfig_2_Text_1", "DB2 UDB Driver"}, {"SQLConfig_2_Text_2", "DB2 Version 2.x Driver"},
        {"Enable_SQLConfig_3", "1"}, {"SQLConfig_DrvName_3", "Informix"},
        {"SQLConfig_3_Text_1", "Informix 9 Driver"}, {"SQLConfig_3_Text_2", "Informix 7 Driver"},
        {"Enable_SQLConfig_4", "1"}, {"SQLConfig_DrvName_4", "Oracle"},
        {"SQLConfig_4_Text_1", "Oracle 8 Driver"}, {"SQLConfig_4_Text_2", "Oracle 7 Driver"},
        {"Enable_SQLConfig_5", "1"}, {"SQLConfig_DrvName_5", "Sybase"},
        {"SQLConfig_5_Text_1", "CT Library Driver"}, {"SQLConfig_5_Text_2", "DB Library Driver"},
        {"SQLConfig_Driver_1", "new"},  // the user's choice survives
    };
    for (int pass = 1; pass <= 2; ++pass) {
        SCOPED_TRACE("run " + std::to_string(pass));
        EXPECT_EQ(run(machine, "SetupSQLConfigDialog"), orv::kSuccess);
        EXPECT_EQ(withPrefixes(machine, {"Enable_SQLConfig_", "SQLConfig_"}), expected);
    }
    EXPECT_EQ(machine.session.property("SQL_INSTALL_DB2"), "0");
}

// The five flags are removed first, then each slot is written whole before the next: the
// dialog's conditions see no half-filled slot, and the run says so in one line.
TEST(SetupSQLConfigDialog, RemovesTheFlagsFirstThenWritesSlotBySlot) {
    sim::Machine machine;
    run(machine, "SetupSQLConfigDialog");

    std::vector<sim::PropertyWrite> expected;
    for (int n = 1; n <= 5; ++n) expected.push_back({"Enable_SQLConfig_" + std::to_string(n), std::nullopt});
    const std::uint32_t ids[5][3] = {{119, 120, 121}, {122, 123, 124}, {125, 127, 126}, {128, 129, 130}, {131, 132, 133}};
    for (int n = 1; n <= 5; ++n) {
        const std::string slot = std::to_string(n);
        expected.push_back({"Enable_SQLConfig_" + slot, "1"});
        expected.push_back({"SQLConfig_DrvName_" + slot, text(ids[n - 1][0])});
        expected.push_back({"SQLConfig_" + slot + "_Text_1", text(ids[n - 1][1])});
        expected.push_back({"SQLConfig_" + slot + "_Text_2", text(ids[n - 1][2])});
    }
    EXPECT_EQ(machine.session.propertyWrites, expected);
    EXPECT_EQ(logOf(machine, "OrvDialog.SetupSQLConfigDialog: "),
              (std::vector<std::string>{"five driver slots shown: MS Access, DB2, Informix, Oracle, Sybase"}));
}

}  // namespace
