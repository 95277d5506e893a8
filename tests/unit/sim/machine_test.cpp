// The simulated machine stands in for Windows in every unit test, so its rules are checked here
// against what the real installer and Windows do.
#include <gtest/gtest.h>

#include <cstring>

#include "sim/machine.h"

namespace {

// MsiGetProperty fills what fits, NUL-terminated, and reports the whole length with 234: in
// bytes, as a custom action sees it, twice the characters.
TEST(SimInstaller, GetPropertyFollowsTheRealBufferContract) {
    sim::Machine machine;
    machine.session.properties["P"] = "abcdef";
    char buffer[4] = {'x', 'x', 'x', 'x'};
    std::uint32_t length = sizeof buffer;

    EXPECT_EQ(machine.msiGetProperty(machine.session.handle, "P", buffer, &length), orv::kErrorMoreData);
    EXPECT_EQ(length, 12u);
    EXPECT_STREQ(buffer, "abc");

    length = sizeof buffer;
    EXPECT_EQ(machine.msiGetProperty(machine.session.handle, "Unset", buffer, &length), orv::kSuccess);
    EXPECT_EQ(length, 0u);
    EXPECT_STREQ(buffer, "");

    length = sizeof buffer;
    EXPECT_EQ(machine.msiGetProperty(999, "P", buffer, &length), orv::kErrorInvalidHandle);

    // An installer that leaves the terminator off a value that fits still reports its length.
    machine.session.terminatesValues = false;
    machine.session.properties["Q"] = "ab";
    char unterminated[4] = {'x', 'x', 'x', 'x'};
    length = sizeof unterminated;
    EXPECT_EQ(machine.msiGetProperty(machine.session.handle, "Q", unterminated, &length), orv::kSuccess);
    EXPECT_EQ(length, 2u);
    EXPECT_EQ(std::string(unterminated, 4), "abxx");
}

TEST(SimInstaller, PropertyNamesAreCaseSensitiveAndEmptyOrNullRemoves) {
    sim::Machine machine;
    const auto handle = machine.session.handle;
    machine.msiSetProperty(handle, "Name", "1");
    EXPECT_FALSE(machine.session.hasProperty("NAME"));
    machine.msiSetProperty(handle, "Name", "");
    EXPECT_FALSE(machine.session.hasProperty("Name"));
    machine.msiSetProperty(handle, "Name", "1");
    machine.msiSetProperty(handle, "Name", nullptr);
    EXPECT_FALSE(machine.session.hasProperty("Name"));
}

TEST(SimInstaller, StatesRequestsAndUnknownNames) {
    sim::Machine machine;
    const auto handle = machine.session.handle;
    machine.session.features["KRN"] = {orv::kStateAbsent, orv::kStateUnknown};
    machine.session.components["hlocate_exe"] = {orv::kStateLocal, orv::kStateUnknown};
    orv::InstallState installed = 0, action = 0;

    EXPECT_EQ(machine.msiSetFeatureState(handle, "KRN", orv::kStateLocal), orv::kSuccess);
    EXPECT_EQ(machine.msiGetFeatureState(handle, "KRN", &installed, &action), orv::kSuccess);
    EXPECT_EQ(installed, orv::kStateAbsent);
    EXPECT_EQ(action, orv::kStateLocal);
    EXPECT_EQ(machine.msiSetFeatureState(handle, "Nope", orv::kStateLocal), orv::kErrorUnknownFeature);
    EXPECT_EQ(machine.msiGetFeatureState(handle, "Nope", &installed, &action), orv::kErrorUnknownFeature);
    EXPECT_EQ(machine.msiSetComponentState(handle, "hlocate_exe", orv::kStateAbsent), orv::kSuccess);
    EXPECT_EQ(machine.msiGetComponentState(handle, "nope", &installed, &action), orv::kErrorUnknownComponent);

    // Every request is logged, the refused one included.
    EXPECT_EQ(machine.session.requests,
              (std::vector<sim::StateRequest>{{"feature", "KRN", orv::kStateLocal},
                                              {"feature", "Nope", orv::kStateLocal},
                                              {"component", "hlocate_exe", orv::kStateAbsent}}));
}

TEST(SimInstaller, ResolveSourceFeatureViewRollbackAndTargetPaths) {
    sim::Machine machine;
    const auto handle = machine.session.handle;
    machine.session.resolvedSource = "D:\\Setup\\";
    machine.session.featureTable = {"MainProgramFiles", "KRN"};
    machine.session.rollback = true;

    EXPECT_FALSE(machine.session.hasProperty("SourceDir"));
    machine.msiDoAction(handle, "ResolveSource");
    EXPECT_EQ(machine.session.property("SourceDir"), "D:\\Setup\\");
    EXPECT_TRUE(machine.msiGetMode(handle, orv::kRunModeRollback));
    // Only a directory of the Directory table takes a target path, and its property follows.
    EXPECT_EQ(machine.msiSetTargetPath(handle, "SHARED_FILES_DIR", "C:\\Shared"), 267u);
    EXPECT_TRUE(machine.session.targetPaths.empty());
    machine.session.directoryTable = {"SHARED_FILES_DIR"};
    EXPECT_EQ(machine.msiSetTargetPath(handle, "SHARED_FILES_DIR", "C:\\Shared"), orv::kSuccess);
    EXPECT_EQ(machine.session.targetPaths["SHARED_FILES_DIR"], "C:\\Shared\\");
    EXPECT_EQ(machine.session.property("SHARED_FILES_DIR"), "C:\\Shared\\");

    std::vector<std::string> names;
    EXPECT_EQ(machine.msiFeatureNames(handle, &names), orv::kSuccess);
    EXPECT_EQ(names, machine.session.featureTable);
    machine.fail(sim::Op::FeatureView, "", orv::kErrorBadQuerySyntax);
    names.clear();
    EXPECT_EQ(machine.msiFeatureNames(handle, &names), orv::kErrorBadQuerySyntax);
    EXPECT_TRUE(names.empty());
}

TEST(SimRegistry, NamesIgnoreCaseAndValuesKeepTheirType) {
    sim::Machine machine;
    machine.hklm.setString("Software\\Orvanta\\Orvanta Shared", "SharedFilesDir", "C:\\Shared");
    machine.hklm.setDword("SOFTWARE\\ORVANTA\\orvanta shared", "Flags", 3);

    orv::RegKeyHandle key = 0;
    ASSERT_EQ(machine.regOpenKey("software\\orvanta\\ORVANTA SHARED", false, &key), 0);
    std::uint32_t type = 0;
    std::string data;
    ASSERT_EQ(machine.regQueryValue(key, "sharedfilesdir", &type, &data), 0);
    EXPECT_EQ(type, orv::kRegSz);
    EXPECT_EQ(data, std::string("C:\\Shared\0", 10));
    ASSERT_EQ(machine.regQueryValue(key, "FLAGS", &type, &data), 0);
    EXPECT_EQ(type, orv::kRegDword);
    EXPECT_EQ(machine.regQueryValue(key, "Missing", &type, &data), static_cast<std::int32_t>(orv::kErrorFileNotFound));
    std::string name;
    EXPECT_EQ(machine.regEnumValueName(key, 1, &name), 0);
    EXPECT_EQ(name, "Flags");
    EXPECT_EQ(machine.regEnumValueName(key, 2, &name), static_cast<std::int32_t>(orv::kErrorNoMoreItems));
    EXPECT_EQ(machine.regCloseKey(key), 0);
    EXPECT_EQ(machine.openKeys(), 0u);
}

TEST(SimFiles, NamesIgnoreCaseAndPathsNormalise) {
    sim::Machine machine;
    machine.files.addFile("C:\\Program Files\\Orvanta\\Setup.msi", "MSI");
    EXPECT_TRUE(machine.files.isFile("c:/program files//ORVANTA\\setup.MSI"));
    EXPECT_TRUE(machine.files.isFolder("C:\\Program Files\\Orvanta\\"));
    EXPECT_EQ(machine.fileAttributes("C:\\Nowhere"), orv::kInvalidAttributes);
    EXPECT_EQ(machine.fileAttributes("D:\\"), orv::kInvalidAttributes);
    machine.files.addDrive('D');
    EXPECT_EQ(machine.fileAttributes("D:\\"), orv::kAttrDirectory);
}

// FindFirstFile lists "." and ".." in a folder, then the entries in the order they were made
// (not sorted), with attribute words as they are.
TEST(SimFiles, EnumerationListsDotsAndCombinedAttributes) {
    sim::Machine machine;
    machine.files.addFolder("C:\\Fw\\v1.0");
    machine.files.addFolder("C:\\Fw\\v2.0", orv::kAttrDirectory | orv::kAttrReadOnly);
    machine.files.addFile("C:\\Fw\\notes.txt");
    machine.files.addFile("C:\\Fw\\v1.0\\deep.txt");

    std::vector<orv::DirectoryEntry> entries;
    ASSERT_TRUE(machine.findFiles("C:\\Fw\\*.*", &entries));
    std::vector<std::pair<std::string, std::uint32_t>> seen;
    for (const auto& e : entries) seen.emplace_back(e.name, e.attributes);
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, std::uint32_t>>{
                        {".", orv::kAttrDirectory},
                        {"..", orv::kAttrDirectory},
                        {"v1.0", orv::kAttrDirectory},
                        {"v2.0", orv::kAttrDirectory | orv::kAttrReadOnly},
                        {"notes.txt", orv::kAttrArchive}}));

    entries.clear();
    EXPECT_TRUE(machine.findFiles("C:\\Fw\\*.txt", &entries));
    EXPECT_EQ(entries.size(), 1u);
    entries.clear();
    EXPECT_FALSE(machine.findFiles("C:\\Missing\\*.*", &entries));
}

