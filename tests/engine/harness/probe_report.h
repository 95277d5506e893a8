// What the probe wrote: one snapshot of the session per stage ("before" the actions under test,
// "after" them, "calls" for the harness's Windows calls), and the in-script actions' records.
// See probe/probe.cpp for the line format.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace engine {

// MsiGetFeatureState / MsiGetComponentState: the call's result code and the two states.
struct ProbedState {
    unsigned code = 0;
    int installed = 0;
    int action = 0;
    friend bool operator==(const ProbedState&, const ProbedState&) = default;
};

// The engine's INSTALLSTATE numbers by name, for messages and the demo.
std::string installStateName(int state);

// A registry value as RegQueryValueExA gave it to an action.
struct ProbedValue {
    unsigned code = 0;
    unsigned type = 0;
    std::string data;  // the bytes the call returned, exactly
    friend bool operator==(const ProbedValue&, const ProbedValue&) = default;
};

// RegOpenKeyEx's result for reading and for setting values.
struct ProbedKey {
    unsigned readCode = 0;
    unsigned writeCode = 0;
    friend bool operator==(const ProbedKey&, const ProbedKey&) = default;
};

// GetFileVersionInfo's verdict on a file: 0 and "major.minor.build.revision", or the error.
struct ProbedVersion {
    unsigned code = 0;
    std::string version;
    friend bool operator==(const ProbedVersion&, const ProbedVersion&) = default;
};

// One run of the harness's in-script reporting action.
struct ScriptRecord {
    std::string mode;  // immediate, deferred, rollback or commit
    std::string customActionData;
    friend bool operator==(const ScriptRecord&, const ScriptRecord&) = default;
};

struct ProbeStage {
    std::map<std::string, std::string> properties;  // value read (empty when unset, as MSI has it)
    std::map<std::string, unsigned> propertyCodes;  // MsiGetProperty's result for each
    std::map<std::string, ProbedState> features;
    std::map<std::string, ProbedState> components;
    std::map<std::string, std::string> targets;  // MsiGetTargetPath of each directory asked for
    std::map<std::pair<std::string, std::string>, ProbedValue> values;  // by key and value name
    std::map<std::string, ProbedKey> keys;
    std::map<std::string, ProbedVersion> versions;  // by the path asked for
    std::map<std::string, std::string> calls;       // the Windows calls' findings
    bool complete = false;  // the probe reached its "end" line

    // The value probed; throws if the property was not among those asked for, which is a
    // mistake in the test rather than a finding about the engine.
    const std::string& property(const std::string& name) const;
    const ProbedState& feature(const std::string& name) const;
    const ProbedState& component(const std::string& name) const;
    const std::string& target(const std::string& directory) const;
    const ProbedValue& value(const std::string& key, const std::string& name) const;
    const ProbedKey& key(const std::string& key) const;
    const ProbedVersion& version(const std::string& path) const;
    const std::string& call(const std::string& finding) const;
};

class ProbeReport {
public:
    static ProbeReport parse(const std::string& text);
    // Null when the probe did not run at that stage.
    const ProbeStage* stage(const std::string& name) const;
    bool empty() const { return stages_.empty() && scripts_.empty(); }
    // The in-script reports in the order the actions ran.
    const std::vector<ScriptRecord>& scripts() const { return scripts_; }

private:
    std::map<std::string, ProbeStage> stages_;
    std::vector<ScriptRecord> scripts_;
};

}  // namespace engine
