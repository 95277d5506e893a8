#include "package.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>

#include "process.h"

namespace engine {

namespace fs = std::filesystem;

namespace {

std::string xml(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string joined(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) out += (out.empty() ? "" : ";") + item;
    return out;
}

// Binary table keys: one per distinct DLL, named after its file.
std::string binaryKey(const fs::path& dll) {
    std::string key = "Bin_";
    for (char c : dll.stem().string()) key += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return key;
}

void writeProperties(std::ostream& out, const PackageDesign& design, const std::string& probeOutput) {
    std::map<std::string, std::string> properties = design.properties;
    properties["PROBE_OUTPUT"] = probeOutput;
    if (!design.probe.properties.empty()) properties["PROBE_PROPERTIES"] = joined(design.probe.properties);
    if (!design.probe.features.empty()) properties["PROBE_FEATURES"] = joined(design.probe.features);
    if (!design.probe.components.empty()) properties["PROBE_COMPONENTS"] = joined(design.probe.components);
    if (!design.probe.targets.empty()) properties["PROBE_TARGETS"] = joined(design.probe.targets);
    for (const auto& [name, value] : properties) {
        if (value.empty())
            throw std::invalid_argument("wixl refuses the empty value of property " + name + ": leave it out");
        out << "    <Property Id=\"" << xml(name) << "\" Value=\"" << xml(value) << "\"/>\n";
    }
}

void writeDirectories(std::ostream& out, const PackageDesign& design) {
    out << "    <Directory Id=\"TARGETDIR\" Name=\"SourceDir\">\n"
           "      <Directory Id=\"ProgramFiles64Folder\">\n"
           "        <Directory Id=\"INSTALLDIR\" Name=\""
        << xml(design.installFolder) << "\">\n"
        << "          <Component Id=\"" << kHarnessComponent
        << "\" Guid=\"6F1D2A7C-3B4E-4C5D-9E8F-0A1B2C3D4E5F\" Win64=\"yes\"><CreateFolder/></Component>\n"
           "        </Directory>\n";
    for (const std::string& directory : design.directories)
        out << "        <Directory Id=\"" << xml(directory) << "\" Name=\"" << xml(directory) << "\"/>\n";
    out << "      </Directory>\n"
           "    </Directory>\n";
}

void writeFeatures(std::ostream& out, const PackageDesign& design) {
    out << "    <Feature Id=\"" << kHarnessFeature << "\" Level=\"1\"><ComponentRef Id=\"" << kHarnessComponent
        << "\"/></Feature>\n";
    for (const FeatureDesign& feature : design.features)
        out << "    <Feature Id=\"" << xml(feature.id) << "\" Level=\"" << feature.level << "\"/>\n";
}

void writeCustomAction(std::ostream& out, const std::string& id, const fs::path& dll, const std::string& entry) {
    out << "    <CustomAction Id=\"" << xml(id) << "\" BinaryKey=\"" << binaryKey(dll) << "\" DllEntry=\""
        << xml(entry) << "\" Execute=\"immediate\" Return=\"check\"/>\n";
}

void writeActions(std::ostream& out, const PackageDesign& design, const fs::path& probeDll) {
    std::set<std::string> binaries;
    for (const fs::path& dll : [&] {
             std::vector<fs::path> all{probeDll};
             for (const ActionDesign& action : design.actions) all.push_back(action.dll);
             return all;
         }()) {
        if (binaries.insert(binaryKey(dll)).second)
            out << "    <Binary Id=\"" << binaryKey(dll) << "\" SourceFile=\"" << xml(dll.filename().string())
                << "\"/>\n";
    }
    // Setting a property from a property that is never set empties it.
    for (const std::string& property : design.clearedProperties)
        out << "    <CustomAction Id=\"" << xml(clearAction(property)) << "\" Property=\"" << xml(property)
            << "\" Value=\"[ORV_ENGINE_NEVER_SET]\"/>\n";
    writeCustomAction(out, "ProbeBefore", probeDll, "ProbeBefore");
    for (const ActionDesign& action : design.actions) writeCustomAction(out, action.entry, action.dll, action.entry);
    writeCustomAction(out, "ProbeAfter", probeDll, "ProbeAfter");
}

// The standard actions' places in wixl's sequence table.
int anchorSequence(Stage stage) { return stage == Stage::AfterCostFinalize ? 1000 : 6600; }

const char* anchorAction(Stage stage) {
    return stage == Stage::AfterCostFinalize ? "CostFinalize" : "InstallFinalize";
}

// Explicit numbers rather than After= chains: wixl can move a chain of custom actions elsewhere
// in the sequence (one starting "After=CostFinalize" landed after InstallFinalize because an
// action's name sorted before CostFinalize).
void writeSequence(std::ostream& out, const PackageDesign& design) {
    out << "    <InstallExecuteSequence>\n";
    int sequence = anchorSequence(design.stage);
    for (const std::string& action : scheduledActions(design)) {
        ++sequence;
        if (action == "ResolveSource") out << "      <ResolveSource Sequence=\"" << sequence << "\"/>\n";
        else out << "      <Custom Action=\"" << xml(action) << "\" Sequence=\"" << sequence << "\"/>\n";
    }
    out << "    </InstallExecuteSequence>\n";
}

std::vector<std::string> sequencedActions(const std::string& exported) {
    std::vector<std::pair<int, std::string>> rows;
    std::istringstream in(exported);
    std::string line;
    while (std::getline(in, line)) {
        const auto first = line.find('\t');
        const auto last = line.rfind('\t');
        if (first == std::string::npos || last == first) continue;
        const std::string number = line.substr(last + 1);
        if (number.empty() || !std::isdigit(static_cast<unsigned char>(number[0]))) continue;
        rows.emplace_back(std::stoi(number), line.substr(0, first));
    }
    std::sort(rows.begin(), rows.end());
    std::vector<std::string> actions;
    for (const auto& row : rows) actions.push_back(row.second);
    return actions;
}

}  // namespace

std::string clearAction(const std::string& property) { return "Clear_" + property; }

std::vector<std::string> scheduledActions(const PackageDesign& design) {
    std::vector<std::string> actions;
    if (design.resolveSource) actions.push_back("ResolveSource");
    for (const std::string& property : design.clearedProperties) actions.push_back(clearAction(property));
    actions.push_back("ProbeBefore");
    for (const ActionDesign& action : design.actions) actions.push_back(action.entry);
    actions.push_back("ProbeAfter");
    return actions;
}

void checkSequence(const fs::path& msiinfo, const fs::path& msi, const PackageDesign& design) {
    const fs::path folder = msi.parent_path();
    runProcess({msiinfo.string(), "export", msi.string(), "InstallExecuteSequence"}, Environment::inherited(),
               folder / "sequence.idt", folder / "sequence.err", std::chrono::seconds(60));
    const std::vector<std::string> actions = sequencedActions(readText(folder / "sequence.idt"));
    std::vector<std::string> expected{anchorAction(design.stage)};
    for (const std::string& action : scheduledActions(design)) expected.push_back(action);
    const auto anchor = std::find(actions.begin(), actions.end(), expected.front());
    if (anchor == actions.end() || actions.end() - anchor < static_cast<long>(expected.size()) ||
        !std::equal(expected.begin(), expected.end(), anchor))
        throw std::runtime_error("wixl did not sequence the actions right after " + expected.front() + " in " +
                                 msi.string() + "; see sequence.idt beside it");
}

std::string packageSource(const PackageDesign& design, const fs::path& probeDll, const std::string& probeOutput) {
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n"
           "  <Product Id=\"*\" Name=\""
        << xml(design.productName)
        << "\" Language=\"1033\" Version=\"1.0.0\" Manufacturer=\"Orvanta Engine Tests\""
           " UpgradeCode=\"0E4C1B7A-52D3-4F60-8A19-7C2B3D4E5F60\">\n"
           "    <Package InstallerVersion=\"200\" Compressed=\"yes\" InstallScope=\"perMachine\"/>\n"
           "    <Media Id=\"1\" Cabinet=\"engine.cab\" EmbedCab=\"yes\"/>\n";
    writeProperties(out, design, probeOutput);
    writeDirectories(out, design);
    writeFeatures(out, design);
    writeActions(out, design, probeDll);
    writeSequence(out, design);
    out << "  </Product>\n</Wix>\n";
    return out.str();
}

fs::path buildPackage(const fs::path& wixl, const std::string& source, const std::vector<fs::path>& dlls,
                      const fs::path& folder, const std::string& name) {
    fs::create_directories(folder);
    for (const fs::path& dll : dlls) {
        if (!fs::is_regular_file(dll)) throw std::runtime_error("missing custom-action DLL " + dll.string());
        fs::copy_file(dll, folder / dll.filename(), fs::copy_options::overwrite_existing);
    }
    const fs::path wxs = folder / (name + ".wxs");
    std::ofstream(wxs, std::ios::binary) << source;
    const fs::path msi = folder / (name + ".msi");
    // wixl resolves relative source files against the working folder, so it runs from there.
    Environment environment = Environment::inherited();
    const auto result = runProcess({"/bin/sh", "-c", "cd \"$1\" && exec \"$2\" -a x64 -o \"$3\" \"$4\"", "sh",
                                    folder.string(), wixl.string(), msi.string(), wxs.string()},
                                   environment, folder / "wixl.out", folder / "wixl.err", std::chrono::seconds(60));
    if (result.exitCode != 0 || !fs::is_regular_file(msi))
        throw std::runtime_error("wixl failed on " + wxs.string() + ": " + readText(folder / "wixl.err"));
    return msi;
}

}  // namespace engine