// CopyFile takes the source's attributes along and will not replace a read-only file.
TEST(SimFiles, CopyDeleteAndAttributesFollowWindows) {
    sim::Machine machine;
    machine.files.addFile("C:\\Src\\a.msi", "new", orv::kAttrReadOnly);
    machine.files.addFolder("C:\\Dst");

    EXPECT_TRUE(machine.copyFile("C:\\Src\\a.msi", "C:\\Dst\\a.msi", false));
    EXPECT_EQ(machine.files.contents("C:\\Dst\\a.msi"), "new");
    EXPECT_NE(machine.fileAttributes("C:\\Dst\\a.msi") & orv::kAttrReadOnly, 0u);
    EXPECT_FALSE(machine.copyFile("C:\\Src\\a.msi", "C:\\Dst\\a.msi", false));  // read-only target
    EXPECT_FALSE(machine.deleteFile("C:\\Dst\\a.msi"));

    EXPECT_TRUE(machine.setFileAttributes("C:\\Dst\\a.msi", orv::kAttrNormal));
    EXPECT_EQ(machine.fileAttributes("C:\\Dst\\a.msi"), orv::kAttrNormal);
    EXPECT_FALSE(machine.copyFile("C:\\Src\\a.msi", "C:\\Dst\\a.msi", true));  // exists
    EXPECT_FALSE(machine.copyFile("C:\\Src\\missing", "C:\\Dst\\b", false));
    EXPECT_FALSE(machine.copyFile("C:\\Src\\a.msi", "C:\\NoFolder\\a.msi", false));
    EXPECT_FALSE(machine.deleteFile("C:\\Dst"));  // a folder
    EXPECT_TRUE(machine.deleteFile("C:\\Dst\\a.msi"));
    EXPECT_FALSE(machine.files.isFile("C:\\Dst\\a.msi"));
}

