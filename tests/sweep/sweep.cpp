#include "sweep.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string_view>

#include "faulting_platform.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_UNDEFINED__)
#define ORV_SWEEP_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
#define ORV_SWEEP_SANITIZED 1
#endif
#endif
#if defined(ORV_SWEEP_SANITIZED)
#include <sanitizer/common_interface_defs.h>
#endif

namespace sweep {

std::vector<SweptAction>& rows() {
    static std::vector<SweptAction> all;
    return all;
}


namespace {

// The case under way. Fixed storage: naming it must not allocate once the process is ending.
char gCase[512] = "no case under way";

[[noreturn]] void reportEscape() {
    std::fprintf(stderr, "\nESCAPE: something crossed the export in %s\n", gCase);
    std::fflush(stderr);
    std::abort();
}

// The action's own setup, on the shared ground: a full user interface, so that boxes are shown
// and answered, and a package that hides properties from the log, so that its list is read.
void prepare(sim::Machine& machine, const SweptAction& action) {
    machine.desktop.strings = *action.library.strings;
    machine.session.properties["UILevel"] = "5";
    machine.session.properties["MsiHiddenProperties"] = "REG_PRODUCT;;SHARED_FILES_DIR";
    action.setUp(machine);
}

struct Outcome {
    std::uint32_t result = 0;
    std::vector<SeamCall> calls;
    std::size_t faults = 0;
    bool budgetSpent = false;
    std::size_t openKeys = 0;
    std::size_t openFiles = 0;
    std::size_t loadedLibraries = 0;
};

Outcome runOnce(const SweptAction& action, sim::Machine& machine, FaultMode mode, std::size_t at,
                std::size_t budget, const char* callName) {
    prepare(machine, action);
    FaultingPlatform os(machine, mode, at, budget);
    std::snprintf(gCase, sizeof gCase, "%s (%s), %s at call %zu (%s)", action.exportName, action.path,
                  modeName(mode), at, callName);
    Outcome outcome;
    outcome.result = orv::runExport(os, *action.library.exports, action.exportName, machine.session.handle);
    std::snprintf(gCase, sizeof gCase, "no case under way");
    outcome.calls = os.calls();
    outcome.faults = os.faultsInjected();
    outcome.budgetSpent = os.budgetSpent();
    outcome.openKeys = machine.openKeys();
    outcome.openFiles = machine.openFiles();
    outcome.loadedLibraries = machine.loadedLibraries();
    return outcome;
}

// What is wrong with a run; empty when nothing is.
std::string findings(const SweptAction& action, const Outcome& outcome) {
    std::string found;
    bool allowed = false;
    for (const std::uint32_t code : action.allowed) allowed = allowed || code == outcome.result;
    if (!allowed) found += " result " + std::to_string(outcome.result) + " not allowed;";
    if (outcome.openKeys != 0) found += " " + std::to_string(outcome.openKeys) + " key(s) left open;";
    if (outcome.openFiles != 0) found += " " + std::to_string(outcome.openFiles) + " file(s) left open;";
    if (outcome.loadedLibraries != 0)
        found += " " + std::to_string(outcome.loadedLibraries) + " library(ies) left loaded;";
    if (outcome.budgetSpent) found += " still calling after " + std::to_string(outcome.calls.size()) + " calls;";
    return found;
}

}  // namespace

Report sweepAction(const SweptAction& action) {
    // Far more than any action makes; it only stops a counting run that never ends.
    constexpr std::size_t kCountingBudget = 100000;
    Report report;

    sim::Machine counted;
    const Outcome clean = runOnce(action, counted, FaultMode::None, 0, kCountingBudget, "none");
    report.exercised = action.exercised(counted);
    if (const std::string found = findings(action, clean); !found.empty())
        report.problems.push_back("without a fault:" + found);
    const std::vector<SeamCall>& points = clean.calls;
    report.points = points.size();
    // A fault may send the action down a longer path, but never an endless one.
    const std::size_t budget = points.size() * 10 + 1000;

    for (std::size_t at = 0; at < points.size(); ++at) {
        for (const FaultMode mode : {FaultMode::Transient, FaultMode::Persistent, FaultMode::Raise}) {
            // Closing calls never raise; see FaultingPlatform.
            if (mode == FaultMode::Raise && points[at].kind == CallKind::Closing) continue;
            sim::Machine machine;
            const Outcome outcome = runOnce(action, machine, mode, at, budget, points[at].name);
            if (outcome.faults > 0) ++report.faultRuns;
            std::string found = findings(action, outcome);
            // Identical machines make identical calls up to the fault, or the sweep would not be
            // failing the call it names.
            if (outcome.calls.size() <= at || std::string_view(outcome.calls[at].name) != points[at].name)
                found += " not the call the counting run made here;";
            if (!found.empty())
                report.problems.push_back(std::string(modeName(mode)) + " at call " + std::to_string(at) + " (" +
                                          points[at].name + "):" + found);
        }
    }
    return report;
}

void PrintTo(const SweptAction& action, std::ostream* out) { *out << action.exportName << " (" << action.path << ")"; }

void nameTheCaseWhenTheProcessEnds() {
    std::set_terminate(reportEscape);
#if defined(ORV_SWEEP_SANITIZED)
    __sanitizer_set_death_callback([] {
        std::fprintf(stderr, "\nSANITIZER: the report above came from %s\n", gCase);
        std::fflush(stderr);
    });
#endif
}

}  // namespace sweep
