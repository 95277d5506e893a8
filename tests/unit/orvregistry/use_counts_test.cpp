// The shared folders' use counts: which features qualify, how stored counts are raised, where
// each record lies, and how a failure stops the counting and fails the installation.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cases.h"
#include "orvregistry_run.h"

namespace {

constexpr const char* kSharedRoot = "Software\\Orvanta\\Orvanta Shared";
constexpr const char* kData = "Software\\Orvanta\\Orvanta Shared\\Data";
constexpr const char* kDictionary = "Software\\Orvanta\\Orvanta Shared\\SampleDictionary";
constexpr const char* kImages = "Software\\Orvanta\\Orvanta Shared\\Image Files";
constexpr const char* kHelp = "Software\\Orvanta\\Orvanta Shared\\MSHelp";
constexpr const char* kTableWorkbench = "Software\\Orvanta\\TWB\\7.0";
constexpr const char* kUninstallInfo = "Software\\Orvanta\\Quillon\\7.0\\UnInstInfo";
const char* const kRecordKeys[] = {kData, kDictionary, kImages, kHelp, kTableWorkbench};

constexpr std::uint32_t kFailure = orv::kErrorInstallFailure;

struct Record {
    const char* key;
    const char* useCount;
    const char* rootDir;
};

// The five features, none of them installed or requested; a case overrides what it needs.
std::map<std::string, sim::States> features(std::map<std::string, sim::States> overrides) {
    std::map<std::string, sim::States> all = {
        {"MainProgramFiles", {kAbsent, kNone}},      {"SampleDataFiles", {kAbsent, kNone}},
        {"ImageFiles", {kAbsent, kNone}},            {"MicrosoftSDKHelpFiles", {kAbsent, kNone}},
        {"TableWorkbench", {kAbsent, kNone}}};
    for (auto& [name, states] : overrides) all[name] = states;
    return all;
}

sim::Machine installation(const std::map<std::string, sim::States>& states) {
    sim::Machine machine;
    machine.session.properties = {{"REG_PRODUCT", "Quillon"}, {"REG_VERSION", "7.0"},
                                  {"SHARED_FILES_DIR", "C:\\Shared\\"}, {"OSTWB", "D:\\TWB\\"}};
    machine.session.features = states;
    return machine;
}

struct CountCase {
    const char* situation;
    std::map<std::string, sim::States> features;
    Properties properties;        // over the defaults of installation()
    void (*seed)(sim::Machine&);  // stored records and refusals; nullptr: a clean machine
    std::vector<Record> records;  // the records written; every other one stays as it was
    std::map<std::string, std::string> usage;  // the values under UnInstInfo afterwards
    std::optional<std::string> sharedFilesDir;
    std::uint32_t result;
};

class BumpSharedUseCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(BumpSharedUseCount, RaisesTheCountOfEveryFolderThisInstallationKeeps) {
    const CountCase& c = GetParam();
    sim::Machine machine = installation(c.features);
    for (const auto& [name, value] : c.properties) machine.session.properties[name] = value;
    if (c.seed) c.seed(machine);
    std::map<std::string, std::map<std::string, std::string>> before;
    for (const char* key : kRecordKeys) before[key] = stringsOf(machine, key);

    EXPECT_EQ(run(machine, "BumpSharedUseCount"), c.result);