// Where Windows is strict, the simulated machine is too: hidden and system files are not
// replaced, a file is not copied onto itself, a trailing backslash names no file, paths of 260
// characters fail, and a pattern matches the 8.3 name as well as the long one.
TEST(SimFiles, StrictWhereWindowsIsStrict) {
    sim::Machine machine;
    machine.files.addFile("C:\\Src\\a.cfg", "new");
    machine.files.addFile("C:\\Dst\\hidden.cfg", "old", orv::kAttrHidden);
    machine.files.addFile("C:\\Dst\\system.cfg", "old", orv::kAttrSystem);
    for (const char* target : {"C:\\Dst\\hidden.cfg", "C:\\Dst\\system.cfg"}) {
        SCOPED_TRACE(target);
        EXPECT_FALSE(machine.copyFile("C:\\Src\\a.cfg", target, false));
        EXPECT_EQ(machine.createFile(target), 0u);
        EXPECT_EQ(machine.files.contents(target), "old");
    }
    EXPECT_FALSE(machine.copyFile("C:\\Src\\a.cfg", "c:\\src\\A.CFG", false));
    EXPECT_EQ(machine.files.contents("C:\\Src\\a.cfg"), "new");

    EXPECT_EQ(machine.fileAttributes("C:\\Src\\a.cfg\\"), orv::kInvalidAttributes);
    EXPECT_EQ(machine.fileAttributes("C:\\Src\\"), orv::kAttrDirectory);
    EXPECT_FALSE(machine.copyFile("C:\\Src\\a.cfg", "C:\\Dst\\b.cfg\\", false));

    const std::string folder = "C:\\" + std::string(246, 'f');  // 249 characters
    machine.files.addFile(folder + "\\abcde.cfg");                   // 259: fits
    EXPECT_NE(machine.fileAttributes((folder + "\\abcde.cfg").c_str()), orv::kInvalidAttributes);
    machine.files.addFile(folder + "\\abcdef.cfg");                  // 260: too long for the ANSI calls
    EXPECT_EQ(machine.fileAttributes((folder + "\\abcdef.cfg").c_str()), orv::kInvalidAttributes);
    EXPECT_FALSE(machine.copyFile("C:\\Src\\a.cfg", (folder + "\\uvwxyz.cfg").c_str(), false));

    machine.files.addFile("C:\\Fw\\b.cfgx");
    machine.files.addFile("C:\\Fw\\a.cfg");
    machine.files.addFile("C:\\Fw\\long name.config");
    std::vector<orv::DirectoryEntry> entries;
    ASSERT_TRUE(machine.findFiles("C:\\Fw\\*.cfg", &entries));
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name);
    // "long name.config" is also "LONGNA~1.CON": no match.
    EXPECT_EQ(names, (std::vector<std::string>{"b.cfgx", "a.cfg"}));
}

