// Running a library's export on the simulated machine, as the installer would call it, and
// reading back what it left.
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "frame/exports.h"
#include "frame/strings.h"
#include "sim/machine.h"

namespace unit {

inline constexpr orv::InstallState kAbsent = orv::kStateAbsent;
inline constexpr orv::InstallState kLocal = orv::kStateLocal;
inline constexpr orv::InstallState kSource = orv::kStateSource;
inline constexpr orv::InstallState kNone = orv::kStateUnknown;

using Properties = std::map<std::string, std::string>;

inline std::uint32_t runExport(sim::Machine& machine, orv::ExportTable exports, orv::StringTable strings,
                               const char* exportName) {
    machine.desktop.strings = strings;
    return orv::runExport(machine, exports, exportName, machine.session.handle);
}

inline std::string textOf(orv::StringTable strings, std::uint32_t id) {
    for (const orv::StringEntry& entry : strings)
        if (entry.id == id) return entry.text;
    return {};
}

// The properties whose names start with one of the prefixes.
inline Properties withPrefixes(const sim::Machine& machine, std::initializer_list<const char*> prefixes) {
    Properties found;
    for (const auto& [name, value] : machine.session.properties)
        for (const char* prefix : prefixes)
            if (name.rfind(prefix, 0) == 0) found[name] = value;
    return found;
}

// The log lines of the named export, without their "Library.Export: " prefix.
inline std::vector<std::string> logOf(const sim::Machine& machine, std::string_view prefix) {
    std::vector<std::string> lines;
    for (const std::string& line : machine.session.log)
        if (line.rfind(prefix, 0) == 0) lines.push_back(line.substr(prefix.size()));
    return lines;
}

// True when some log line holds the text.
inline bool logged(const sim::Machine& machine, std::string_view text) {
    for (const std::string& line : machine.session.log)
        if (line.find(text) != std::string::npos) return true;
    return false;
}

}  // namespace unit

// run(machine, "Export") and text(id) for the tests of one library, named by its namespace.
#define ORV_UNIT_LIBRARY(library)                                                         \
    namespace {                                                                           \
    using namespace unit;                                                                 \
    inline std::uint32_t run(sim::Machine& machine, const char* exportName) {             \
        return unit::runExport(machine, library::exports, library::strings, exportName);  \
    }                                                                                     \
    inline std::string text(std::uint32_t id) { return unit::textOf(library::strings, id); } \
    }