    std::map<std::string, std::map<std::string, std::string>> expected = before;
    for (const Record& record : c.records) expected[record.key] = {{"RootDir", record.rootDir}, {"UseCount", record.useCount}};
    for (const char* key : kRecordKeys) EXPECT_EQ(stringsOf(machine, key), expected[key]) << key;
    EXPECT_EQ(stringsOf(machine, kUninstallInfo), c.usage);
    EXPECT_EQ(machine.hklm.string(kSharedRoot, "SharedFilesDir"), c.sharedFilesDir);
    EXPECT_TRUE(machine.desktop.messageBoxes.empty());
    EXPECT_EQ(machine.openKeys(), 0u);
}

const std::map<std::string, std::string> kNoUsage;

INSTANTIATE_TEST_SUITE_P(
    OrvRegistry, BumpSharedUseCount,
    ::testing::Values(
        CountCase{"a clean machine with the sample data requested", features({{"SampleDataFiles", {kAbsent, kLocal}}}),
                  {}, nullptr,
                  {{kData, "1", "C:\\Shared\\Data"}, {kDictionary, "1", "C:\\Shared\\SampleDictionary"}},
                  {{"UseSharedData", "TRUE"}}, "C:\\Shared", orv::kSuccess},
        CountCase{"every feature requested",
                  features({{"SampleDataFiles", {kAbsent, kLocal}}, {"ImageFiles", {kAbsent, kLocal}},
                            {"MicrosoftSDKHelpFiles", {kAbsent, kLocal}}, {"TableWorkbench", {kAbsent, kLocal}}}),
                  {},
                  [](sim::Machine& m) {
                      m.hklm.setString(kData, "UseCount", "4");
                      m.hklm.setString(kImages, "UseCount", "-3");
                      m.hklm.setString(kTableWorkbench, "UseCount", "1");
                  },
                  {{kData, "5", "C:\\Shared\\Data"}, {kDictionary, "1", "C:\\Shared\\SampleDictionary"},
                   {kImages, "-2", "C:\\Shared\\Images"}, {kHelp, "1", "C:\\Shared\\MSHelp"},
                   {kTableWorkbench, "2", "D:\\TWB"}},
                  {{"UseSharedData", "TRUE"}, {"UseSharedImages", "TRUE"}, {"UseSharedMSHelp", "TRUE"},
                   {"UseSharedTWB", "TRUE"}},
                  "C:\\Shared", orv::kSuccess},
        CountCase{"images installed and kept while the program files are requested",
                  features({{"MainProgramFiles", {kAbsent, kLocal}}, {"ImageFiles", {kLocal, kNone}}}), {}, nullptr,
                  {{kImages, "1", "C:\\Shared\\Images"}}, {{"UseSharedImages", "TRUE"}}, "C:\\Shared", orv::kSuccess},
        CountCase{"images installed while the program files are not requested",
                  features({{"MainProgramFiles", {kLocal, kNone}}, {"ImageFiles", {kLocal, kNone}}}), {}, nullptr, {},
                  kNoUsage, "C:\\Shared", orv::kSuccess},
        CountCase{"images installed and being removed while the program files are requested",
                  features({{"MainProgramFiles", {kLocal, kLocal}}, {"ImageFiles", {kLocal, kAbsent}}}), {}, nullptr,
                  {{kImages, "1", "C:\\Shared\\Images"}}, {{"UseSharedImages", "TRUE"}}, "C:\\Shared", orv::kSuccess},
        CountCase{"help requested absent or from the source, and not installed",
                  features({{"MainProgramFiles", {kAbsent, kLocal}}, {"MicrosoftSDKHelpFiles", {kAbsent, kAbsent}},
                            {"ImageFiles", {kSource, kSource}}}),
                  {}, [](sim::Machine& m) { m.hklm.setString(kHelp, "UseCount", "3"); }, {}, kNoUsage, "C:\\Shared",
                  orv::kSuccess},
        CountCase{"help run from the source but installed locally",
                  features({{"MainProgramFiles", {kAbsent, kLocal}}, {"MicrosoftSDKHelpFiles", {kLocal, kSource}}}),
                  {}, [](sim::Machine& m) { m.hklm.setString(kHelp, "UseCount", "3"); },
                  {{kHelp, "4", "C:\\Shared\\MSHelp"}}, {{"UseSharedMSHelp", "TRUE"}}, "C:\\Shared", orv::kSuccess},
        CountCase{"only the table workbench, recorded outside the shared root",
                  features({{"TableWorkbench", {kAbsent, kLocal}}}), {{"OSTWB", "D:\\TWB\\"}}, nullptr,
                  {{kTableWorkbench, "1", "D:\\TWB"}}, {{"UseSharedTWB", "TRUE"}}, "C:\\Shared", orv::kSuccess},
        CountCase{"a package without the features", {}, {}, nullptr, {}, kNoUsage, "C:\\Shared", orv::kSuccess},
        CountCase{"the shared folder without its backslash", features({{"ImageFiles", {kAbsent, kLocal}}}),
                  {{"SHARED_FILES_DIR", "C:\\Shared"}}, nullptr, {{kImages, "1", "C:\\Shared\\Images"}},
                  {{"UseSharedImages", "TRUE"}}, "C:\\Shared", orv::kSuccess},
        CountCase{"two trailing backslashes lose one", features({{"ImageFiles", {kAbsent, kLocal}}}),
                  {{"SHARED_FILES_DIR", "C:\\Shared\\\\"}}, nullptr, {{kImages, "1", "C:\\Shared\\\\Images"}},
                  {{"UseSharedImages", "TRUE"}}, "C:\\Shared\\", orv::kSuccess},
        CountCase{"an empty shared folder", features({{"ImageFiles", {kAbsent, kLocal}}}), {{"SHARED_FILES_DIR", ""}},
                  nullptr, {{kImages, "1", "\\Images"}}, {{"UseSharedImages", "TRUE"}}, "", orv::kSuccess},
        CountCase{"a record that cannot be created is skipped", features({{"ImageFiles", {kAbsent, kLocal}}}), {},
                  [](sim::Machine& m) { m.fail(sim::Op::RegCreateKey, kImages, orv::kErrorAccessDenied); }, {},
                  {{"UseSharedImages", "TRUE"}}, "C:\\Shared", orv::kSuccess},
        CountCase{"UnInstInfo that cannot be created is skipped", features({{"ImageFiles", {kAbsent, kLocal}}}), {},
                  [](sim::Machine& m) { m.fail(sim::Op::RegCreateKey, kUninstallInfo, orv::kErrorAccessDenied); },
                  {{kImages, "1", "C:\\Shared\\Images"}}, kNoUsage, "C:\\Shared", orv::kSuccess},
        CountCase{"no product key: the usage flags are skipped", features({{"ImageFiles", {kAbsent, kLocal}}}),
                  {{"REG_PRODUCT", ""}}, nullptr, {{kImages, "1", "C:\\Shared\\Images"}}, kNoUsage, "C:\\Shared",
                  orv::kSuccess},
        CountCase{"a shared root that refuses writing",
                  features({{"SampleDataFiles", {kAbsent, kLocal}}, {"TableWorkbench", {kAbsent, kLocal}}}), {},
                  [](sim::Machine& m) { m.fail(sim::Op::RegCreateKey, kSharedRoot, orv::kErrorAccessDenied); }, {},
                  kNoUsage, std::nullopt, kFailure},
        CountCase{"SharedFilesDir refused", features({{"SampleDataFiles", {kAbsent, kLocal}}}), {},
                  [](sim::Machine& m) { m.fail(sim::Op::RegSetValue, kSharedRoot, orv::kErrorAccessDenied); }, {},
                  kNoUsage, std::nullopt, kFailure},
        // The usage flag of the failed folder is still set; nothing after it is written.
        CountCase{"the Data record refused",
                  features({{"SampleDataFiles", {kAbsent, kLocal}}, {"ImageFiles", {kAbsent, kLocal}}}), {},
                  [](sim::Machine& m) { m.fail(sim::Op::RegSetValue, kData, orv::kErrorAccessDenied); }, {},
                  {{"UseSharedData", "TRUE"}}, "C:\\Shared", kFailure},
        CountCase{"the first usage flag refused",
                  features({{"SampleDataFiles", {kAbsent, kLocal}}, {"ImageFiles", {kAbsent, kLocal}}}), {},
                  [](sim::Machine& m) { m.fail(sim::Op::RegSetValue, kUninstallInfo, orv::kErrorAccessDenied); },
                  {{kData, "1", "C:\\Shared\\Data"}}, kNoUsage, "C:\\Shared", kFailure},
        // An unreadable folder would be recorded as an empty one over the folder other products use.
        CountCase{"a shared folder too long to read", features({{"SampleDataFiles", {kAbsent, kLocal}}}),
                  {{"SHARED_FILES_DIR", std::string(260, 's')}},
                  [](sim::Machine& m) { m.hklm.setString(kSharedRoot, "SharedFilesDir", "C:\\Common"); }, {}, kNoUsage,
                  "C:\\Common", kFailure},
        CountCase{"a table-workbench folder too long to read, the workbench counted",
                  features({{"ImageFiles", {kAbsent, kLocal}}, {"TableWorkbench", {kAbsent, kLocal}}}),
                  {{"OSTWB", std::string(260, 't')}}, nullptr, {{kImages, "1", "C:\\Shared\\Images"}},
                  {{"UseSharedImages", "TRUE"}}, "C:\\Shared", kFailure},
        CountCase{"a table-workbench folder too long to read, the workbench not counted",
                  features({{"ImageFiles", {kAbsent, kLocal}}}), {{"OSTWB", std::string(260, 't')}}, nullptr,
                  {{kImages, "1", "C:\\Shared\\Images"}}, {{"UseSharedImages", "TRUE"}}, "C:\\Shared",
                  orv::kSuccess}),
    NamedBySituation());

struct StoredCase {
    const char* situation;
    std::uint32_t type;
    std::string data;  // raw, as stored
    const char* raised;
};

class BumpSharedUseCountStored : public ::testing::TestWithParam<StoredCase> {};

// A stored count that is a whole decimal number is raised by one; anything else counts as none.
TEST_P(BumpSharedUseCountStored, RaisesWhatIsStoredOrStartsAtOne) {
    const StoredCase& c = GetParam();
    sim::Machine machine = installation(features({{"SampleDataFiles", {kAbsent, kLocal}}}));
    machine.hklm.setValue(kData, "UseCount", c.type, c.data);
    EXPECT_EQ(run(machine, "BumpSharedUseCount"), orv::kSuccess);
    EXPECT_EQ(machine.hklm.string(kData, "UseCount"), c.raised);
}

std::string sz(const std::string& text) { return std::string(text.c_str(), text.size() + 1); }

INSTANTIATE_TEST_SUITE_P(
    OrvRegistry, BumpSharedUseCountStored,
    ::testing::Values(StoredCase{"four", orv::kRegSz, sz("4"), "5"},
                      StoredCase{"minus three has no lower bound", orv::kRegSz, sz("-3"), "-2"},
                      StoredCase{"an expandable string", orv::kRegExpandSz, sz("7"), "8"},
                      StoredCase{"empty", orv::kRegSz, sz(""), "1"},
                      StoredCase{"letters", orv::kRegSz, sz("many"), "1"},
                      StoredCase{"a number with text after it", orv::kRegSz, sz("4 users"), "1"},
                      StoredCase{"past the 32-bit range", orv::kRegSz, sz("2147483648"), "1"},
                      StoredCase{"ten thousand digits", orv::kRegSz, sz(std::string(10000, '9')), "1"},
                      StoredCase{"a REG_DWORD", orv::kRegDword, std::string("\x04\0\0\0", 4), "1"},
                      // Wrapping would make the count negative.
                      StoredCase{"the largest count stays", orv::kRegSz, sz("2147483647"), "2147483647"}),
    NamedBySituation());

// The log names each decision; folders from hidden properties stay hidden.
TEST(BumpSharedUseCountLog, SaysWhatWasCountedAndWhy) {
    sim::Machine machine = installation(features({{"ImageFiles", {kAbsent, kLocal}}}));
    machine.session.properties["MsiHiddenProperties"] = "SHARED_FILES_DIR";
    run(machine, "BumpSharedUseCount");
    EXPECT_EQ(logOf(machine, "OrvRegistry.BumpSharedUseCount: "),
              (std::vector<std::string>{
                  "SharedFilesDir **********",
                  "SampleDataFiles not counted (installed 2, action -1; MainProgramFiles installed 2, action -1)",
                  "Image Files: UseCount 1, RootDir **********",
                  "UseSharedImages TRUE under \"Software\\Orvanta\\Quillon\\7.0\\UnInstInfo\"",
                  "MicrosoftSDKHelpFiles not counted (installed 2, action -1; MainProgramFiles installed 2, action -1)",
                  "TableWorkbench not counted (installed 2, action -1; MainProgramFiles installed 2, action -1)",
              }));

    sim::Machine refused = installation(features({{"ImageFiles", {kAbsent, kLocal}}}));
    refused.fail(sim::Op::RegCreateKey, kSharedRoot, orv::kErrorAccessDenied);
    run(refused, "BumpSharedUseCount");
    EXPECT_EQ(logOf(refused, "OrvRegistry.BumpSharedUseCount: ").front(),
              "the shared root cannot be opened: nothing more recorded; result 1603");
}

}  // namespace
