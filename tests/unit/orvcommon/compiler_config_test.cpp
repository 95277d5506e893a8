// The compiler's two configuration files, byte for byte, and one warning for each that fails.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cases.h"
#include "orvcommon_run.h"

namespace {

const std::string kFrameworkCfg = "C:\\Prog\\aspx\\framework\\qccil.cfg";
const std::string kBinCfg = "C:\\Prog\\bin\\qccil.cfg";
const std::string kFrameworkLine = "-u\"C:\\Prog\\aspx\\units\"\r\n";
const std::string kBinLine = "-u\"C:\\Prog\\units\"\r\n";

using FileAfter = std::pair<std::string, std::optional<std::string>>;  // path, contents (nullopt: none)

struct CfgCase {
    const char* situation;
    Properties properties;
    void (*seed)(sim::Machine&);
    std::vector<FileAfter> files;
    std::size_t warnings;
};

void bothFolders(sim::Machine& m) {
    m.files.addFolder("C:\\Prog\\aspx\\framework");
    m.files.addFolder("C:\\Prog\\bin");
}

const Properties kProg = {{"INSTALLDIR", "C:\\Prog\\"}, {"REG_PRODUCT", "Quillon"}};

Properties with(const char* name, const std::string& value) {
    Properties properties = kProg;
    properties[name] = value;
    return properties;
}

class OrvCreateCfg : public ::testing::TestWithParam<CfgCase> {};

TEST_P(OrvCreateCfg, WritesEachFileWholeOrWarnsOnceForIt) {
    const CfgCase& c = GetParam();
    sim::Machine machine;
    machine.session.properties = c.properties;
    c.seed(machine);

    EXPECT_EQ(run(machine, "OrvCreateCfg"), orv::kSuccess);

    for (const auto& [path, contents] : c.files) EXPECT_EQ(machine.files.contents(path), contents) << path;
    const sim::MessageBoxShown warning{text(107), "Warning", 0x40030};
    EXPECT_EQ(machine.desktop.messageBoxes, std::vector<sim::MessageBoxShown>(c.warnings, warning));
    EXPECT_EQ(machine.openFiles(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    OrvCommon, OrvCreateCfg,
    ::testing::Values(
        CfgCase{"both folders present", kProg, bothFolders, {{kFrameworkCfg, kFrameworkLine}, {kBinCfg, kBinLine}}, 0},
        CfgCase{"longer older files replaced whole", kProg,
                [](sim::Machine& m) {
                    m.files.addFile(kFrameworkCfg, "-u\"D:\\Old\\aspx\\units\"\r\n-v\r\n-w\r\n");
                    m.files.addFile(kBinCfg, std::string(500, 'x'));
                },
                {{kFrameworkCfg, kFrameworkLine}, {kBinCfg, kBinLine}}, 0},
        CfgCase{"framework folder missing", kProg, [](sim::Machine& m) { m.files.addFolder("C:\\Prog\\bin"); },
                {{kFrameworkCfg, std::nullopt}, {kBinCfg, kBinLine}}, 1},
        CfgCase{"both folders missing", kProg, [](sim::Machine& m) { m.files.addFolder("C:\\Prog"); },
                {{kFrameworkCfg, std::nullopt}, {kBinCfg, std::nullopt}}, 2},
        CfgCase{"read-only framework file kept", kProg,
                [](sim::Machine& m) {
                    bothFolders(m);
                    m.files.addFile(kFrameworkCfg, "old", orv::kAttrReadOnly);
                },
                {{kFrameworkCfg, "old"}, {kBinCfg, kBinLine}}, 1},
        CfgCase{"spaces in the folder written as they are", with("INSTALLDIR", "C:\\Program Files\\Q 7\\"),
                [](sim::Machine& m) {
                    m.files.addFolder("C:\\Program Files\\Q 7\\aspx\\framework");
                    m.files.addFolder("C:\\Program Files\\Q 7\\bin");
                },
                {{"C:\\Program Files\\Q 7\\aspx\\framework\\qccil.cfg", "-u\"C:\\Program Files\\Q 7\\aspx\\units\"\r\n"},
                 {"C:\\Program Files\\Q 7\\bin\\qccil.cfg", "-u\"C:\\Program Files\\Q 7\\units\"\r\n"}},
                0},
        CfgCase{"folder without its backslash gets one", with("INSTALLDIR", "C:\\Prog"), bothFolders,
                {{kFrameworkCfg, kFrameworkLine}, {kBinCfg, kBinLine}}, 0},
        CfgCase{"REG_PRODUCT unset reads fine", Properties{{"INSTALLDIR", "C:\\Prog\\"}}, bothFolders,
                {{kFrameworkCfg, kFrameworkLine}, {kBinCfg, kBinLine}}, 0},
        CfgCase{"INSTALLDIR too long to read", with("INSTALLDIR", "C:\\" + std::string(257, 'p')), bothFolders,
                {{kFrameworkCfg, std::nullopt}, {kBinCfg, std::nullopt}}, 0},
        CfgCase{"REG_PRODUCT too long to read", with("REG_PRODUCT", std::string(260, 'q')), bothFolders,
                {{kFrameworkCfg, std::nullopt}, {kBinCfg, std::nullopt}}, 0},
        // Relative paths would land below wherever msiexec runs: refused, each file warned about.
        CfgCase{"INSTALLDIR empty", with("INSTALLDIR", ""),
                [](sim::Machine& m) {
                    m.files.currentFolder = "C:\\Prog";
                    bothFolders(m);
                },
                {{kFrameworkCfg, std::nullopt}, {kBinCfg, std::nullopt}}, 2},
        CfgCase{"INSTALLDIR relative", with("INSTALLDIR", "Prog\\"),
                [](sim::Machine& m) {
                    m.files.addFolder("C:\\Prog\\aspx\\framework");
                    m.files.addFolder("C:\\Prog\\bin");
                },
                {{kFrameworkCfg, std::nullopt}, {kBinCfg, std::nullopt}}, 2},
        CfgCase{"a file that cannot be created", kProg,
                [](sim::Machine& m) {
                    bothFolders(m);
                    m.fail(sim::Op::CreateFile, kBinCfg);
                },
                {{kFrameworkCfg, kFrameworkLine}, {kBinCfg, std::nullopt}}, 1},
        CfgCase{"a full disk", kProg,
                [](sim::Machine& m) {
                    bothFolders(m);
                    m.fail(sim::Op::WriteFile, kFrameworkCfg);
                },
                {{kFrameworkCfg, ""}, {kBinCfg, kBinLine}}, 1},
        CfgCase{"a 259-character folder leaves no room for the names", with("INSTALLDIR", "C:\\" + std::string(255, 'p') + "\\"),
                [](sim::Machine& m) { m.files.addFolder("C:\\" + std::string(255, 'p')); }, {}, 2}),
    NamedBySituation());

// Each file's outcome is in the log, and a hidden INSTALLDIR keeps every path out of it.
TEST(OrvCreateCfgLog, NamesEachFileAndItsOutcome) {
    sim::Machine machine;
    machine.session.properties = kProg;
    machine.files.addFolder("C:\\Prog\\bin");
    run(machine, "OrvCreateCfg");
    EXPECT_EQ(logOf(machine, "OrvCommon.OrvCreateCfg: "),
              (std::vector<std::string>{
                  "\"C:\\Prog\\aspx\\framework\\qccil.cfg\" could not be created",
                  "box \"Warning\" \"" + text(107) + "\" shown; answer none (0)",
                  "wrote \"C:\\Prog\\bin\\qccil.cfg\" naming the units in \"C:\\Prog\\units\""}));

    sim::Machine hidden;
    hidden.session.properties = with("MsiHiddenProperties", "INSTALLDIR");
    bothFolders(hidden);
    run(hidden, "OrvCreateCfg");
    EXPECT_FALSE(logged(hidden, "Prog"));
    EXPECT_EQ(hidden.files.contents(kBinCfg), kBinLine);
}

}  // namespace
