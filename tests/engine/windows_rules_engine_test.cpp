// The rules of Windows that the simulated machine models for the actions, as the engine here shows
// them: the harness's CallWindows action makes the calls inside msiexec's custom-action host and
// reports what they gave. Where Wine differs from Windows (and so from the simulated machine), the
// row says so and expects what Wine does; ENGINE_NOTES.md ("Windows calls inside the engine") has
// the runs.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "engine.h"
#include "engine_test.h"

namespace {

using engine::Engine;

struct RuleCase {
    const char* check;                             // CALLS_CHECK, one of probe/calls.cpp's checks
    std::map<std::string, std::string> findings;  // what the calls gave
};

void PrintTo(const RuleCase& c, std::ostream* out) { *out << c.check; }

class WindowsRulesInEngine : public EngineTest, public ::testing::WithParamInterface<RuleCase> {};

TEST_P(WindowsRulesInEngine, CallsGiveWhatTheEngineHereGives) {
    const RuleCase& c = GetParam();
    Engine& engine = Engine::shared();
    engine::Scenario scenario;
    scenario.package.actions = {{engine.probeDll(), "CallWindows"}};
    scenario.package.properties = {{"CALLS_CHECK", c.check}};
    scenario.package.directories = {"SHARED_FILES_DIR"};
    const engine::Outcome outcome = engine.run(scenario);
    const engine::ProbeStage* calls = outcome.probe.stage("calls");
    ASSERT_TRUE(calls != nullptr && calls->complete) << outcome.log();
    EXPECT_EQ(calls->calls, c.findings);
}

const RuleCase kRules[] = {
    // Wine differs from Windows: Windows refuses to replace a hidden or a system file, with
    // CopyFile and with CreateFile(CREATE_ALWAYS) when the new attributes lack the old one
    // (ERROR_ACCESS_DENIED, 5); Wine replaces both.
    {"ReplaceHiddenOrSystemFile",
     {{"hidden file attributes", "0x22"},
      {"CopyFile onto a hidden file", "ok"},
      {"hidden file after CopyFile", "new"},
      {"CreateFile(CREATE_ALWAYS) onto a hidden file", "ok"},
      {"system file attributes", "0x24"},
      {"CopyFile onto a system file", "ok"},
      {"system file after CopyFile", "new"},
      {"CreateFile(CREATE_ALWAYS) onto a system file", "ok"}}},
    // Both spellings fail with a sharing violation, and the file is untouched.
    {"CopyOntoItself",
     {{"CopyFile onto itself", "error 32"},
      {"CopyFile onto itself in other letter case", "error 32"},
      {"file after", "kept"}}},
    // A trailing backslash names a folder only: an existing file so named is not found
    // (ERROR_PATH_NOT_FOUND), and none can be made (ERROR_INVALID_NAME).
    {"TrailingBackslash",
     {{"GetFileAttributes of an existing file with a trailing backslash", "error 3"},
      {"CreateFile(CREATE_ALWAYS) with a trailing backslash", "error 123"},
      {"CopyFile to a name with a trailing backslash", "error 123"},
      {"GetFileAttributes of the folder with a trailing backslash", "0x10"}}},
    // Wine differs from Windows: the ANSI calls of Windows refuse a path of MAX_PATH (260)
    // characters or more; Wine creates and finds the file.
    {"LongPaths",
     {{"CreateFile(CREATE_ALWAYS) of 259 characters", "ok"},
      {"GetFileAttributes of 259 characters", "0x20"},
      {"CreateFile(CREATE_ALWAYS) of 260 characters", "ok"},
      {"GetFileAttributes of 260 characters", "0x20"}}},
    // Wine differs from Windows: a file left with no attribute reads back as NORMAL (0x80) on
    // Windows; Wine gives ARCHIVE (0x20).
    {"NormalAttribute",
     {{"attributes before", "0x21"}, {"SetFileAttributes(NORMAL)", "ok"}, {"attributes after", "0x20"}}},
    // The fallback loses its trailing blanks; a bare file name is looked for in the Windows
    // folder, not the current one.
    {"ProfileStrings",
     {{"fallback with trailing blanks", "\"fallback\" (8)"}, {"bare file name", "\"from the Windows folder\" (23)"}}},
    // "*.cfg" also matches the short name Wine gives a.cfgx.
    {"ShortNamePatterns", {{"*.cfg finds", "a.cfgx,b.cfg"}, {"short names", "A~~~~OTX.CFG"}}},
    // Windows gives no order (FAT lists in order of creation, NTFS by name); Wine sorts by name.
    {"ListingOrder", {{"*.txt, made as zz b A c", "A.txt,b.txt,c.txt,zz.txt"}}},
    // lstrcmpi by the locale's rules. Ligatures equal their letters; hyphen and apostrophe are
    // passed over first, and a text with one sorts after the same text without it; punctuation
    // before digits before letters; an accent counts only between otherwise equal texts.
    {"LocaleCompare",
     {{"Stra\xdf" "e : STRASSE", "equal"},
      {"\xe6on : AEON", "equal"},
      {"co-op : coop", "greater"},
      {"co-op : cob", "greater"},
      {"a-b : ab", "greater"},
      {"o'neil : oneil", "greater"},
      {"_ : 0", "less"},
      {"0 : a", "less"},
      {"e : \xe9", "less"},
      {"\xe9 : f", "less"},
      {"caf\xe9 : CAFE", "greater"}}},
    // ERROR_DIRECTORY for a name not in the Directory table; a path without its backslash gets
    // one, in the target path and the directory's property alike.
    {"SetTargetPath",
     {{"MsiSetTargetPath of a name not in the Directory table", "267"},
      {"MsiSetTargetPath without a trailing backslash", "0"},
      {"property after", "C:\\Elsewhere\\"},
      {"target path after", "C:\\Elsewhere\\"}}},
    // ERROR_MORE_DATA with the length in bytes, twice the five characters; what fits is filled in.
    {"PropertyLength",
     {{"MsiGetPropertyA into three characters", "234, size 10"},
      {"buffer after", "12"},
      {"MsiGetPropertyA with size 0", "234, size 10"}}},
};

INSTANTIATE_TEST_SUITE_P(Checks, WindowsRulesInEngine, ::testing::ValuesIn(kRules),
                         [](const auto& info) { return std::string(info.param.check); });

}  // namespace
