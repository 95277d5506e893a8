// The broker's two services registered through its own library: when the library is loaded,
// which entry points are called with what, the question before registering again, and the
// library released afterwards.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "cases.h"
#include "orvregistry_run.h"

namespace {

constexpr const char* kLibrary = "C:\\HalORB\\Bin\\register.dll";
constexpr std::uint32_t kQuestionStyle = 0x40024;  // MB_TOPMOST | MB_ICONQUESTION | MB_YESNO
constexpr int kRegistered = 8;

// The broker library's entry points: an existence test answers as given, or is missing
// (nullopt); the installers are there or not.
sim::FakeLibrary broker(std::optional<int> agent, std::optional<int> actd, bool installers) {
    sim::FakeLibrary library;
    if (agent) library.intExports["AgentServiceExists"] = [answer = *agent] { return answer; };
    if (actd) library.intExports["ACTDServiceExists"] = [answer = *actd] { return answer; };
    if (installers) {
        library.textExports["InstallAgentService"] = [](const std::string&) {};
        library.textExports["InstallACTDService"] = [](const std::string&) {};
    }
    return library;
}

sim::LibraryCall call(const char* function, const char* argument = "", const char* library = kLibrary) {
    return {library, function, argument};
}

const std::vector<sim::LibraryCall> kBothRegistered = {
    call("AgentServiceExists"), call("InstallAgentService", "C:\\HalORB\\bin\\hlocate.exe"),
    call("ACTDServiceExists"), call("InstallACTDService", "C:\\HalORB\\bin\\actd.exe")};

struct BrokerCase {
    const char* situation;
    sim::States component;
    Properties properties;  // over VersionNT 501 and HALORB_DIR C:\HalORB
    std::optional<int> agent;
    std::optional<int> actd;
    bool installers;
    std::vector<int> answers;
    std::vector<std::uint32_t> questions;  // string ids, in the order asked
    std::vector<sim::LibraryCall> calls;
};

class RegisterHalORB : public ::testing::TestWithParam<BrokerCase> {};

TEST_P(RegisterHalORB, RegistersEachServiceUnlessTheUserKeepsTheOldRegistration) {
    const BrokerCase& c = GetParam();
    sim::Machine machine;
    machine.session.components["hlocate_exe"] = c.component;
    machine.session.properties = {{"VersionNT", "501"}, {"HALORB_DIR", "C:\\HalORB"}};
    for (const auto& [name, value] : c.properties) machine.session.properties[name] = value;
    machine.desktop.libraries[kLibrary] = broker(c.agent, c.actd, c.installers);
    machine.desktop.answers.assign(c.answers.begin(), c.answers.end());

    EXPECT_EQ(run(machine, "RegisterHalORB"), orv::kSuccess);

    std::vector<sim::MessageBoxShown> asked;
    for (std::uint32_t id : c.questions) asked.push_back({text(id), "Reinstall Halyard Components", kQuestionStyle});
    EXPECT_EQ(machine.desktop.messageBoxes, asked);
    EXPECT_EQ(machine.desktop.libraryCalls, c.calls);
    EXPECT_EQ(machine.loadedLibraries(), 0u);
}

const sim::States kRequested = {kAbsent, kLocal};

INSTANTIATE_TEST_SUITE_P(
    OrvRegistry, RegisterHalORB,
    ::testing::Values(
        BrokerCase{"neither service registered yet", kRequested, {}, 0, 0, true, {}, {}, kBothRegistered},
        BrokerCase{"installed locally and left alone", {kLocal, kNone}, {}, 0, 0, true, {}, {}, kBothRegistered},
        BrokerCase{"the component neither installed nor requested locally", {kAbsent, kSource}, {}, 0, 0, true, {},
                   {}, {}},
        BrokerCase{"the component unknown to the package", {kNone, kNone}, {}, 0, 0, true, {}, {}, {}},
        BrokerCase{"not an NT system", kRequested, {{"VersionNT", ""}}, 0, 0, true, {}, {}, {}},
        BrokerCase{"the agent registered and kept, No", kRequested, {}, kRegistered, 0, true, {orv::kIdNo}, {108},
                   {call("AgentServiceExists"), call("ACTDServiceExists"),
                    call("InstallACTDService", "C:\\HalORB\\bin\\actd.exe")}},
        BrokerCase{"the agent registered again, Yes", kRequested, {}, kRegistered, 0, true, {orv::kIdYes}, {108},
                   kBothRegistered},
        BrokerCase{"both registered, No then Yes", kRequested, {}, kRegistered, kRegistered, true,
                   {orv::kIdNo, orv::kIdYes}, {108, 109},
                   {call("AgentServiceExists"), call("ACTDServiceExists"),
                    call("InstallACTDService", "C:\\HalORB\\bin\\actd.exe")}},
        BrokerCase{"both registered, both questions unanswered", kRequested, {}, kRegistered, kRegistered, true, {},
                   {108, 109}, kBothRegistered},
        BrokerCase{"both registered in a silent installation", kRequested, {{"UILevel", "2"}}, kRegistered,
                   kRegistered, true, {}, {}, kBothRegistered},
        BrokerCase{"any answer but 8 means not registered", kRequested, {}, 7, -8, true, {}, {}, kBothRegistered},
        BrokerCase{"only the existence tests exported", kRequested, {}, kRegistered, 0, false, {orv::kIdYes}, {108},
                   {call("AgentServiceExists"), call("ACTDServiceExists")}},
        BrokerCase{"no agent test: the agent skipped", kRequested, {}, std::nullopt, 0, true, {}, {},
                   {call("ACTDServiceExists"), call("InstallACTDService", "C:\\HalORB\\bin\\actd.exe")}},
        BrokerCase{"no existence test at all", kRequested, {}, std::nullopt, std::nullopt, true, {}, {}, {}}),
    NamedBySituation());

// The library is loaded only from a full path of at most 259 characters, built as the folder
// followed by "\Bin\register.dll"; the executables' paths are passed on as built.
TEST(RegisterHalORBPaths, LoadsTheLibraryOnlyByAFullPath) {
    struct Case {
        const char* situation;
        std::string folder;
        bool registered;
    };
    const std::string longFolder = "C:\\" + std::string(247, 'h');
    const Case cases[] = {
        {"a folder ending with a backslash", "C:\\HalORB\\", true},
        {"a share", "\\\\server\\share\\HalORB", true},
        {"the longest folder that fits", "C:\\" + std::string(239, 'h'), true},
        {"an empty folder", "", false},
        {"a relative folder", "HalORB", false},
        {"a folder relative to a drive's current folder", "C:HalORB", false},
        {"a folder of 250 characters", longFolder, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.situation);
        const std::string library = c.folder + "\\Bin\\register.dll";
        sim::Machine machine;
        machine.session.components["hlocate_exe"] = kRequested;
        machine.session.properties = {{"VersionNT", "501"}, {"HALORB_DIR", c.folder}};
        // Planted wherever a search could find it: any load at all would call it.
        machine.desktop.libraries[library] = broker(0, 0, true);
        machine.desktop.libraries["register.dll"] = broker(0, 0, true);

        EXPECT_EQ(run(machine, "RegisterHalORB"), orv::kSuccess);

        std::vector<sim::LibraryCall> expected;
        if (c.registered) {
            const std::string agent = c.folder + "\\bin\\hlocate.exe";
            const std::string actd = c.folder + "\\bin\\actd.exe";
            expected = {call("AgentServiceExists", "", library.c_str()),
                        call("InstallAgentService", agent.c_str(), library.c_str()),
                        call("ACTDServiceExists", "", library.c_str()),
                        call("InstallACTDService", actd.c_str(), library.c_str())};
        }
        EXPECT_EQ(machine.desktop.libraryCalls, expected);
        EXPECT_EQ(machine.loadedLibraries(), 0u);
    }
}

TEST(RegisterHalORBPaths, AMissingLibraryOrAnUnreadableFolderRegistersNothing) {
    struct Case {
        const char* situation;
        void (*seed)(sim::Machine&);
    };
    const Case cases[] = {
        {"no library in the folder", [](sim::Machine& m) { m.desktop.libraries.clear(); }},
        {"the library refuses to load", [](sim::Machine& m) { m.fail(sim::Op::LoadLibrary, kLibrary); }},
        {"a folder too long to read",
         [](sim::Machine& m) { m.session.properties["HALORB_DIR"] = "C:\\" + std::string(257, 'h'); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.situation);
        sim::Machine machine;
        machine.session.components["hlocate_exe"] = kRequested;
        machine.session.properties = {{"VersionNT", "501"}, {"HALORB_DIR", "C:\\HalORB"}};
        machine.desktop.libraries[kLibrary] = broker(0, 0, true);
        c.seed(machine);
        EXPECT_EQ(run(machine, "RegisterHalORB"), orv::kSuccess);
        EXPECT_TRUE(machine.desktop.libraryCalls.empty());
        EXPECT_TRUE(machine.desktop.messageBoxes.empty());
        EXPECT_EQ(machine.loadedLibraries(), 0u);
    }
}

// The log follows each service from its test to its registration, and says why nothing was
// loaded.
TEST(RegisterHalORBLog, FollowsEachService) {
    sim::Machine machine;
    machine.session.components["hlocate_exe"] = kRequested;
    machine.session.properties = {{"VersionNT", "501"}, {"HALORB_DIR", "C:\\HalORB"}};
    machine.desktop.libraries[kLibrary] = broker(kRegistered, kRegistered, true);
    machine.desktop.answers = {orv::kIdNo, orv::kIdYes};
    run(machine, "RegisterHalORB");
    const std::string box108 = "box \"Reinstall Halyard Components\" \"" + text(108) + "\" shown; answer ";
    const std::string box109 = "box \"Reinstall Halyard Components\" \"" + text(109) + "\" shown; answer ";
    EXPECT_EQ(logOf(machine, "OrvRegistry.RegisterHalORB: "),
              (std::vector<std::string>{
                  "hlocate.exe is already registered; asking 108",
                  box108 + "No",
                  "hlocate.exe left as registered",
                  "actd.exe is already registered; asking 109",
                  box109 + "Yes",
                  "actd.exe registered: InstallACTDService called with \"C:\\HalORB\\bin\\actd.exe\" "
                  "(ACTDServiceExists answered 8)",
              }));

    sim::Machine relative;
    relative.session.components["hlocate_exe"] = kRequested;
    relative.session.properties = {{"VersionNT", "501"}, {"HALORB_DIR", "HalORB"}};
    run(relative, "RegisterHalORB");
    EXPECT_EQ(logOf(relative, "OrvRegistry.RegisterHalORB: "),
              (std::vector<std::string>{"broker library \"HalORB\\Bin\\register.dll\" is not a full path: nothing loaded"}));
}

}  // namespace
