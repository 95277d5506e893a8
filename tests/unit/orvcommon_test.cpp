// OrvCommon's reboot decision and its copy of the package file, run through the library's
// export table as the installer would call them.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "OrvCommon_library.h"
#include "cases.h"
#include "sim/machine.h"

namespace {

constexpr orv::InstallState kAbsent = orv::kStateAbsent;
constexpr orv::InstallState kLocal = orv::kStateLocal;
constexpr orv::InstallState kSource = orv::kStateSource;
constexpr orv::InstallState kNone = orv::kStateUnknown;

std::uint32_t run(sim::Machine& machine, const char* exportName) {
    machine.strings = OrvCommon::strings;
    return orv::runExport(machine, OrvCommon::exports, exportName, machine.session.handle);
}

// ----- OrvSetReboot ----------------------------------------------------------------------------

struct RebootCase {
    const char* situation;
    std::map<std::string, sim::States> features;  // a feature left out does not exist
    std::map<std::string, std::string> properties;
    std::optional<std::string> reboot;  // REBOOT afterwards; nullopt: unset
};

class SetReboot : public ::testing::TestWithParam<RebootCase> {};

TEST_P(SetReboot, ForcesARestartOnlyForItsReasons) {
    const RebootCase& c = GetParam();
    sim::Machine machine;
    machine.session.features = c.features;
    machine.session.properties = c.properties;

    EXPECT_EQ(run(machine, "OrvSetReboot"), orv::kSuccess);

    if (c.reboot)
        EXPECT_EQ(machine.session.property("REBOOT"), *c.reboot);
    else
        EXPECT_FALSE(machine.session.hasProperty("REBOOT"));
    EXPECT_TRUE(machine.session.requests.empty());
    EXPECT_TRUE(machine.messageBoxes.empty());
}

const std::string k260(260, 'x');
const std::map<std::string, sim::States> kNothingRequested = {
    {"MainProgramFiles", {kAbsent, kNone}}, {"CORBASupport", {kAbsent, kNone}}, {"CORBASupport_HY4", {kAbsent, kNone}}};

std::map<std::string, sim::States> with(const char* feature, sim::States states) {
    auto features = kNothingRequested;
    features[feature] = states;
    return features;
}

INSTANTIATE_TEST_SUITE_P(
    OrvCommon, SetReboot,
    ::testing::Values(
        RebootCase{"nothing requested", kNothingRequested, {}, std::nullopt},
        RebootCase{"main program local on NT", with("MainProgramFiles", {kAbsent, kLocal}), {}, std::nullopt},
        RebootCase{"main program local on 9x", with("MainProgramFiles", {kAbsent, kLocal}), {{"Version9X", "490"}}, "Force"},
        RebootCase{"9x, main program unrequested", kNothingRequested, {{"Version9X", "490"}}, std::nullopt},
        RebootCase{"9x, main program from source", with("MainProgramFiles", {kAbsent, kSource}), {{"Version9X", "490"}}, std::nullopt},
        RebootCase{"9x, main program removed", with("MainProgramFiles", {kLocal, kAbsent}), {{"Version9X", "490"}}, std::nullopt},
        RebootCase{"9x, main program installed before, nothing requested now", with("MainProgramFiles", {kLocal, kNone}), {{"Version9X", "490"}}, std::nullopt},
        RebootCase{"9x text too long to read", with("MainProgramFiles", {kAbsent, kLocal}), {{"Version9X", k260}}, std::nullopt},
        RebootCase{"CORBA support local", with("CORBASupport", {kAbsent, kLocal}), {}, "Force"},
        RebootCase{"CORBA support from source", with("CORBASupport", {kAbsent, kSource}), {}, std::nullopt},
        RebootCase{"CORBA support for broker 4 local alone", with("CORBASupport_HY4", {kAbsent, kLocal}), {}, "Force"},
        RebootCase{"MDAC to be installed", kNothingRequested, {{"INSTALL_MDAC", "2"}}, "Force"},
        RebootCase{"MDAC with no features in the package", {}, {{"INSTALL_MDAC", "any text"}}, "Force"},
        RebootCase{"MDAC text too long to read", kNothingRequested, {{"INSTALL_MDAC", k260}}, std::nullopt},
        RebootCase{"features missing from the package", {}, {{"Version9X", "490"}}, std::nullopt},
        RebootCase{"an earlier REBOOT is never cleared", kNothingRequested, {{"REBOOT", "ReallySuppress"}}, "ReallySuppress"},
        RebootCase{"every reason at once", {{"MainProgramFiles", {kAbsent, kLocal}}, {"CORBASupport", {kAbsent, kLocal}}, {"CORBASupport_HY4", {kAbsent, kLocal}}},
                   {{"Version9X", "490"}, {"INSTALL_MDAC", "1"}}, "Force"}),
    NamedBySituation());

// A feature whose state cannot be read skips its own step only.
TEST(SetRebootFailures, AFailedStateQuerySkipsOnlyItsStep) {
    sim::Machine machine;
    machine.session.features = with("CORBASupport", {kAbsent, kLocal});
    machine.fail(sim::Op::GetFeatureState, "CORBASupport");
    machine.session.properties["INSTALL_MDAC"] = "1";
    EXPECT_EQ(run(machine, "OrvSetReboot"), orv::kSuccess);
    EXPECT_EQ(machine.session.property("REBOOT"), "Force");

    machine.session.properties.clear();
    EXPECT_EQ(run(machine, "OrvSetReboot"), orv::kSuccess);
    EXPECT_FALSE(machine.session.hasProperty("REBOOT"));
}

// ----- CopyInstallDB ---------------------------------------------------------------------------

class CopyInstallDB : public ::testing::Test {
protected:
    void SetUp() override {
        machine.session.properties = {{"SourceDir", "D:\\Setup\\"}, {"INSTALLDIR", "C:\\Prog\\"}, {"ProductName", "Quillon"}};
        machine.files.addDrive('D');
        machine.files.addFile("D:\\Setup\\Quillon.msi", "package");
        machine.files.addFolder("C:\\Prog");
    }

