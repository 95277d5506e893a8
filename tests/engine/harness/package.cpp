#include "package.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
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
    const auto list = [&](const char* name, const std::vector<std::string>& items) {
        if (!items.empty()) properties[name] = joined(items);
    };
    list("PROBE_PROPERTIES", design.probe.properties);
    list("PROBE_FEATURES", design.probe.features);
    list("PROBE_COMPONENTS", design.probe.components);
    list("PROBE_TARGETS", design.probe.targets);
    std::vector<std::string> values;
    for (const auto& [key, name] : design.probe.values) values.push_back(key + "\\" + name);
    list("PROBE_VALUES", values);
    list("PROBE_KEYS", design.probe.keys);
    list("PROBE_FILE_VERSIONS", design.probe.fileVersions);
    list("PROBE_WRITE_PROTECTED_KEYS", design.writeProtectedKeys);
    for (const auto& [name, value] : properties) {
        if (value.empty())
            throw std::invalid_argument("wixl refuses the empty value of property " + name + ": leave it out");
        out << "    <Property Id=\"" << xml(name) << "\" Value=\"" << xml(value) << "\"/>\n";
    }
}

// Component GUIDs only need to differ between the components of one package; a hash of the
// name keeps a package the same from run to run.
std::string componentGuid(const std::string& id) {
    std::uint64_t hash = 1469598103934665603ull;
    for (char c : id) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    char guid[40];
    std::snprintf(guid, sizeof guid, "7A0C%04X-%04X-4%03X-8%03X-%012llX", static_cast<unsigned>(hash >> 48 & 0xFFFF),
                  static_cast<unsigned>(hash >> 32 & 0xFFFF), static_cast<unsigned>(hash >> 20 & 0xFFF),
                  static_cast<unsigned>(hash >> 8 & 0xFFF), static_cast<unsigned long long>(hash & 0xFFFFFFFFFFFFull));
    return guid;
}

std::string fileSource(const ComponentDesign& component, const FileDesign& file) {
    return "files/" + component.id + "/" + file.name;
}

void writeComponents(std::ostream& out, const PackageDesign& design, const std::string& directory,
                     const std::string& indent) {
    for (const ComponentDesign& component : design.components) {
        if (component.directory != directory) continue;
        out << indent << "<Component Id=\"" << xml(component.id) << "\" Guid=\"" << componentGuid(component.id)
            << "\" Win64=\"yes\">";
        if (component.files.empty()) out << "<CreateFolder/>";
        for (std::size_t n = 0; n < component.files.size(); ++n)
            out << "<File Id=\"F_" << xml(component.id) << "_" << n << "\" Name=\"" << xml(component.files[n].name)
                << "\" Source=\"" << xml(fileSource(component, component.files[n])) << "\"/>";
        out << "</Component>\n";
    }
}

void writeDirectories(std::ostream& out, const PackageDesign& design) {
    std::set<std::string> known{"INSTALLDIR"};
    known.insert(design.directories.begin(), design.directories.end());
    for (const ComponentDesign& component : design.components)
        if (!known.contains(component.directory))
            throw std::invalid_argument("component " + component.id + " is in " + component.directory +
                                        ", which the package does not have");
    out << "    <Directory Id=\"TARGETDIR\" Name=\"SourceDir\">\n"
           "      <Directory Id=\"ProgramFiles64Folder\">\n"
           "        <Directory Id=\"INSTALLDIR\" Name=\""
        << xml(design.installFolder) << "\">\n"
        << "          <Component Id=\"" << kHarnessComponent
        << "\" Guid=\"6F1D2A7C-3B4E-4C5D-9E8F-0A1B2C3D4E5F\" Win64=\"yes\"><CreateFolder/></Component>\n";
    writeComponents(out, design, "INSTALLDIR", "          ");
    out << "        </Directory>\n";
    for (const std::string& directory : design.directories) {
        out << "        <Directory Id=\"" << xml(directory) << "\" Name=\"" << xml(directory) << "\">\n";
        writeComponents(out, design, directory, "          ");
        out << "        </Directory>\n";
    }
    out << "      </Directory>\n"
           "    </Directory>\n";
}

void writeFeatureTree(std::ostream& out, const PackageDesign& design, const std::string& parent,
                      const std::string& indent) {
    for (const FeatureDesign& feature : design.features) {
        if (feature.parent != parent) continue;
        out << indent << "<Feature Id=\"" << xml(feature.id) << "\" Level=\"" << feature.level << "\">";
        for (const std::string& component : feature.components) out << "<ComponentRef Id=\"" << xml(component) << "\"/>";
        out << "\n";
        writeFeatureTree(out, design, feature.id, indent + "  ");
        out << indent << "</Feature>\n";
    }
}

