// The copy of the package file kept in the installation folder for later maintenance.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cases.h"
#include "orvcommon_run.h"

namespace {

// A package on D:, an installation folder on C:; each row of a table gets a machine of its own.
sim::Machine packageAndFolder() {
    sim::Machine machine;
    machine.session.properties = {{"SourceDir", "D:\\Setup\\"}, {"INSTALLDIR", "C:\\Prog\\"}, {"ProductName", "Quillon"}};
    machine.files.addDrive('D');
    machine.files.addFile("D:\\Setup\\Quillon.msi", "package");
    machine.files.addFolder("C:\\Prog");
    return machine;
}

void expectCopiedWithNormalAttributes(sim::Machine& machine) {
    EXPECT_EQ(machine.files.contents("C:\\Prog\\Quillon.msi"), "package");
    EXPECT_EQ(machine.files.attributes("C:\\Prog\\Quillon.msi"), orv::kAttrNormal);
}

class CopyInstallDB : public ::testing::Test {
protected:
    void expectCopiedWithNormalAttributes() { ::expectCopiedWithNormalAttributes(machine); }
    sim::Machine machine = packageAndFolder();
};

TEST_F(CopyInstallDB, CopiesThePackageAsProductNameDotMsi) {
    EXPECT_EQ(run(machine, "CopyInstallDB"), orv::kSuccess);
    expectCopiedWithNormalAttributes();
    EXPECT_EQ(logOf(machine, "OrvCommon.CopyInstallDB: "),
              (std::vector<std::string>{"copied \"D:\\Setup\\Quillon.msi\" to \"C:\\Prog\\Quillon.msi\"; the copy is writable"}));
}

// One backslash is put between folder and name when the folder lacks it, never a second.
// A path built from a hidden property is hidden as a whole.
TEST_F(CopyInstallDB, PathsFromHiddenPropertiesStayOutOfTheLog) {
    machine.session.properties["MsiHiddenProperties"] = "INSTALLDIR";
    run(machine, "CopyInstallDB");
    expectCopiedWithNormalAttributes();
    EXPECT_EQ(logOf(machine, "OrvCommon.CopyInstallDB: "),
              (std::vector<std::string>{"copied \"D:\\Setup\\Quillon.msi\" to **********; the copy is writable"}));
}

TEST_F(CopyInstallDB, FoldersWithAndWithoutTrailingBackslash) {
    for (const char* source : {"D:\\Setup", "D:\\Setup\\"})
        for (const char* target : {"C:\\Prog", "C:\\Prog\\"}) {
            SCOPED_TRACE(std::string(source) + " -> " + target);
            sim::Machine machine = packageAndFolder();
            machine.session.properties["SourceDir"] = source;
            machine.session.properties["INSTALLDIR"] = target;
            EXPECT_EQ(run(machine, "CopyInstallDB"), orv::kSuccess);
            EXPECT_EQ(machine.fileCalls,
                      (std::vector<sim::FileCall>{
                          {sim::Op::CopyFile, "D:\\Setup\\Quillon.msi", "C:\\Prog\\Quillon.msi"},
                          {sim::Op::SetFileAttributes, "C:\\Prog\\Quillon.msi", ""}}));
            ::expectCopiedWithNormalAttributes(machine);
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
    EXPECT_EQ(machine.files.attributes("C:\\Prog\\Quillon.msi"), orv::kAttrNormal);
    EXPECT_TRUE(machine.desktop.messageBoxes.empty());

    EXPECT_EQ(run(machine, "CopyInstallDB"), orv::kSuccess);
    expectCopiedWithNormalAttributes();
}

TEST_F(CopyInstallDB, FailuresAreIgnoredQuietly) {
    machine.fail(sim::Op::CopyFile);
    machine.fail(sim::Op::SetFileAttributes);
    EXPECT_EQ(run(machine, "CopyInstallDB"), orv::kSuccess);
    EXPECT_FALSE(machine.files.isFile("C:\\Prog\\Quillon.msi"));
    EXPECT_TRUE(machine.desktop.messageBoxes.empty());
    EXPECT_EQ(logOf(machine, "OrvCommon.CopyInstallDB: "),
              (std::vector<std::string>{"could not copy \"D:\\Setup\\Quillon.msi\" to \"C:\\Prog\\Quillon.msi\"; its "
                                        "attributes could not be reset"}));

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
            sim::Machine fresh = packageAndFolder();
            fresh.session.properties[property] = value;
            fresh.files.currentFolder = "C:\\Prog";
            fresh.files.addFile("C:\\Prog\\Prog\\Quillon.msi", "unrelated");

            EXPECT_EQ(run(fresh, "CopyInstallDB"), orv::kSuccess);
            EXPECT_FALSE(fresh.files.isFile("C:\\Prog\\Quillon.msi"));
            EXPECT_FALSE(fresh.files.isFile("C:\\Prog\\.msi"));
            EXPECT_EQ(fresh.files.contents("C:\\Prog\\Prog\\Quillon.msi"), "unrelated");
            EXPECT_TRUE(logged(fresh, "no copy of the package made"));
        }
}

}  // namespace
