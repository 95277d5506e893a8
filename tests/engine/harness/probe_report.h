// What the probe action wrote: one snapshot of the session per stage ("before" the actions under
// test, "after" them). See probe/probe.cpp for the line format.
#pragma once

#include <map>
#include <optional>
#include <string>

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

struct ProbeStage {
    std::map<std::string, std::string> properties;  // value read (empty when unset, as MSI has it)
    std::map<std::string, unsigned> propertyCodes;  // MsiGetProperty's result for each
    std::map<std::string, ProbedState> features;
    std::map<std::string, ProbedState> components;
    std::map<std::string, std::string> targets;  // MsiGetTargetPath of each directory asked for
    bool complete = false;  // the probe reached its "end" line

    // The value probed; throws if the property was not among those asked for, which is a
    // mistake in the test rather than a finding about the engine.
    const std::string& property(const std::string& name) const;
    const ProbedState& feature(const std::string& name) const;
    const ProbedState& component(const std::string& name) const;
    const std::string& target(const std::string& directory) const;
};

class ProbeReport {
public:
    static ProbeReport parse(const std::string& text);
    // Null when the probe did not run at that stage.
    const ProbeStage* stage(const std::string& name) const;
    bool empty() const { return stages_.empty(); }

private:
    std::map<std::string, ProbeStage> stages_;
};

}  // namespace engine
