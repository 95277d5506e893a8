// The web framework's registration tools started from the IDE's bin folder, and the web
// debugger's search path extended with the framework's folders.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "cases.h"
#include "orvregistry_run.h"

namespace {

constexpr int kMinimisedNoActivate = 7;
constexpr const char* kNetProbe = "Software\\Orvanta\\NetProbe";
const std::string kWebFolders = "$(QUILLON)\\source\\tierweb;$(QUILLON)\\examples\\pagekit\\images";

sim::Machine withShell(const std::string& installDir) {
    sim::Machine machine;
    machine.desktop.libraries["shell32.dll"] = {};
    machine.session.properties["INSTALLDIR"] = installDir;
    return machine;
}

TEST(RegisterLattice, StartsTheThreeRegistrationsMinimisedInTheBinFolder) {
    sim::Machine machine = withShell("C:\\Apps\\Quillon\\");
    EXPECT_EQ(run(machine, "RegisterLattice"), orv::kSuccess);
    const std::string bin = "C:\\Apps\\Quillon\\bin";
    EXPECT_EQ(machine.desktop.programsStarted,
              (std::vector<sim::ProgramStart>{{bin + "\\axreg.exe", "latlib.tlb", bin, kMinimisedNoActivate},
                                              {bin + "\\axreg.exe", "latticescript.tlb", bin, kMinimisedNoActivate},
                                              {bin + "\\hostinfo.exe", "/REGSERVER", bin, kMinimisedNoActivate}}));
    EXPECT_EQ(machine.loadedLibraries(), 0u);
    EXPECT_EQ(logOf(machine, "OrvRegistry.RegisterLattice: ").front(),
              "started \"C:\\Apps\\Quillon\\bin\\axreg.exe\" latlib.tlb in \"C:\\Apps\\Quillon\\bin\"");
}

// A start Windows refuses stops none of the others.
TEST(RegisterLattice, AFailedStartIsPassedOver) {
    sim::Machine machine = withShell("C:\\Q\\");
    machine.fail(sim::Op::ShellExecute, "C:\\Q\\bin\\axreg.exe");
    EXPECT_EQ(run(machine, "RegisterLattice"), orv::kSuccess);
    EXPECT_EQ(machine.desktop.programsStarted.size(), 3u);
    EXPECT_EQ(logOf(machine, "OrvRegistry.RegisterLattice: ").back(),
              "started \"C:\\Q\\bin\\hostinfo.exe\" /REGSERVER in \"C:\\Q\\bin\"");
}

// Without the shell, or without a full bin folder within Windows' path limit, nothing starts:
// a program found relative to msiexec's own folders could be a planted one.
TEST(RegisterLattice, StartsNothingWithoutTheShellOrAFullFolder) {
    struct Case {
        const char* situation;
        void (*seed)(sim::Machine&);
    };
    const Case cases[] = {
        {"no shell library", [](sim::Machine& m) { m.desktop.libraries.clear(); }},
        {"the shell refuses to load", [](sim::Machine& m) { m.fail(sim::Op::LoadLibrary, "shell32.dll"); }},
        {"no INSTALLDIR", [](sim::Machine& m) { m.session.properties.erase("INSTALLDIR"); }},
        {"a relative INSTALLDIR", [](sim::Machine& m) { m.session.properties["INSTALLDIR"] = "Quillon\\"; }},
        {"an INSTALLDIR too long to read",
         [](sim::Machine& m) { m.session.properties["INSTALLDIR"] = "C:\\" + std::string(257, 'q'); }},
        // The bin folder and axreg.exe fit, hostinfo.exe does not.
        {"an INSTALLDIR too long for hostinfo.exe",
         [](sim::Machine& m) { m.session.properties["INSTALLDIR"] = "C:\\" + std::string(240, 'q') + "\\"; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.situation);
        sim::Machine machine = withShell("C:\\Q\\");
        c.seed(machine);
        EXPECT_EQ(run(machine, "RegisterLattice"), orv::kSuccess);
        EXPECT_TRUE(machine.desktop.programsStarted.empty());
        EXPECT_EQ(machine.loadedLibraries(), 0u);
    }
}

TEST(RegisterLattice, TheLongestFolderThatFitsStartsAll) {
    const std::string installDir = "C:\\" + std::string(239, 'q') + "\\";  // hostinfo.exe's path: 259
    sim::Machine machine = withShell(installDir);
    EXPECT_EQ(run(machine, "RegisterLattice"), orv::kSuccess);
    EXPECT_EQ(machine.desktop.programsStarted.size(), 3u);
    EXPECT_EQ(machine.desktop.programsStarted.back().file.size(), 259u);
}

struct PathCase {
    const char* situation;
    void (*seed)(sim::Machine&);
    std::optional<std::string> path;  // "Path" afterwards; nullopt: no string value
    bool keyExists;
};

class AddNetProbeRegEntry : public ::testing::TestWithParam<PathCase> {};

TEST_P(AddNetProbeRegEntry, AppendsTheWebFoldersOnce) {
    const PathCase& c = GetParam();
    sim::Machine machine;
    if (c.seed) c.seed(machine);

    EXPECT_EQ(run(machine, "AddNetProbeRegEntry"), orv::kSuccess);

    EXPECT_EQ(machine.hklm.string(kNetProbe, "Path"), c.path);
    EXPECT_EQ(machine.hklm.exists(kNetProbe), c.keyExists);
    EXPECT_EQ(machine.openKeys(), 0u);
}

const std::string kLong(100 * 1024, 'p');

INSTANTIATE_TEST_SUITE_P(
    OrvRegistry, AddNetProbeRegEntry,
    ::testing::Values(
        PathCase{"no debugger key", nullptr, kWebFolders, true},
        PathCase{"a key without Path", [](sim::Machine& m) { m.hklm.ensure(kNetProbe); }, kWebFolders, true},
        PathCase{"an empty Path", [](sim::Machine& m) { m.hklm.setString(kNetProbe, "Path", ""); }, kWebFolders, true},
        PathCase{"a Path without a final separator", [](sim::Machine& m) { m.hklm.setString(kNetProbe, "Path", "C:\\Web"); },
                 "C:\\Web;" + kWebFolders, true},
        PathCase{"a Path ending with a separator", [](sim::Machine& m) { m.hklm.setString(kNetProbe, "Path", "C:\\Web;"); },
                 "C:\\Web;" + kWebFolders, true},
        PathCase{"a Path that already holds the folders",
                 [](sim::Machine& m) { m.hklm.setString(kNetProbe, "Path", kWebFolders); },
                 kWebFolders + ";" + kWebFolders, true},
        PathCase{"a Path of 100 KB", [](sim::Machine& m) { m.hklm.setString(kNetProbe, "Path", kLong); },
                 kLong + ";" + kWebFolders, true},
        PathCase{"a Path of another type", [](sim::Machine& m) { m.hklm.setDword(kNetProbe, "Path", 1); },
                 std::nullopt, true},
        PathCase{"a key that cannot be created",
                 [](sim::Machine& m) { m.fail(sim::Op::RegCreateKey, kNetProbe, orv::kErrorAccessDenied); },
                 std::nullopt, false},
        PathCase{"a key that cannot be opened",
                 [](sim::Machine& m) {
                     m.hklm.setString(kNetProbe, "Path", "C:\\Web");
                     m.fail(sim::Op::RegOpenKey, kNetProbe, orv::kErrorAccessDenied);
                 },
                 "C:\\Web", true},
        PathCase{"a refused write", [](sim::Machine& m) {
                     m.hklm.setString(kNetProbe, "Path", "C:\\Web");
                     m.fail(sim::Op::RegSetValue, kNetProbe, orv::kErrorAccessDenied);
                 },
                 "C:\\Web", true}),
    NamedBySituation());

TEST(AddNetProbeRegEntryLog, SaysWhatBecameOfThePath) {
    sim::Machine fresh;
    run(fresh, "AddNetProbeRegEntry");
    EXPECT_EQ(logOf(fresh, "OrvRegistry.AddNetProbeRegEntry: "),
              (std::vector<std::string>{"the NetProbe key created; Path holds the web framework's folders"}));

    sim::Machine extended;
    extended.hklm.setString(kNetProbe, "Path", "C:\\Web");
    run(extended, "AddNetProbeRegEntry");
    EXPECT_EQ(logOf(extended, "OrvRegistry.AddNetProbeRegEntry: "),
              (std::vector<std::string>{"NetProbe's Path of 6 characters extended to 67 with the web framework's folders"}));
}

}  // namespace
