// engine_demo: runs a few scenarios of the custom-action libraries in the installer engine under
// Wine and prints, for a package author, what each action changed and the lines it wrote to the
// installer log.
//
//   build/native/tests/engine/engine_demo [text]   only the scenarios whose title contains text
//
// Needs the x64 DLLs (bash scripts/dist.sh) and the probe (cmake --build --preset x64). The same
// environment variables as the engine tests choose the inputs (see harness/engine.h):
//   ORV_DIST_DIR    folder holding x64/<Library>.dll (default: <source>/dist)
//   ORV_PROBE_DLL   the probe DLL (default: <source>/build/x64/tests/engine/probe/EngineProbe.dll)
//   ORV_ENGINE_WORK template prefix and runs (default: build/native/tests/engine/engine-work)
//   ORV_WINE, ORV_WINESERVER, ORV_WIXL, ORV_MSIINFO  the tools, when not in the usual places
// The first run boots the template prefix (about 10 s); each scenario then takes a few seconds.
//
// Exit status: 0 when every scenario ran to its probe, 1 when one did not or Wine reported an
// error in it (an action that crashed, a DLL or export it could not load), 77 when Wine or wixl is
// missing here (nothing was run).
#include <cstdio>
#include <exception>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "demo_includes.inc"
#include "demo_scenario.h"
#include "engine.h"

namespace {

using engine::DemoScenario;
using engine::Outcome;

// Every library with a scenarios file, in the order of their names.
std::vector<DemoScenario> allScenarios(const engine::Engine& engine) {
    std::vector<DemoScenario> all;
#define ORV_DEMO_LIST(library) \
    for (auto& scenario : engine::library::demos(engine)) all.push_back(std::move(scenario));
#include "demo_lists.inc"
#undef ORV_DEMO_LIST
    return all;
}

std::string quoted(const std::string& value) { return value.empty() ? "(unset)" : "\"" + value + "\""; }

std::string stageName(engine::Stage stage) {
    switch (stage) {
        case engine::Stage::AfterCostFinalize: return "after CostFinalize";
        case engine::Stage::AfterInstallInitialize: return "in the script, after InstallInitialize";
        case engine::Stage::AfterInstallFiles: return "in the script, after InstallFiles";
        case engine::Stage::AfterInstallFinalize: return "after InstallFinalize";
    }
    return "";
}

const char* executeName(engine::Execute execute) {
    switch (execute) {
        case engine::Execute::Immediate: return "";
        case engine::Execute::Deferred: return " (deferred)";
        case engine::Execute::Rollback: return " (rollback)";
        case engine::Execute::Commit: return " (commit)";
    }
    return "";
}

void printSetup(const engine::Scenario& scenario) {
    const engine::PackageDesign& package = scenario.package;
    std::cout << "  package  \"" << package.productName << "\", run from " << scenario.sourceFolder
              << (scenario.packageReadOnly ? " (read-only)" : "") << "\n  actions ";
    if (package.resolveSource) std::cout << "ResolveSource, ";
    for (const auto& action : package.actions) {
        std::cout << action.dll.stem().string() << "!" << action.entry;
        if (action.actionName() != action.entry) std::cout << " as " << action.actionName();
        std::cout << executeName(action.execute) << " ";
    }
    std::cout << stageName(package.stage) << "\n";
    std::cout << (scenario.uiLevel == engine::UiLevel::Basic ? "  msiexec /qb (basic UI, UILevel 3)\n"
                                                             : "  msiexec /qn (silent, UILevel 2)\n");
    if (!package.features.empty()) {
        std::cout << "  features";
        for (const auto& feature : package.features)
            std::cout << " " << feature.id << "(level " << feature.level
                      << (feature.parent.empty() ? "" : ", under " + feature.parent) << ")";
        std::cout << "  [INSTALLLEVEL 1]\n";
    }
    for (const auto& [name, value] : package.properties) std::cout << "  property " << name << "=" << value << "\n";
    for (const auto& directory : package.directories)
        std::cout << "  directory " << directory << " under ProgramFiles64Folder\n";
    for (const auto& property : package.clearedProperties)
        std::cout << "  " << property << " emptied just before the actions\n";
    for (const auto& [name, value] : scenario.commandLine)
        std::cout << "  command line " << name << "=" << value << "\n";
    for (const auto& seed : scenario.registry)
        std::cout << "  seeded HKLM\\" << seed.key << " " << seed.name << " = " << seed.value.describe() << "\n";
    for (const auto& seed : scenario.files)
        std::cout << "  seeded " << seed.path << " ("
                  << (seed.folder ? std::string("folder") : std::to_string(seed.contents.size()) + " bytes")
                  << (seed.readOnly ? ", read-only" : "") << ")\n";
}

// One line a name: its value after the run, with the value before where it changed.
void printChanges(const char* heading, const std::map<std::string, std::string>& before,
                  const std::map<std::string, std::string>& after) {
    if (after.empty()) return;
    std::cout << "  " << heading << "\n";
    for (const auto& [name, value] : after) {
        const auto earlier = before.find(name);
        const std::string was = earlier == before.end() ? "" : earlier->second;
        std::printf("    %-20s %s%s\n", name.c_str(),
                    was == value ? quoted(value).c_str() : (quoted(was) + " -> " + quoted(value)).c_str(),
                    was == value ? "" : "   (changed)");
    }
}

// Installed state, and the requested one: what the package asked for before the actions, and
// what they requested instead where it changed.
void printFeatures(const engine::ProbeStage& before, const engine::ProbeStage& after) {
    if (after.features.empty()) return;
    std::cout << "  features (installed, requested)\n";
    for (const auto& [name, state] : after.features) {
        if (state.code != 0) {
            std::printf("    %-20s not in the package (error %u)\n", name.c_str(), state.code);
            continue;
        }
        const auto earlier = before.features.find(name);
        const bool changed = earlier != before.features.end() && earlier->second.action != state.action;
        const std::string requested = changed ? engine::installStateName(earlier->second.action) + " -> " +
                                                    engine::installStateName(state.action) + "   (requested by the action)"
                                              : engine::installStateName(state.action);
        std::printf("    %-20s %s, %s\n", name.c_str(), engine::installStateName(state.installed).c_str(),
                    requested.c_str());
    }
}

void printMessageBoxes(const engine::Scenario& scenario, const Outcome& outcome) {
    if (!scenario.traceMessageBoxes) return;
    std::cout << "  message boxes (traced; without a display each returns -1 at once, and at /qn none is shown)\n";
    if (outcome.messageBoxes.empty()) std::cout << "    none\n";
    for (const auto& box : outcome.messageBoxes) std::cout << "    " << box << "\n";
}

// Each line as the installer log has it, "<Library>.<Export>: text"; a text with line breaks
// goes on indented.
void printLogLines(const Outcome& outcome) {
    std::cout << "  installer log, the actions' own lines\n";
    if (outcome.installLog.actionLines().empty()) std::cout << "    none\n";
    for (const engine::ActionLine& line : outcome.installLog.actionLines()) {
        std::string text = line.text;
        for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 7))
            text.replace(at, 1, "\n      ");
        std::cout << "    " << line.source << ": " << text << "\n";
    }
}

