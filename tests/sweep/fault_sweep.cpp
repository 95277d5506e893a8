// The guard's promise, held to for every action: whatever any call into the seam does, nothing
// crosses the export, the installer gets a result the action may give, and no handle stays
// open (sweep.h says how). Each row below takes one action down its full path.
//
// A raise that does cross a noexcept boundary ends the process through std::terminate, after
// naming the action, the fault and the call. ctest runs each row in a process of its own, so
// one such end leaves the other actions swept.
//
// An action added later joins with one row in its library's <library>_rows.cpp, in the change
// that adds it.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "sim/machine.h"
#include "sweep.h"

namespace {

using sweep::Library;
using sweep::SweptAction;

// ----- the sweep -------------------------------------------------------------------------------

struct Totals {
    std::size_t faultRuns = 0;
    std::size_t escapes = 0;  // runs that broke the promise; one crossing the export ends the process
};
Totals gTotals;

std::string rowName(const SweptAction& action) {
    std::string name = std::string(action.exportName) + "_";
    for (const char* c = action.path; *c != '\0'; ++c)
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
}

class FaultSweep : public ::testing::TestWithParam<SweptAction> {};

// Every single, lasting and raised fault of every call the action makes is absorbed: the
// result is one the action may give and every handle it opened is closed again.
TEST_P(FaultSweep, NothingEscapesAndNothingStaysOpen) {
    const SweptAction& action = GetParam();
    const sweep::Report report = sweep::sweepAction(action);
    std::printf("%-26s %-44s %4zu fault points swept\n", action.exportName, action.path, report.points);
    gTotals.faultRuns += report.faultRuns;
    gTotals.escapes += report.problems.size();

    EXPECT_TRUE(report.exercised) << "the machine no longer takes the action down this path";
    constexpr std::size_t kShown = 20;
    for (std::size_t i = 0; i < report.problems.size() && i < kShown; ++i) ADD_FAILURE() << report.problems[i];
    EXPECT_TRUE(report.problems.empty()) << report.problems.size() << " runs broke the promise";
}

INSTANTIATE_TEST_SUITE_P(Actions, FaultSweep, ::testing::ValuesIn(sweep::rows()),
                         [](const ::testing::TestParamInfo<SweptAction>& info) { return rowName(info.param); });

}  // namespace

int main(int argc, char** argv) {
    sweep::nameTheCaseWhenTheProcessEnds();
    ::testing::InitGoogleTest(&argc, argv);
    const int failed = RUN_ALL_TESTS();
    if (gTotals.faultRuns > 0) std::printf("%zu faults injected, %zu escapes\n", gTotals.faultRuns, gTotals.escapes);
    return failed;
}