void writeFeatures(std::ostream& out, const PackageDesign& design) {
    std::set<std::string> ids;
    for (const FeatureDesign& feature : design.features) ids.insert(feature.id);
    for (const FeatureDesign& feature : design.features)
        if (!feature.parent.empty() && !ids.contains(feature.parent))
            throw std::invalid_argument("feature " + feature.id + " has a parent the package lacks: " + feature.parent);
    out << "    <Feature Id=\"" << kHarnessFeature << "\" Level=\"1\"><ComponentRef Id=\"" << kHarnessComponent
        << "\"/></Feature>\n";
    writeFeatureTree(out, design, "", "    ");
}

const char* executeName(Execute execute) {
    switch (execute) {
        case Execute::Immediate: return "immediate";
        case Execute::Deferred: return "deferred";
        case Execute::Rollback: return "rollback";
        case Execute::Commit: return "commit";
    }
    return "immediate";
}

void writeCustomAction(std::ostream& out, const std::string& id, const fs::path& dll, const std::string& entry,
                       Execute execute) {
    out << "    <CustomAction Id=\"" << xml(id) << "\" BinaryKey=\"" << binaryKey(dll) << "\" DllEntry=\""
        << xml(entry) << "\" Execute=\"" << executeName(execute) << "\" Return=\"check\"/>\n";
}

void writeActions(std::ostream& out, const PackageDesign& design, const fs::path& probeDll) {
    std::set<std::string> binaries;
    std::vector<fs::path> all{probeDll};
    for (const ActionDesign& action : design.actions) all.push_back(action.dll);
    for (const fs::path& dll : all) {
        if (binaries.insert(binaryKey(dll)).second)
            out << "    <Binary Id=\"" << binaryKey(dll) << "\" SourceFile=\"" << xml(dll.filename().string())
                << "\"/>\n";
    }
    // Setting a property from a property that is never set empties it.
    for (const std::string& property : design.clearedProperties)
        out << "    <CustomAction Id=\"" << xml(clearAction(property)) << "\" Property=\"" << xml(property)
            << "\" Value=\"[ORV_ENGINE_NEVER_SET]\"/>\n";
    if (!design.writeProtectedKeys.empty())
        writeCustomAction(out, "DenyKeyWrites", probeDll, "DenyKeyWrites", Execute::Immediate);
    writeCustomAction(out, "ProbeBefore", probeDll, "ProbeBefore", Execute::Immediate);
    std::set<std::string> names;
    for (const ActionDesign& action : design.actions) {
        if (!names.insert(action.actionName()).second)
            throw std::invalid_argument("two actions named " + action.actionName() + ": give one a name of its own");
        if (action.customActionData) {
            if (action.customActionData->empty())
                throw std::invalid_argument("wixl refuses empty CustomActionData for " + action.actionName());
            out << "    <CustomAction Id=\"" << xml(dataAction(action.actionName())) << "\" Property=\""
                << xml(action.actionName()) << "\" Value=\"" << xml(*action.customActionData) << "\"/>\n";
        }
        writeCustomAction(out, action.actionName(), action.dll, action.entry, action.execute);
    }
    writeCustomAction(out, "ProbeAfter", probeDll, "ProbeAfter", Execute::Immediate);
}

// The standard actions' places in wixl's sequence table.
int anchorSequence(Stage stage) {
    switch (stage) {
        case Stage::AfterCostFinalize: return 1000;
        case Stage::AfterInstallInitialize: return 1500;
        case Stage::AfterInstallFiles: return 4000;
        case Stage::AfterInstallFinalize: return 6600;
    }
    return 1000;
}

const char* anchorAction(Stage stage) {
    switch (stage) {
        case Stage::AfterCostFinalize: return "CostFinalize";
        case Stage::AfterInstallInitialize: return "InstallInitialize";
        case Stage::AfterInstallFiles: return "InstallFiles";
        case Stage::AfterInstallFinalize: return "InstallFinalize";
    }
    return "CostFinalize";
}

