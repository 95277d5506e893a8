// The installer session of the simulated machine: properties with the real buffer contract,
// feature and component states, the Directory and Feature tables, and what the action left in
// the log. Faults are the machine's business; this is the session as it works when nothing fails.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "frame/platform.h"

namespace sim {

using orv::InstallState;

struct States {
    InstallState installed = orv::kStateAbsent;
    InstallState action = orv::kStateUnknown;
};

struct StateRequest {
    std::string kind;  // "feature" or "component"
    std::string name;
    InstallState state;
    bool operator==(const StateRequest&) const = default;
};

// One MsiSetProperty call as the action made it; a null or empty value is a removal (nullopt).
struct PropertyWrite {
    std::string name;
    std::optional<std::string> value;
    bool operator==(const PropertyWrite&) const = default;
};

struct Session {
    orv::MsiHandle handle = 1001;
    std::map<std::string, std::string> properties;  // names are case-sensitive, as in the installer
    std::map<std::string, States> features;
    std::map<std::string, States> components;
    std::vector<std::string> featureTable;  // rows of the Feature table, in order
    std::set<std::string> directoryTable;   // the directories MsiSetTargetPath knows
    bool rollback = false;
    bool scheduled = false;  // a deferred action in the script
    bool commit = false;
    std::string resolvedSource;  // what ResolveSource puts into SourceDir
    // False: a value that fits is copied without its terminating NUL, as a careless installer
    // could; the reported length is still right.
    bool terminatesValues = true;

    // What the action did.
    std::vector<StateRequest> requests;  // every state requested, in order
    std::vector<std::string> actionsRun;
    std::map<std::string, std::string> targetPaths;
    std::vector<std::string> log;               // lines written to the installer log, in order
    std::vector<PropertyWrite> propertyWrites;  // every write and removal, in order

    std::string property(const std::string& name) const;
    bool hasProperty(const std::string& name) const { return properties.count(name) != 0; }

    // The installer's operations, as Windows performs them.
    std::uint32_t getProperty(const char* name, char* buffer, std::uint32_t* length) const;
    void setProperty(const char* name, const char* value);
    std::uint32_t states(const char* kind, const char* name, InstallState* installed, InstallState* action) const;
    std::uint32_t request(const char* kind, const char* name, InstallState state);
    void doAction(const char* action);
    std::uint32_t setTargetPath(const char* folder, const char* path);
};

}  // namespace sim
