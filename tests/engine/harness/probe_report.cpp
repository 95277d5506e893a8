#include "probe_report.h"

#include "escapes.h"

#include <sstream>
#include <stdexcept>
#include <vector>

namespace engine {

std::string installStateName(int state) {
    switch (state) {
        case -1: return "unknown";
        case 1: return "advertised";
        case 2: return "absent";
        case 3: return "local";
        case 4: return "source";
        case 5: return "default";
        default: return std::to_string(state);
    }
}

namespace {

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        parts.push_back(unescapeC(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start)));
        if (tab == std::string::npos) return parts;
        start = tab + 1;
    }
}

std::string fromHex(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) bytes += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
    return bytes;
}

unsigned number(const std::string& text) { return static_cast<unsigned>(std::stoul(text)); }

ProbedState state(const std::vector<std::string>& parts) {
    return {static_cast<unsigned>(std::stoul(parts.at(2))), std::stoi(parts.at(3)), std::stoi(parts.at(4))};
}

template <typename Map>
const typename Map::mapped_type& lookup(const Map& map, const std::string& name, const char* kind) {
    const auto found = map.find(name);
    if (found == map.end()) throw std::out_of_range(std::string("the probe was not asked for ") + kind + " " + name);
    return found->second;
}

}  // namespace

const std::string& ProbeStage::property(const std::string& name) const {
    return lookup(properties, name, "property");
}
const ProbedState& ProbeStage::feature(const std::string& name) const { return lookup(features, name, "feature"); }
const ProbedState& ProbeStage::component(const std::string& name) const {
    return lookup(components, name, "component");
}

const std::string& ProbeStage::target(const std::string& directory) const {
    return lookup(targets, directory, "target path");
}

const ProbedValue& ProbeStage::value(const std::string& key, const std::string& name) const {
    const auto found = values.find({key, name});
    if (found == values.end()) throw std::out_of_range("the probe was not asked for value " + key + "\\" + name);
    return found->second;
}

const ProbedKey& ProbeStage::key(const std::string& name) const { return lookup(keys, name, "key"); }

const ProbedVersion& ProbeStage::version(const std::string& path) const { return lookup(versions, path, "file version"); }

const std::string& ProbeStage::call(const std::string& finding) const { return lookup(calls, finding, "finding"); }

ProbeReport ProbeReport::parse(const std::string& text) {
    ProbeReport report;
    std::istringstream in(text);
    std::string line;
    ProbeStage* current = nullptr;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const std::vector<std::string> parts = fields(line);
        const std::string& kind = parts[0];
        if (kind == "script" && parts.size() >= 3) {
            report.scripts_.push_back({parts[1], parts[2]});
        } else if (kind == "stage") {
            current = &report.stages_[parts.at(1)];
            *current = ProbeStage{};
        } else if (current == nullptr) {
            continue;
        } else if (kind == "property" && parts.size() >= 4) {
            current->properties[parts[1]] = parts[3];
            current->propertyCodes[parts[1]] = static_cast<unsigned>(std::stoul(parts[2]));
        } else if (kind == "feature" && parts.size() >= 5) {
            current->features[parts[1]] = state(parts);
        } else if (kind == "component" && parts.size() >= 5) {
            current->components[parts[1]] = state(parts);
        } else if (kind == "target" && parts.size() >= 4) {
            current->targets[parts[1]] = parts[3];
        } else if (kind == "value" && parts.size() >= 6) {
            current->values[{parts[1], parts[2]}] = {number(parts[3]), number(parts[4]), fromHex(parts[5])};
        } else if (kind == "key" && parts.size() >= 4) {
            current->keys[parts[1]] = {number(parts[2]), number(parts[3])};
        } else if (kind == "version" && parts.size() >= 4) {
            current->versions[parts[1]] = {number(parts[2]), parts[3]};
        } else if (kind == "call" && parts.size() >= 3) {
            current->calls[parts[1]] = parts[2];
        } else if (kind == "end") {
            current->complete = true;
        }
    }
    return report;
}

const ProbeStage* ProbeReport::stage(const std::string& name) const {
    const auto found = stages_.find(name);
    return found == stages_.end() ? nullptr : &found->second;
}

}  // namespace engine
