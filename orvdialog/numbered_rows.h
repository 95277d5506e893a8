// Rows the package hands over as numbered properties (External_Install_Text_1, _2, ...): they
// run from 1 up to the first one that holds nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frame/session.h"
#include "frame/text.h"

namespace orvdialog {

// Only the reported length tells a set property from an empty one, so a value too long for the
// property buffer is there, though its text is not usable. A read that failed otherwise tells
// nothing and counts as empty.
inline bool holdsValue(const orv::PropertyRead& read) {
    return read.isSet() || read.result == orv::kErrorMoreData;
}

// Read with success and found empty: a read that failed is never taken for a cleared box.
inline bool readEmpty(const orv::PropertyRead& read) { return read.succeeded() && read.length == 0; }

// Calls `visit(n, read)` for the rows `prefix`1, `prefix`2, ... while each holds a value, and
// gives the number of rows visited. A run of rows ends, since a row that cannot be read ends it.
template <typename Visit>
std::int32_t forEachRow(orv::Session& session, std::string_view prefix, Visit&& visit) {
    std::int32_t n = 1;
    for (; n < INT32_MAX; ++n) {
        const orv::PropertyRead row = session.read(orv::numberedName(prefix, n).c_str());
        if (!holdsValue(row)) break;
        visit(n, row);
    }
    return n - 1;
}

}  // namespace orvdialog
