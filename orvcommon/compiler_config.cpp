// The command-line compiler's configuration: the folder of compiled units it searches, written
// beside the .NET compiler files (OrvFinalize later copies that one into the framework folders)
// and beside the compiler in bin.
#include <string>
#include <string_view>

#include "actions.h"
#include "frame/log.h"
#include "frame/messages.h"
#include "frame/text.h"

namespace orvcommon {

namespace {

constexpr std::uint32_t kWarningCaption = 102;
constexpr std::uint32_t kConfigurationFailed = 107;
constexpr std::uint32_t kWarningStyle = orv::kMbTopmost | orv::kMbIconWarning;
constexpr const char* kFileName = "qccil.cfg";

struct ConfigFile {
    const char* folder;  // below the installation folder, where the file goes
    const char* units;   // below the installation folder, what the option names
};

constexpr ConfigFile kConfigFiles[] = {
    {"aspx\\framework\\", "aspx\\units"},
    {"bin\\", "units"},
};

// A file created for writing and closed exactly once, whatever happens in between.
class NewFile {
public:
    NewFile(orv::Platform& os, const std::string& path) : os_(os), handle_(os.createFile(path.c_str())) {}
    ~NewFile() {
        if (handle_ != 0) os_.closeFile(handle_);
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    bool isOpen() const { return handle_ != 0; }
    bool write(std::string_view bytes) { return os_.writeFile(handle_, bytes); }

private:
    orv::Platform& os_;
    orv::FileHandle handle_;
};

// Empty on success, otherwise what went wrong. The line goes out in one write, with nothing
// before or after it, so a compiler never reads half an option.
std::string writeWhole(orv::Platform& os, const std::string& path, std::string_view bytes) {
    NewFile file(os, path);
    if (!file.isOpen()) return "could not be created";
    if (!file.write(bytes)) return "could not be written";
    return {};
}

// One file below the installation folder, which ends with a backslash; false when it failed.
bool writeConfigFile(orv::ActionContext& context, const std::string& installFolder, const ConfigFile& config) {
    orv::ActionLog& log = context.log;
    const std::string path = installFolder + config.folder + kFileName;
    const std::string units = installFolder + config.units;
    const std::string failure = writeWhole(context.os, path, "-u\"" + units + "\"\r\n");
    const std::string shown = log.composed({"INSTALLDIR"}, path);
    if (!failure.empty()) {
        log.write(shown + " " + failure);
        return false;
    }
    log.write("wrote " + shown + " naming the units in " + log.composed({"INSTALLDIR"}, units));
    return true;
}

}  // namespace

orv::ActionResult createCompilerConfig(orv::ActionContext& context) {
    orv::Session& session = context.session;
    orv::ActionLog& log = context.log;
    const orv::PropertyRead installDir = session.read("INSTALLDIR");
    const orv::PropertyRead product = session.read("REG_PRODUCT");
    if (!installDir.succeeded() || !product.succeeded()) {
        log.write("INSTALLDIR or REG_PRODUCT cannot be read (results " + std::to_string(installDir.result) + ", " +
                  std::to_string(product.result) + "): no configuration file written");
        return orv::ActionResult::Success;
    }
    // Relative paths would land wherever msiexec runs; the compiler would still miss its files,
    // so each one counts as failed and is warned about.
    const bool usable = orv::isFullPath(installDir.text);
    if (!usable)
        log.write("INSTALLDIR " + log.value("INSTALLDIR", installDir.text) +
                  " is not a full path: no configuration file written");
    const std::string folder = orv::ensureTrailingBackslash(installDir.text);
    for (const ConfigFile& config : kConfigFiles)
        if (!usable || !writeConfigFile(context, folder, config))
            orv::showMessage(context, kWarningCaption, kConfigurationFailed, kWarningStyle);
    return orv::ActionResult::Success;
}

}  // namespace orvcommon
