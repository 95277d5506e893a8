#include "desktop.h"

namespace sim {

int Desktop::messageBox(const char* text, const char* caption, std::uint32_t style) {
    messageBoxes.push_back({text, caption, style});
    if (answers.empty()) return 0;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

std::string Desktop::loadString(std::uint32_t id) const {
    for (const orv::StringEntry& entry : strings)
        if (entry.id == id) return entry.text;
    return {};
}

orv::LibraryHandle Desktop::loadLibrary(const char* path, orv::LibraryHandle handle) {
    const auto found = libraries.find(path);
    if (found == libraries.end()) return 0;
    loaded_[handle] = found->first;
    return handle;
}

orv::ExportHandle Desktop::findExport(orv::LibraryHandle library, const char* name, orv::ExportHandle handle) {
    const auto open = loaded_.find(library);
    if (open == loaded_.end()) return 0;
    const FakeLibrary& fake = libraries.at(open->second);
    if (fake.intExports.count(name) == 0 && fake.textExports.count(name) == 0) return 0;
    exports_[handle] = ExportRef{open->second, name};
    return handle;
}

int Desktop::callIntExport(orv::ExportHandle function) {
    const ExportRef& ref = exports_.at(function);
    libraryCalls.push_back({ref.library, ref.name, {}});
    return libraries.at(ref.library).intExports.at(ref.name)();
}

void Desktop::callTextExport(orv::ExportHandle function, const char* argument) {
    const ExportRef& ref = exports_.at(function);
    libraryCalls.push_back({ref.library, ref.name, argument});
    libraries.at(ref.library).textExports.at(ref.name)(argument);
}

void Desktop::shellExecute(const char* file, const char* parameters, const char* folder, int showCommand) {
    programsStarted.push_back({file, parameters ? parameters : "", folder ? folder : "", showCommand});
}

}  // namespace sim
