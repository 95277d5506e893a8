// What the session holds at one point of the sequence, written where the harness can read it.
// The engine reports success even when an action is missing or faults, so the tests judge the
// actions by what this probe sees afterwards, never by msiexec's exit code.
//
// Properties read (all ';'-separated lists, empty for none):
//   PROBE_OUTPUT      the file to append to (a Windows path)
//   PROBE_PROPERTIES  properties to report
//   PROBE_FEATURES    features to report
//   PROBE_COMPONENTS  components to report
//   PROBE_TARGETS     directories whose target path to report
//
// One record a line, fields split by tabs; tab, newline, carriage return and backslash inside a
// value are written as \t, \n, \r and \\ so that any value survives the trip:
//   stage      <before|after>
//   property   <name> <result code> <value>
//   feature    <name> <result code> <installed state> <action state>
//   component  <name> <result code> <installed state> <action state>
//   target     <directory> <result code> <target path>
//   end
// The closing "end" tells the harness the stage was written whole.
//
// A third export, WriteThroughNull, faults on purpose: the harness's own tests show with it that
// a run in which an action crashes fails, although the engine reports success.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Read {
    UINT code;
    std::string value;
};

// The size the engine reports for a value that does not fit may be in bytes rather than
// characters, so the buffer grows to whatever it asks for until the value fits. `get` is an
// MsiGetPropertyA-shaped call: (session, name, buffer, in/out size).
template <typename Get>
Read readGrowing(MSIHANDLE session, const std::string& name, Get get) {
    std::vector<char> buffer(256);
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        const UINT code = get(session, name.c_str(), buffer.data(), &size);
        if (code == ERROR_MORE_DATA) {
            buffer.resize(static_cast<std::size_t>(size) + 1 > buffer.size() * 2 ? size + 1 : buffer.size() * 2);
            continue;
        }
        if (code != ERROR_SUCCESS) return {code, {}};
        return {code, std::string(buffer.data(), size)};
    }
}

Read readProperty(MSIHANDLE session, const std::string& name) { return readGrowing(session, name, MsiGetPropertyA); }

Read readTargetPath(MSIHANDLE session, const std::string& directory) {
    return readGrowing(session, directory, MsiGetTargetPathA);
}

std::vector<std::string> splitList(const std::string& list) {
    std::vector<std::string> items;
    std::string item;
    for (char c : list) {
        if (c == ';') {
            if (!item.empty()) items.push_back(item);
            item.clear();
        } else {
            item += c;
        }
    }
    if (!item.empty()) items.push_back(item);
    return items;
}

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
        }
    }
    return out;
}

using File = std::unique_ptr<FILE, int (*)(FILE*)>;

void writeProperties(FILE* out, MSIHANDLE session) {
    for (const std::string& name : splitList(readProperty(session, "PROBE_PROPERTIES").value)) {
        const Read read = readProperty(session, name);
        std::fprintf(out, "property\t%s\t%u\t%s\n", escaped(name).c_str(), read.code, escaped(read.value).c_str());
    }
}

void writeTargets(FILE* out, MSIHANDLE session) {
    for (const std::string& name : splitList(readProperty(session, "PROBE_TARGETS").value)) {
        const Read read = readTargetPath(session, name);
        std::fprintf(out, "target\t%s\t%u\t%s\n", escaped(name).c_str(), read.code, escaped(read.value).c_str());
    }
}

template <typename StateQuery>
void writeStates(FILE* out, MSIHANDLE session, const char* kind, const char* listProperty, StateQuery query) {
    for (const std::string& name : splitList(readProperty(session, listProperty).value)) {
        INSTALLSTATE installed = INSTALLSTATE_UNKNOWN;
        INSTALLSTATE action = INSTALLSTATE_UNKNOWN;
        const UINT code = query(session, name.c_str(), &installed, &action);
        std::fprintf(out, "%s\t%s\t%u\t%d\t%d\n", kind, escaped(name).c_str(), code, static_cast<int>(installed),
                     static_cast<int>(action));
    }
}

UINT probe(MSIHANDLE session, const char* stage) {
    const std::string path = readProperty(session, "PROBE_OUTPUT").value;
    if (path.empty()) return ERROR_SUCCESS;
    File out(std::fopen(path.c_str(), "ab"), std::fclose);
    if (!out) return ERROR_SUCCESS;
    std::fprintf(out.get(), "stage\t%s\n", stage);
    writeProperties(out.get(), session);
    writeStates(out.get(), session, "feature", "PROBE_FEATURES", MsiGetFeatureStateA);
    writeStates(out.get(), session, "component", "PROBE_COMPONENTS", MsiGetComponentStateA);
    writeTargets(out.get(), session);
    std::fprintf(out.get(), "end\n");
    return ERROR_SUCCESS;
}

}  // namespace

extern "C" UINT __stdcall ProbeBefore(MSIHANDLE session) { return probe(session, "before"); }
extern "C" UINT __stdcall Probe(MSIHANDLE session) { return probe(session, "after"); }

extern "C" UINT __stdcall WriteThroughNull(MSIHANDLE) {
    // volatile, so that the compiler keeps the store it could otherwise prove undefined.
    volatile int* nowhere = nullptr;
    *nowhere = 1;
    return ERROR_SUCCESS;
}
