// How a library's exports.inc becomes its exports. Each line there reads
//     ORV_EXPORT(ExportName, actionFunction, resultWhenRaised)
// with resultWhenRaised an orv::ActionResult. On Windows every line becomes an undecorated
// __stdcall export running the action inside the guard; in the native build the lines become a
// table the tests call by export name. ORV_LIBRARY_NAME names the library in log lines.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "guard.h"

namespace orv {

struct ExportEntry {
    const char* library;
    const char* name;
    ActionBody body;
    ActionResult resultWhenRaised;
};

using ExportTable = std::span<const ExportEntry>;

// Runs the named export as the installer would; a name the table lacks is a test's mistake.
std::uint32_t runExport(Platform& os, ExportTable table, std::string_view name, MsiHandle handle);

}  // namespace orv

#if defined(_WIN32)
#include "win32/win32_platform.h"
#define ORV_EXPORT(name, body, resultWhenRaised)                                                          \
    extern "C" std::uint32_t __stdcall name(orv::MsiHandle session) {                                     \
        return orv::runAction(orv::win32Platform, orv::ActionName{ORV_LIBRARY_NAME, #name}, session, body, \
                              orv::ActionResult::resultWhenRaised);                                       \
    }
#define ORV_EXPORT_TABLE_BEGIN(library)
#define ORV_EXPORT_TABLE_END(library)
#else
#define ORV_EXPORT(name, body, resultWhenRaised) \
    orv::ExportEntry{ORV_LIBRARY_NAME, #name, body, orv::ActionResult::resultWhenRaised},
#define ORV_EXPORT_TABLE_BEGIN(library)       \
    namespace library {                       \
    namespace {                               \
    const orv::ExportEntry kExportList[] = {
#define ORV_EXPORT_TABLE_END(library) \
    };                                \
    }                                 \
    const orv::ExportTable exports(kExportList); \
    }
#endif