TEST(SimFiles, CreateWriteCloseAndAFullDisk) {
    sim::Machine machine;
    machine.files.addFile("C:\\Prog\\bin\\qccil.cfg", "an older and longer content");
    const orv::FileHandle file = machine.createFile("C:\\Prog\\bin\\qccil.cfg");
    ASSERT_NE(file, 0u);
    EXPECT_EQ(machine.files.contents("C:\\Prog\\bin\\qccil.cfg"), "");
    EXPECT_TRUE(machine.writeFile(file, "-u\r\n"));
    machine.closeFile(file);
    EXPECT_EQ(machine.files.contents("C:\\Prog\\bin\\qccil.cfg"), "-u\r\n");
    EXPECT_EQ(machine.openFiles(), 0u);

    EXPECT_EQ(machine.createFile("C:\\Prog\\missing\\qccil.cfg"), 0u);
    machine.fail(sim::Op::WriteFile, "C:\\Prog\\bin\\qccil.cfg");
    const orv::FileHandle full = machine.createFile("C:\\Prog\\bin\\qccil.cfg");
    EXPECT_FALSE(machine.writeFile(full, "x"));
    machine.closeFile(full);
    EXPECT_EQ(machine.files.contents("C:\\Prog\\bin\\qccil.cfg"), "");
}

