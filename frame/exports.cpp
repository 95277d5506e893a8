#include "exports.h"

#include <stdexcept>
#include <string>

namespace orv {

std::uint32_t runExport(Platform& os, ExportTable table, std::string_view name, MsiHandle handle) {
    for (const ExportEntry& entry : table)
        if (name == entry.name)
            return runAction([&os]() -> Platform& { return os; }, ActionName{entry.library, entry.name}, handle,
                             entry.body, entry.resultWhenRaised);
    throw std::invalid_argument("no export named " + std::string(name));
}

}  // namespace orv