// Explicit numbers rather than After= chains: wixl can move a chain of custom actions elsewhere
// in the sequence (one starting "After=CostFinalize" landed after InstallFinalize because an
// action's name sorted before CostFinalize).
void writeSequence(std::ostream& out, const PackageDesign& design) {
    out << "    <InstallExecuteSequence>\n";
    // wixl leaves InstallFiles out of a package without files.
    if (design.stage == Stage::AfterInstallFiles) out << "      <InstallFiles Sequence=\"4000\"/>\n";
    std::map<std::string, std::string> conditions;
    for (const ActionDesign& action : design.actions)
        if (!action.condition.empty()) {
            conditions[action.actionName()] = action.condition;
            if (action.customActionData) conditions[dataAction(action.actionName())] = action.condition;
        }
    int sequence = anchorSequence(design.stage);
    for (const std::string& action : scheduledActions(design)) {
        ++sequence;
        if (action == "ResolveSource") {
            out << "      <ResolveSource Sequence=\"" << sequence << "\"/>\n";
            continue;
        }
        out << "      <Custom Action=\"" << xml(action) << "\" Sequence=\"" << sequence << "\">";
        if (const auto found = conditions.find(action); found != conditions.end()) out << xml(found->second);
        out << "</Custom>\n";
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

std::string dataAction(const std::string& action) { return "SetData_" + action; }

std::vector<std::string> scheduledActions(const PackageDesign& design) {
    std::vector<std::string> actions;
    if (design.resolveSource) actions.push_back("ResolveSource");
    for (const std::string& property : design.clearedProperties) actions.push_back(clearAction(property));
    if (!design.writeProtectedKeys.empty()) actions.push_back("DenyKeyWrites");
    actions.push_back("ProbeBefore");
    for (const ActionDesign& action : design.actions) {
        if (action.customActionData) actions.push_back(dataAction(action.actionName()));
        actions.push_back(action.actionName());
    }
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

namespace {

// Custom action types: 1 for a DLL in the Binary table, 1024 in the script, with 256 for
// rollback or 512 for commit; wixl's 2048 (no impersonation) is kept as on its own deferred type.
int fixedType(Execute execute) { return execute == Execute::Rollback ? 1 + 1024 + 256 + 2048 : 1 + 1024 + 512 + 2048; }

// wixl resolves relative source files against the working folder, so the tools run from there.
ProcessResult runIn(const fs::path& folder, const std::vector<std::string>& command, const std::string& step) {
    std::vector<std::string> shell{"/bin/sh", "-c", "cd \"$1\" && shift && exec \"$@\"", "sh", folder.string()};
    shell.insert(shell.end(), command.begin(), command.end());
    return runProcess(shell, Environment::inherited(), folder / (step + ".out"), folder / (step + ".err"),
                      std::chrono::seconds(60));
}

}  // namespace

fs::path buildPackage(const PackageTools& tools, const PackageDesign& design, const fs::path& probeDll,
                      const std::string& probeOutput, const VersionedFiles& versionedFiles, const fs::path& folder,
                      const std::string& name) {
    fs::create_directories(folder);
    std::vector<fs::path> dlls{probeDll};
    for (const ActionDesign& action : design.actions) dlls.push_back(action.dll);
    for (const fs::path& dll : dlls) {
        if (!fs::is_regular_file(dll)) throw std::runtime_error("missing custom-action DLL " + dll.string());
        fs::copy_file(dll, folder / dll.filename(), fs::copy_options::overwrite_existing);
    }
    for (const ComponentDesign& component : design.components)
        for (const FileDesign& file : component.files) {
            const fs::path placed = folder / fileSource(component, file);
            fs::create_directories(placed.parent_path());
            if (file.version) fs::copy_file(versionedFiles.dll(*file.version), placed, fs::copy_options::overwrite_existing);
            else std::ofstream(placed, std::ios::binary) << file.contents;
        }
    const fs::path wxs = folder / (name + ".wxs");
    std::ofstream(wxs, std::ios::binary) << packageSource(design, probeDll, probeOutput);
    const fs::path msi = folder / (name + ".msi");
    const auto built = runIn(folder, {tools.wixl.string(), "-a", "x64", "-o", msi.string(), wxs.string()}, "wixl");
    if (built.exitCode != 0 || !fs::is_regular_file(msi))
        throw std::runtime_error("wixl failed on " + wxs.string() + ": " + readText(folder / "wixl.err"));
    for (const ActionDesign& action : design.actions) {
        if (action.execute != Execute::Rollback && action.execute != Execute::Commit) continue;
        const std::string query = "UPDATE CustomAction SET Type=" + std::to_string(fixedType(action.execute)) +
                                  " WHERE Action='" + action.actionName() + "'";
        const auto fixed = runIn(folder, {tools.msibuild.string(), msi.string(), "-q", query}, "msibuild");
        if (fixed.exitCode != 0)
            throw std::runtime_error("msibuild failed on " + msi.string() + ": " + readText(folder / "msibuild.err"));
    }
    checkSequence(tools.msiinfo, msi, design);
    return msi;
}

}  // namespace engine
