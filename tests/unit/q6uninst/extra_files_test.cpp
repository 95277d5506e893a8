// The files of the uninstall list deleted below the product's root folder, and nothing else: no
// entry reaches outside the root, the cost follows the entries, and no installer call is made.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cases.h"
#include "q6uninst_run.h"

namespace {

constexpr const char* kPreviewKey = "Software\\Orvanta\\Quillon for .NET Preview\\1.0";

// A machine whose installer calls are counted: the action must make none.
class CountingInstallerCalls : public sim::Machine {
public:
    int installerCalls = 0;

    std::uint32_t msiGetProperty(orv::MsiHandle h, const char* n, char* b, std::uint32_t* l) override {
        return counted(), Machine::msiGetProperty(h, n, b, l);
    }
    std::uint32_t msiSetProperty(orv::MsiHandle h, const char* n, const char* v) override {
        return counted(), Machine::msiSetProperty(h, n, v);
    }
    std::uint32_t msiGetFeatureState(orv::MsiHandle h, const char* n, orv::InstallState* i, orv::InstallState* a) override {
        return counted(), Machine::msiGetFeatureState(h, n, i, a);
    }
    std::uint32_t msiSetFeatureState(orv::MsiHandle h, const char* n, orv::InstallState s) override {
        return counted(), Machine::msiSetFeatureState(h, n, s);
    }
    std::uint32_t msiGetComponentState(orv::MsiHandle h, const char* n, orv::InstallState* i, orv::InstallState* a) override {
        return counted(), Machine::msiGetComponentState(h, n, i, a);
    }
    std::uint32_t msiSetComponentState(orv::MsiHandle h, const char* n, orv::InstallState s) override {
        return counted(), Machine::msiSetComponentState(h, n, s);
    }
    std::uint32_t msiDoAction(orv::MsiHandle h, const char* a) override { return counted(), Machine::msiDoAction(h, a); }
    bool msiGetMode(orv::MsiHandle h, int m) override { return counted(), Machine::msiGetMode(h, m); }
    std::uint32_t msiSetTargetPath(orv::MsiHandle h, const char* f, const char* p) override {
        return counted(), Machine::msiSetTargetPath(h, f, p);
    }
    std::uint32_t msiFeatureNames(orv::MsiHandle h, std::vector<std::string>* n) override {
        return counted(), Machine::msiFeatureNames(h, n);
    }
    std::uint32_t msiLogInfo(orv::MsiHandle h, const char* t) override { return counted(), Machine::msiLogInfo(h, t); }

private:
    void counted() { ++installerCalls; }
};

// The files a list may name below C:\Prog, the ones outside it that an entry could reach, and
// names Windows would take for others.
void listedFiles(sim::Machine& machine, const std::string& list) {
    machine.files.addFile("C:\\Prog\\uninstall.ini", list);
    for (const char* file : {"C:\\Prog\\a.txt", "C:\\Prog\\b.txt", "C:\\Prog\\c.txt", "C:\\Prog\\bin\\a.dll",
                             "C:\\outside.txt", "C:\\Windows\\System32\\outside.txt", "C:\\Prog\\a.txt.",
                             "C:\\Prog\\a.txt ", "C:\\Prog\\link\\x.dll"})
        machine.files.addFile(file, "listed");
    machine.files.addFolder("C:\\Prog\\link", orv::kAttrDirectory | orv::kAttrReparsePoint);
    machine.files.addFolder("C:\\Prog\\bin\\sub");
}

void productWithList(sim::Machine& machine, const std::string& list) {
    machine.hklm.setString(kPreviewKey, "RootDir", "C:\\Prog\\");
    listedFiles(machine, list);
}

const std::vector<std::string> kEveryFile = {
    "C:\\Prog\\a.txt",   "C:\\Prog\\b.txt",  "C:\\Prog\\c.txt",          "C:\\Prog\\bin\\a.dll",
    "C:\\outside.txt",   "C:\\Windows\\System32\\outside.txt", "C:\\Prog\\a.txt.", "C:\\Prog\\a.txt ",
    "C:\\Prog\\link\\x.dll", "C:\\Prog\\uninstall.ini"};

struct ListCase {
    const char* situation;
    std::string list;                    // uninstall.ini
    std::vector<std::string> deleted;    // of kEveryFile; the others stay
};

class OrvRemoveExtraFiles : public ::testing::TestWithParam<ListCase> {};

TEST_P(OrvRemoveExtraFiles, DeletesTheListedFilesBelowTheRootOnly) {
    const ListCase& c = GetParam();
    CountingInstallerCalls machine;
    productWithList(machine, c.list);

    EXPECT_EQ(run(machine, "OrvRemoveExtraFiles"), orv::kSuccess);

    std::vector<std::string> deleted;
    for (const std::string& file : kEveryFile)
        if (!machine.files.isFile(file)) deleted.push_back(file);
    EXPECT_EQ(deleted, c.deleted);
    EXPECT_TRUE(machine.files.isFolder("C:\\Prog\\bin\\sub"));
    EXPECT_EQ(machine.installerCalls, 0);
    EXPECT_EQ(machine.openKeys(), 0u);
}

std::string listOf(const std::string& count, const std::string& entries) {
    return "[Other]\nFile0=c.txt\n[Program]\nCount=" + count + "\n" + entries;
}

const std::string kThree = "File0=a.txt\nFile1=b.txt\nFile2=bin\\a.dll\n";
const std::vector<std::string> kThreeDeleted = {"C:\\Prog\\a.txt", "C:\\Prog\\b.txt", "C:\\Prog\\bin\\a.dll"};

INSTANTIATE_TEST_SUITE_P(
    Q6Uninst, OrvRemoveExtraFiles,
    ::testing::Values(
        ListCase{"three entries", listOf("3", kThree), kThreeDeleted},
        ListCase{"a missing entry is skipped", listOf("3", "File0=a.txt\nFile2=bin\\a.dll\n"),
                 {"C:\\Prog\\a.txt", "C:\\Prog\\bin\\a.dll"}},
        ListCase{"entries past Count are not visited", listOf("2", kThree), {"C:\\Prog\\a.txt", "C:\\Prog\\b.txt"}},
        ListCase{"Count in hexadecimal after 0x", listOf("0x2", kThree), {"C:\\Prog\\a.txt", "C:\\Prog\\b.txt"}},
        ListCase{"Count in hexadecimal after 0X", listOf("0X3", kThree), kThreeDeleted},
        ListCase{"Count in hexadecimal after a dollar", listOf("$3", kThree), kThreeDeleted},
        ListCase{"Count empty", listOf("", kThree), {}},
        ListCase{"Count negative", listOf("-5", kThree), {}},
        ListCase{"Count zero", listOf("0", kThree), {}},
        ListCase{"Count 0x without digits", listOf("0x", kThree), {}},
        ListCase{"Count not hexadecimal", listOf("$G", kThree), {}},
        ListCase{"Count past 32 bits", listOf("99999999999", kThree), {}},
        ListCase{"Count missing", "[Program]\n" + kThree, {}},
        ListCase{"Count the largest integer", listOf("2147483647", kThree), kThreeDeleted},
        ListCase{"Count two billion with three entries", listOf("2000000000", kThree + "File1999999999=c.txt\n"),
                 {"C:\\Prog\\a.txt", "C:\\Prog\\b.txt", "C:\\Prog\\c.txt", "C:\\Prog\\bin\\a.dll"}},
        ListCase{"key names ignore case", listOf("3", "file0=a.txt\nFILE1=b.txt\n"), {"C:\\Prog\\a.txt", "C:\\Prog\\b.txt"}},
        ListCase{"leading zeros make another key", listOf("3", "File01=a.txt\nFile+2=b.txt\nFile 2=c.txt\n"), {}},
        ListCase{"the first of two spellings counts", listOf("3", "File1=b.txt\nfile1=c.txt\n"), {"C:\\Prog\\b.txt"}},
        ListCase{"a folder is never deleted", listOf("3", "File0=bin\\sub\nFile1=bin\\sub\\\nFile2=a.txt\n"),
                 {"C:\\Prog\\a.txt"}},
        ListCase{"a missing file is passed over", listOf("2", "File0=gone.txt\nFile1=b.txt\n"), {"C:\\Prog\\b.txt"}},
        ListCase{"entries reaching outside the root are kept",
                 listOf("20",
                        "File0=..\\outside.txt\nFile1=bin\\..\\..\\outside.txt\nFile2=\\outside.txt\n"
                        "File3=C:\\outside.txt\nFile4=C:outside.txt\nFile5=\\\\.\\C:\\outside.txt\n"
                        "File6=\\\\?\\C:\\outside.txt\nFile7=/outside.txt\nFile8=bin/../../outside.txt\n"
                        "File9=\\\\srv\\share\\outside.txt\nFile10=..\\Windows\\System32\\outside.txt\n"
                        "File11=b.txt\n"),
                 {"C:\\Prog\\b.txt"}},
        ListCase{"names Windows would read otherwise are kept",
                 listOf("9", "File0=a.txt.\nFile1=\"a.txt \"\nFile2=a.txt::$DATA\nFile3=bin.\\a.dll\nFile4=bin \\a.dll\n"
                             "File5=.\\a.txt\nFile6=...\\a.txt\nFile7=b.txt\n"),
                 {"C:\\Prog\\b.txt"}},
        ListCase{"a linked folder on the way is not followed", listOf("2", "File0=link\\x.dll\nFile1=b.txt\n"),
                 {"C:\\Prog\\b.txt"}},
        ListCase{"an entry of 2047 characters or more is not used cut short",
                 listOf("3", "File0=" + std::string(2041, 'x') + "a.txt\nFile1=" + std::string(3000, 'y') + "\nFile2=b.txt\n"),
                 {"C:\\Prog\\b.txt"}}),
    NamedBySituation());

struct RootCase {
    const char* situation;
    void (*rootDir)(sim::Machine&);
    bool deletes;
};

class OrvRemoveExtraFilesRoot : public ::testing::TestWithParam<RootCase> {};

// Only a root folder that fits its buffer as a full path is worked below; a relative or empty
// one would find a list, and its files, wherever msiexec runs, and a number's bytes name no folder.
TEST_P(OrvRemoveExtraFilesRoot, WorksOnlyBelowAUsableRoot) {
    const RootCase& c = GetParam();
    CountingInstallerCalls machine;
    listedFiles(machine, listOf("1", "File0=a.txt\n"));
    machine.files.addFile("C:\\uninstall.ini", listOf("1", "File0=outside.txt\n"));
    c.rootDir(machine);

    EXPECT_EQ(run(machine, "OrvRemoveExtraFiles"), orv::kSuccess);

    EXPECT_EQ(machine.files.isFile("C:\\Prog\\a.txt"), !c.deletes);
    EXPECT_TRUE(machine.files.isFile("C:\\outside.txt"));
    EXPECT_EQ(machine.installerCalls, 0);
    EXPECT_EQ(machine.openKeys(), 0u);
}

void rootDir(sim::Machine& m, const std::string& value) { m.hklm.setString(kPreviewKey, "RootDir", value); }

INSTANTIATE_TEST_SUITE_P(
    Q6Uninst, OrvRemoveExtraFilesRoot,
    ::testing::Values(
        RootCase{"root with its backslash", [](sim::Machine& m) { rootDir(m, "C:\\Prog\\"); }, true},
        RootCase{"root without its backslash", [](sim::Machine& m) { rootDir(m, "C:\\Prog"); }, true},
        RootCase{"root without a terminating NUL",
                 [](sim::Machine& m) { m.hklm.setValue(kPreviewKey, "RootDir", orv::kRegSz, "C:\\Prog"); }, true},
        RootCase{"root as an expandable string",
                 [](sim::Machine& m) { m.hklm.setValue(kPreviewKey, "RootDir", orv::kRegExpandSz, std::string("C:\\Prog\\", 9)); },
                 true},
        RootCase{"no preview key", [](sim::Machine&) {}, false},
        RootCase{"no RootDir", [](sim::Machine& m) { m.hklm.ensure(kPreviewKey); }, false},
        RootCase{"root empty", [](sim::Machine& m) { rootDir(m, ""); }, false},
        RootCase{"root relative", [](sim::Machine& m) { rootDir(m, "Prog"); }, false},
        RootCase{"root rooted on the current drive", [](sim::Machine& m) { rootDir(m, "\\"); }, false},
        RootCase{"root stored as a number", [](sim::Machine& m) { m.hklm.setDword(kPreviewKey, "RootDir", 0x5C3A43); }, false},
        RootCase{"root too long for its buffer",
                 [](sim::Machine& m) {
                     m.hklm.setValue(kPreviewKey, "RootDir", orv::kRegSz, std::string("C:\\Prog\\\0", 9) + std::string(300, 'x'));
                 },
                 false},
        RootCase{"root with no room left for its backslash", [](sim::Machine& m) { rootDir(m, "C:\\" + std::string(256, 'r')); },
                 false},
        RootCase{"key refused",
                 [](sim::Machine& m) {
                     rootDir(m, "C:\\Prog\\");
                     m.fail(sim::Op::RegOpenKey, kPreviewKey, orv::kErrorAccessDenied);
                 },
                 false},
        RootCase{"RootDir unreadable",
                 [](sim::Machine& m) {
                     rootDir(m, "C:\\Prog\\");
                     m.fail(sim::Op::RegQueryValue, kPreviewKey, orv::kErrorAccessDenied);
                 },
                 false},
        RootCase{"list unreadable",
                 [](sim::Machine& m) {
                     rootDir(m, "C:\\Prog\\");
                     m.fail(sim::Op::ReadProfile);
                 },
                 false}),
    NamedBySituation());

// The handle is ignored: the action runs the same with none, and a refused deletion does not
// stop the list.
TEST(OrvRemoveExtraFilesHandle, IgnoresItsHandleAndGoesOnPastARefusedDeletion) {
    CountingInstallerCalls machine;
    productWithList(machine, listOf("3", kThree));
    machine.files.addFile("C:\\Prog\\b.txt", "listed", orv::kAttrReadOnly);
    machine.fail(sim::Op::DeleteFile, "C:\\Prog\\a.txt");
    EXPECT_EQ(orv::runExport(machine, q6uninst::exports, "OrvRemoveExtraFiles", 0), orv::kSuccess);
    EXPECT_TRUE(machine.files.isFile("C:\\Prog\\a.txt"));
    EXPECT_TRUE(machine.files.isFile("C:\\Prog\\b.txt"));
    EXPECT_FALSE(machine.files.isFile("C:\\Prog\\bin\\a.dll"));
    EXPECT_EQ(machine.installerCalls, 0);
    EXPECT_TRUE(machine.session.log.empty());
}

}  // namespace
