// A library's string table as data. Each library lists its texts once, in its strings.inc, as
// ORV_STRING(id, "text") lines; the same file feeds the DLL's STRINGTABLE resource and the
// table the native build hands to the simulated machine.
#pragma once

#include <cstdint>
#include <span>

namespace orv {

struct StringEntry {
    std::uint32_t id;
    const char* text;
};

using StringTable = std::span<const StringEntry>;

}  // namespace orv