std::string describe(const std::optional<engine::RegValue>& value) {
    return value ? value->describe() : "(absent)";
}

void printRegistry(const DemoScenario& demo, const Outcome& outcome) {
    std::set<std::pair<std::string, std::string>> watched(demo.watchedValues.begin(), demo.watchedValues.end());
    for (const auto& seed : demo.scenario.registry) watched.insert({seed.key, seed.name});
    if (watched.empty()) return;
    std::cout << "  registry (HKLM)\n";
    for (const auto& [key, name] : watched) {
        const auto was = outcome.machineBefore.value(key, name);
        const auto now = outcome.machineValue(key, name);
        std::cout << "    " << key << " " << (name.empty() ? "(default)" : name) << ": " << describe(was);
        if (!(was == now)) std::cout << " -> " << describe(now) << "   (changed)";
        std::cout << "\n";
    }
}

std::string describe(const std::optional<engine::FileState>& file) {
    if (!file) return "(absent)";
    return std::to_string(file->contents.size()) + " bytes" + (file->readOnly ? ", read-only" : ", writable");
}

void printFiles(const Outcome& outcome) {
    if (outcome.filesBefore.empty()) return;
    std::cout << "  files\n";
    for (const auto& [path, before] : outcome.filesBefore) {
        const auto after = outcome.file(path);
        const bool same = before.has_value() == after.has_value() &&
                          (!before || (before->contents == after->contents && before->readOnly == after->readOnly));
        std::cout << "    " << path << ": " << describe(before);
        if (!same) std::cout << " -> " << describe(after) << "   (changed)";
        std::cout << "\n";
    }
}

bool show(const DemoScenario& demo, engine::Engine& engine) {
    std::cout << "== " << demo.library << ": " << demo.title << "\n";
    printSetup(demo.scenario);
    const Outcome outcome = engine.runUnchecked(demo.scenario);
    std::cout << "  exit code " << outcome.exitCode
              << " (8 bits; Wine reports 0 even when an action crashes or its DLL or export cannot be loaded)\n";
    if (!outcome.failure().empty()) {
        std::cout << "  the run failed: " << outcome.failure() << "\n" << outcome.log() << "\n";
        return false;
    }
    const engine::ProbeStage* before = outcome.probe.stage("before");
    const engine::ProbeStage* after = outcome.probe.stage("after");
    if (before == nullptr || after == nullptr || !after->complete) {
        std::cout << "  the run stopped before the actions finished\n" << outcome.log() << "\n";
        return false;
    }
    printChanges("properties", before->properties, after->properties);
    printChanges("target paths", before->targets, after->targets);
    printFeatures(*before, *after);
    printMessageBoxes(demo.scenario, outcome);
    printLogLines(outcome);
    printRegistry(demo, outcome);
    printFiles(outcome);
    std::printf("  took %.2f s: prefix and package %.2f s, msiexec %.2f s, ending the server %.2f s\n\n",
                (outcome.timings.prepare + outcome.timings.msiexec + outcome.timings.serverEnd).count() / 1000.0,
                outcome.timings.prepare.count() / 1000.0, outcome.timings.msiexec.count() / 1000.0,
                outcome.timings.serverEnd.count() / 1000.0);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (const std::string reason = engine::Engine::unavailableReason(); !reason.empty()) {
        std::cerr << "engine_demo: nothing run: " << reason << "\n";
        return 77;
    }
    const std::string filter = argc > 1 ? argv[1] : "";
    try {
        engine::Engine& engine = engine::Engine::shared();
        bool allRan = true;
        for (const DemoScenario& demo : allScenarios(engine))
            if (demo.title.find(filter) != std::string::npos) allRan = show(demo, engine) && allRan;
        return allRan ? 0 : 1;
    } catch (const std::exception& error) {
        std::cerr << "engine_demo: " << error.what() << "\n";
        return 1;
    }
}
