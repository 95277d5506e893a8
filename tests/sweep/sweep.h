// Sweeping one action: run it on a machine that takes it down its full path, count the calls
// it makes into the seam, then run it again from an identical machine once per call, with that
// call failing (transient), with it and every later call failing (persistent), and with
// std::bad_alloc raised there. A run keeps the guard's promise when it returns a result the
// action may give and leaves no key, file or library open. Searches and database views never
// cross the seam open: findFiles and msiFeatureNames open and close theirs within one call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "frame/exports.h"
#include "frame/strings.h"
#include "sim/machine.h"

namespace sweep {

struct Library {
    const orv::ExportTable* exports;
    const orv::StringTable* strings;
};

struct SweptAction {
    Library library;
    const char* exportName;
    const char* path;                    // the way through the action, in words
    std::vector<std::uint32_t> allowed;  // the results the action's contract names
    void (*setUp)(sim::Machine&);
    bool (*exercised)(sim::Machine&);  // the run without a fault went the whole way
};

inline const std::vector<std::uint32_t> kSuccessOnly = {orv::kSuccess};
inline const std::vector<std::uint32_t> kSuccessOrFailure = {orv::kSuccess, orv::kErrorInstallFailure};

// Every row of every library, gathered before main runs: a <library>_rows.cpp holds one Rows.
std::vector<SweptAction>& rows();
struct Rows {
    explicit Rows(std::vector<SweptAction> added) {
        for (SweptAction& row : added) rows().push_back(std::move(row));
    }
};

struct Report {
    bool exercised = false;
    std::size_t points = 0;     // calls of the run without a fault, each one a fault point
    std::size_t faultRuns = 0;  // runs in which a fault was injected
    std::vector<std::string> problems;  // one per run that broke the promise
};

Report sweepAction(const SweptAction& action);

// A row named in a failure message by its action and path, not by its bytes.
void PrintTo(const SweptAction& action, std::ostream* out);

// From here on, a process that ends through std::terminate or a sanitizer's report names the
// case under way: an action, a fault and a call.
void nameTheCaseWhenTheProcessEnds();

}  // namespace sweep
