// What the user and other programs see of the simulated machine: message boxes answered from a
// script, the string table of the library under test, loadable fake libraries with a call log,
// started programs, and the locale's text rules.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "frame/platform.h"
#include "frame/strings.h"
#include "text.h"

namespace sim {

struct MessageBoxShown {
    std::string text;
    std::string caption;
    std::uint32_t style = 0;
    bool operator==(const MessageBoxShown&) const = default;
};

struct FakeLibrary {
    std::map<std::string, std::function<int()>> intExports;
    std::map<std::string, std::function<void(const std::string&)>> textExports;
};

struct LibraryCall {
    std::string library;
    std::string function;
    std::string argument;
    bool operator==(const LibraryCall&) const = default;
};

struct ProgramStart {
    std::string file;
    std::string parameters;
    std::string folder;
    int showCommand = 0;
    bool operator==(const ProgramStart&) const = default;
};

class Desktop {
public:
    std::vector<MessageBoxShown> messageBoxes;
    std::deque<int> answers;   // given to the boxes in order; an unscripted box gets 0, as a failed box
    orv::StringTable strings;  // the table of the library under test

    std::map<std::string, FakeLibrary, NoCaseLess> libraries;  // by full path
    std::vector<LibraryCall> libraryCalls;
    std::vector<ProgramStart> programsStarted;

    int messageBox(const char* text, const char* caption, std::uint32_t style);
    std::string loadString(std::uint32_t id) const;

    // 0 when no fake library has that path.
    orv::LibraryHandle loadLibrary(const char* path, orv::LibraryHandle handle);
    void freeLibrary(orv::LibraryHandle library) { loaded_.erase(library); }
    orv::ExportHandle findExport(orv::LibraryHandle library, const char* name, orv::ExportHandle handle);
    int callIntExport(orv::ExportHandle function);
    void callTextExport(orv::ExportHandle function, const char* argument);
    std::size_t loadedLibraries() const { return loaded_.size(); }

    void shellExecute(const char* file, const char* parameters, const char* folder, int showCommand);

    std::string upperCase(std::string_view text) const { return upperCodePage1252(std::string(text)); }
    int compareIgnoreCase(const char* left, const char* right) const { return compareByLocale(left, right); }

private:
    struct ExportRef {
        std::string library;
        std::string name;
    };
    std::map<orv::LibraryHandle, std::string> loaded_;
    std::map<orv::ExportHandle, ExportRef> exports_;
};

}  // namespace sim