TEST(SimFiles, VersionResourcesAndProfileStrings) {
    sim::Machine machine;
    machine.files.addFile("C:\\Windows\\System32\\oledb32.dll");
    machine.files.setVersion("C:\\Windows\\System32\\oledb32.dll", 2, 81, 1117, 0);
    orv::FileVersion version;
    ASSERT_TRUE(machine.fileVersion("C:\\Windows\\System32\\OLEDB32.DLL", &version));
    EXPECT_EQ(version.mostSignificant, (2u << 16) | 81u);
    EXPECT_EQ(version.leastSignificant, 1117u << 16);
    machine.files.addFile("C:\\plain.txt");
    EXPECT_FALSE(machine.fileVersion("C:\\plain.txt", &version));

    machine.files.addFile("C:\\Prog\\uninstall.ini", "[Other]\nCount=9\n[program]\ncount = 0x2\nFile0=\"bin\\a.dll\"\n");
    EXPECT_EQ(machine.readProfileString("C:\\Prog\\uninstall.ini", "Program", "Count", "", 260), "0x2");
    EXPECT_EQ(machine.readProfileString("C:\\Prog\\uninstall.ini", "Program", "File0", "", 260), "bin\\a.dll");
    EXPECT_EQ(machine.readProfileString("C:\\Prog\\uninstall.ini", "Program", "File0", "", 4), "bin");
    EXPECT_EQ(machine.readProfileString("C:\\Prog\\uninstall.ini", "Program", "File1", "none", 260), "none");
    EXPECT_EQ(machine.readProfileString("C:\\Prog\\missing.ini", "Program", "Count", "", 260), "");
    // The fallback loses its trailing blanks; a bare file name lives in the Windows folder.
    EXPECT_EQ(machine.readProfileString("C:\\Prog\\missing.ini", "Program", "Count", " 7  ", 260), " 7");
    machine.files.addFile("C:\\Windows\\orv.ini", "[s]\nk=windows\n");
    machine.files.addFile("C:\\orv.ini", "[s]\nk=current\n");
    EXPECT_EQ(machine.readProfileString("orv.ini", "s", "k", "", 260), "windows");
}

// Listing a section's keys finds what reading them by name finds: keys as spelled, from every
// section of that name, with the file's own spelling kept ("File01" stays itself).
TEST(SimFiles, ProfileKeyListsFollowTheReads) {
    sim::Machine machine;
    machine.files.addFile("C:\\Prog\\uninstall.ini",
                          "[Program]\nCount=3\n file1 = a\n; File9=comment\nno equals sign\n[Other]\nFile2=b\n"
                          "[PROGRAM]\nFile01=c\n");
    EXPECT_EQ(machine.readProfileKeys("C:\\Prog\\uninstall.ini", "program"),
              (std::vector<std::string>{"Count", "file1", "File01"}));
    EXPECT_EQ(machine.readProfileString("C:\\Prog\\uninstall.ini", "Program", "File1", "", 260), "a");
    EXPECT_EQ(machine.readProfileString("C:\\Prog\\uninstall.ini", "Program", "File01", "", 260), "c");
    EXPECT_TRUE(machine.readProfileKeys("C:\\Prog\\uninstall.ini", "Missing").empty());
    EXPECT_TRUE(machine.readProfileKeys("C:\\Prog\\missing.ini", "Program").empty());

    machine.fail(sim::Op::ReadProfile, "c:\\prog\\UNINSTALL.INI");
    EXPECT_TRUE(machine.readProfileKeys("C:\\Prog\\uninstall.ini", "Program").empty());
}

TEST(SimInterface, MessageBoxesTakeScriptedAnswersInOrder) {
    sim::Machine machine;
    machine.desktop.answers = {orv::kIdYes, orv::kIdNo};
    EXPECT_EQ(machine.messageBox("q1", "c", 0x40024), orv::kIdYes);
    EXPECT_EQ(machine.messageBox("q2", "c", 0x40024), orv::kIdNo);
    EXPECT_EQ(machine.messageBox("q3", "c", 0x40024), 0);  // nothing scripted: as a failed box
    EXPECT_EQ(machine.desktop.messageBoxes.size(), 3u);
}