    void expectCopiedWithNormalAttributes() {
        EXPECT_EQ(machine.files.contents("C:\\Prog\\Quillon.msi"), "package");
        EXPECT_EQ(machine.files.attributes("C:\\Prog\\Quillon.msi"), 0u);
    }

    sim::Machine machine;
};

TEST_F(CopyInstallDB, CopiesThePackageAsProductNameDotMsi) {
    EXPECT_EQ(run(machine, "CopyInstallDB"), orv::kSuccess);
    expectCopiedWithNormalAttributes();
}

// One backslash is put between folder and name when the folder lacks it, never a second.
TEST_F(CopyInstallDB, FoldersWithAndWithoutTrailingBackslash) {
    for (const char* source : {"D:\\Setup", "D:\\Setup\\"})
        for (const char* target : {"C:\\Prog", "C:\\Prog\\"}) {
            SCOPED_TRACE(std::string(source) + " -> " + target);
            machine.fileCalls.clear();
            machine.session.properties["SourceDir"] = source;
            machine.session.properties["INSTALLDIR"] = target;
            EXPECT_EQ(run(machine, "CopyInstallDB"), orv::kSuccess);
            EXPECT_EQ(machine.fileCalls,
                      (std::vector<sim::FileCall>{
                          {sim::Op::CopyFile, "D:\\Setup\\Quillon.msi", "C:\\Prog\\Quillon.msi"},
                          {sim::Op::SetFileAttributes, "C:\\Prog\\Quillon.msi", ""}}));
            expectCopiedWithNormalAttributes();
        }
}

TEST_F(CopyInstallDB, AReadOnlyPackageGivesAWritableCopy) {
    machine.files.addFile("D:\\Setup\\Quillon.msi", "package", orv::kAttrReadOnly | orv::kAttrArchive);
    EXPECT_EQ(run(machine, "CopyInstallDB"), orv::kSuccess);
    expectCopiedWithNormalAttributes();
    EXPECT_NE(machine.files.attributes("D:\\Setup\\Quillon.msi") & orv::kAttrReadOnly, 0u);
}

// Windows refuses to copy over a read-only file; the stale copy is at least made writable so
// that the next installation can replace it.
TEST_F(CopyInstallDB, AReadOnlyCopyAlreadyThereIsLeftWritable) {
    machine.files.addFile("C:\\Prog\\Quillon.msi", "older", orv::kAttrReadOnly | orv::kAttrHidden);
    EXPECT_EQ(run(machine, "CopyInstallDB"), orv::kSuccess);
    EXPECT_EQ(machine.files.contents("C:\\Prog\\Quillon.msi"), "older");
    EXPECT_EQ(machine.files.attributes("C:\\Prog\\Quillon.msi"), 0u);
    EXPECT_TRUE(machine.messageBoxes.empty());

    EXPECT_EQ(run(machine, "CopyInstallDB"), orv::kSuccess);
    expectCopiedWithNormalAttributes();
}

TEST_F(CopyInstallDB, FailuresAreIgnoredQuietly) {
    machine.fail(sim::Op::CopyFile);
    machine.fail(sim::Op::SetFileAttributes);
    EXPECT_EQ(run(machine, "CopyInstallDB"), orv::kSuccess);
    EXPECT_FALSE(machine.files.isFile("C:\\Prog\\Quillon.msi"));
    EXPECT_TRUE(machine.messageBoxes.empty());

    machine.clearFaults();
    machine.files.remove("D:\\Setup\\Quillon.msi");
    EXPECT_EQ(run(machine, "CopyInstallDB"), orv::kSuccess);
    EXPECT_FALSE(machine.files.isFile("C:\\Prog\\Quillon.msi"));
}

// Without a folder or a name the paths would be relative to wherever the installer runs, and a
// value too long to read is never used cut short: nothing is copied anywhere.
TEST_F(CopyInstallDB, NothingHappensWithoutUsablePaths) {
    const std::string tooLong = "C:\\" + std::string(257, 'd');
    for (const char* property : {"SourceDir", "INSTALLDIR", "ProductName"})
        for (const std::string& value : {std::string(), tooLong}) {
            SCOPED_TRACE(std::string(property) + " of " + std::to_string(value.size()) + " characters");
            sim::Machine fresh;
            fresh.files = machine.files;
            fresh.session.properties = machine.session.properties;
            fresh.session.properties[property] = value;
            fresh.files.currentFolder = "C:\\Prog";
            fresh.files.addFile("C:\\Prog\\Prog\\Quillon.msi", "unrelated");

            EXPECT_EQ(run(fresh, "CopyInstallDB"), orv::kSuccess);
            EXPECT_FALSE(fresh.files.isFile("C:\\Prog\\Quillon.msi"));
            EXPECT_FALSE(fresh.files.isFile("C:\\Prog\\.msi"));
            EXPECT_EQ(fresh.files.contents("C:\\Prog\\Prog\\Quillon.msi"), "unrelated");
        }
}

}  // namespace
