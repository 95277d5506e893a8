// What the probe's actions share: reading the session's properties whatever their length, and
// appending records to the report the harness reads back (see probe.cpp for its format).
#pragma once

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace probe {

// Where the harness points PROBE_OUTPUT. An in-script action cannot read that property on Windows
// (it gets only CustomActionData, ProductCode and UserSID), so the actions that run in the script
// write here directly.
inline constexpr const char* kReportPath = "C:\\engine-probe.txt";

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

inline Read readProperty(MSIHANDLE session, const std::string& name) {
    return readGrowing(session, name, MsiGetPropertyA);
}

inline std::vector<std::string> splitList(const std::string& list) {
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

// Tab, line breaks and backslash inside a field would break the record apart.
inline std::string escaped(const std::string& text) {
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

inline File openReport(const std::string& path) { return File(std::fopen(path.c_str(), "ab"), std::fclose); }

// One record: its kind and fields, escaped and split by tabs.
inline void writeRecord(FILE* out, const std::vector<std::string>& fields) {
    std::string line;
    for (const std::string& field : fields) line += (line.empty() ? "" : "\t") + escaped(field);
    std::fprintf(out, "%s\n", line.c_str());
}

}  // namespace probe