TEST(SimInterface, FakeLibrariesLogTheirCallsAndProgramsAreRecorded) {
    sim::Machine machine;
    std::string installedWith;
    machine.desktop.libraries["C:\\Halyard\\Bin\\register.dll"].intExports["AgentServiceExists"] = [] { return 8; };
    machine.desktop.libraries["C:\\Halyard\\Bin\\register.dll"].textExports["InstallAgentService"] =
        [&](const std::string& path) { installedWith = path; };

    const orv::LibraryHandle library = machine.loadLibrary("c:\\halyard\\bin\\REGISTER.DLL");
    ASSERT_NE(library, 0u);
    EXPECT_EQ(machine.findExport(library, "ACTDServiceExists"), 0u);
    EXPECT_EQ(machine.callIntExport(machine.findExport(library, "AgentServiceExists")), 8);
    machine.callTextExport(machine.findExport(library, "InstallAgentService"), "C:\\Halyard\\bin\\hlocate.exe");
    machine.freeLibrary(library);

    EXPECT_EQ(installedWith, "C:\\Halyard\\bin\\hlocate.exe");
    EXPECT_EQ(machine.desktop.libraryCalls.size(), 2u);
    EXPECT_EQ(machine.desktop.libraryCalls[1].argument, "C:\\Halyard\\bin\\hlocate.exe");
    EXPECT_EQ(machine.loadedLibraries(), 0u);
    EXPECT_EQ(machine.loadLibrary("C:\\missing.dll"), 0u);

    EXPECT_TRUE(machine.shellExecute("C:\\Prog\\bin\\axreg.exe", "latlib.tlb", "C:\\Prog\\bin", 7));
    EXPECT_EQ(machine.desktop.programsStarted[0], (sim::ProgramStart{"C:\\Prog\\bin\\axreg.exe", "latlib.tlb", "C:\\Prog\\bin", 7}));
}

TEST(SimInterface, LocaleCaseRules) {
    sim::Machine machine;
    EXPECT_EQ(machine.upperCase("qpr\xE9sum\xE9"), "QPR\xC9SUM\xC9");
    EXPECT_EQ(machine.compareIgnoreCase("C:\\Orvanta Shared", "c:\\ORVANTA SHARED"), 0);
    EXPECT_EQ(machine.compareIgnoreCase("C:\\\xE9t\xE9", "C:\\\xC9T\xC9"), 0);
    EXPECT_LT(machine.compareIgnoreCase("a", "B"), 0);
}

// lstrcmpi compares as the locale sorts, not byte by byte after upper-casing.
TEST(SimInterface, CompareIgnoreCaseFollowsTheLocale) {
    sim::Machine machine;
    struct Case {
        const char* left;
        const char* right;
        int sign;
    };
    const Case cases[] = {
        {"Stra\xDF" "e", "STRASSE", 0},  // sharp s is "ss"
        {"\xC6ther", "aether", 0},         // the ligature is its two letters
        {"e", "\xE9", -1},                 // a plain letter before its accented one...
        {"\xE9", "f", -1},                 // ...which still sorts before the next letter
        {"coop", "co-op", -1},            // a hyphen counts only after everything else
        {"oneil", "o'neil", -1},          // and so does an apostrophe
        {"coop", "co-op2", -1},
        {"_a", "1", -1},                  // punctuation before digits, whatever the bytes say
        {"9", "a", -1},                   // digits before letters
        {"[x]", "ax", -1},                // '[' (0x5B) is not between 'Z' and 'a' here
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.left) + " / " + c.right);
        const int result = machine.compareIgnoreCase(c.left, c.right);
        EXPECT_EQ((result > 0) - (result < 0), c.sign);
        const int reverse = machine.compareIgnoreCase(c.right, c.left);
        EXPECT_EQ((reverse > 0) - (reverse < 0), -c.sign);
    }
}

// A fault names one operation on one subject, and only that fails.
TEST(SimFaults, OneOperationOnOneSubject) {
    sim::Machine machine;
    machine.files.addFile("C:\\a.txt");
    machine.files.addFile("C:\\b.txt");
    machine.fail(sim::Op::DeleteFile, "c:\\A.TXT");
    EXPECT_FALSE(machine.deleteFile("C:\\a.txt"));
    EXPECT_TRUE(machine.deleteFile("C:\\b.txt"));

    machine.session.properties["P"] = "v";
    machine.fail(sim::Op::GetProperty, "P", orv::kErrorInvalidHandle);
    char buffer[260];
    std::uint32_t length = sizeof buffer;
    EXPECT_EQ(machine.msiGetProperty(machine.session.handle, "P", buffer, &length), orv::kErrorInvalidHandle);

    machine.clearFaults();
    EXPECT_TRUE(machine.deleteFile("C:\\a.txt"));
}

}  // namespace
