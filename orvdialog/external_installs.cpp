// Installers of other packages that Setup can start: the Granary client always, and MDAC 2.7
// where the machine lacks it. The dialog lists them in numbered rows; a row's caption is what
// identifies its install when the user's choice comes back.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "actions.h"
#include "frame/files.h"
#include "frame/log.h"
#include "frame/registry.h"
#include "frame/text.h"
#include "numbered_rows.h"

namespace orvdialog {

namespace {

constexpr std::uint32_t kGranaryCaption = 101;
constexpr std::uint32_t kMdacCaption = 102;
constexpr std::uint32_t kDcomCaption = 103;

constexpr const char* kDataAccessKey = "Software\\Microsoft\\DataAccess";
constexpr const char* kOleDbFile = "System\\ole db\\oledb32.dll";
constexpr const char* kWindowsXp = "501";  // VersionNT

using Version = std::array<std::int32_t, 4>;
constexpr Version kMdac27 = {2, 70, 9001, 0};

// Each position takes the number before the next point; a part that is not a number gives 0
// and stops the text from moving on, and the last part repeats where points run out.
Version splitVersion(std::string_view text) {
    Version numbers{};
    for (std::int32_t& number : numbers) {
        const std::size_t point = text.find('.');
        try {
            number = orv::parseInteger(text.substr(0, point));
            if (point != std::string_view::npos) text.remove_prefix(point + 1);
        } catch (const orv::ConversionError&) {
            number = 0;
        }
    }
    return numbers;
}

std::string describe(const Version& version) {
    return orv::formatInteger(version[0]) + "." + orv::formatInteger(version[1]) + "." +
           orv::formatInteger(version[2]) + "." + orv::formatInteger(version[3]);
}

// The registered version decides when it reaches MDAC 2.7; otherwise the file may still show it.
bool registeredVersionPresent(orv::ActionContext& context, orv::Registry& registry) {
    std::string text;
    try {
        text = registry.readString("Version");
    } catch (const orv::RegistryError&) {
        // A value that cannot be read counts as empty.
    }
    registry.closeKey();
    if (text.empty()) {
        context.log.write("DataAccess \"Version\" empty or unreadable");
        return false;
    }
    const Version version = splitVersion(text);
    const bool present = version >= kMdac27;
    context.log.write("DataAccess \"Version\" " + orv::quoted(text) + " reads " + describe(version) +
                      (present ? ": MDAC 2.7 present" : ": below 2.70.9001.0"));
    return present;
}

bool oleDbFilePresent(orv::ActionContext& context) {
    const orv::PropertyRead folder = context.session.read("CommonFilesFolder");
    // Without a full folder the path would be relative to wherever msiexec runs.
    if (!folder.succeeded() || !orv::isFullPath(folder.text)) {
        context.log.write("CommonFilesFolder is no full path: oledb32.dll not examined");
        return false;
    }
    const std::string path = folder.text + kOleDbFile;
    const std::string shown = context.log.composed({"CommonFilesFolder"}, path);
    if (!orv::fileExists(context.os, path)) {
        context.log.write(shown + " not found");
        return false;
    }
    orv::FileVersion version;
    if (!context.os.fileVersion(path.c_str(), &version)) {
        context.log.write(shown + " has no readable version");
        return false;
    }
    const std::array<std::uint32_t, 3> file = {version.mostSignificant >> 16, version.mostSignificant & 0xFFFF,
                                               version.leastSignificant >> 16};
    const bool present = file >= std::array<std::uint32_t, 3>{2, 70, 9001};
    context.log.write(shown + " is " + std::to_string(file[0]) + "." + std::to_string(file[1]) + "." +
                      std::to_string(file[2]) + "." + std::to_string(version.leastSignificant & 0xFFFF) +
                      (present ? ": MDAC 2.7 present" : ": below 2.70.9001"));
    return present;
}

bool mdacMissing(orv::ActionContext& context) {
    const orv::PropertyRead versionNt = context.session.read("VersionNT");
    if (versionNt.succeeded() && versionNt.text == kWindowsXp) {
        context.log.write("VersionNT 501: Windows XP carries MDAC 2.7");
        return false;
    }
    orv::Registry registry(context.os);
    if (!registry.openKey(kDataAccessKey, false)) {
        context.log.write("Software\\Microsoft\\DataAccess cannot be opened: MDAC missing");
        return true;
    }
    return !registeredVersionPresent(context, registry) && !oleDbFilePresent(context);
}

void offer(orv::ActionContext& context, std::int32_t slot, std::uint32_t captionId, const char* request) {
    const std::string number = orv::formatInteger(slot);
    const std::string caption = context.os.loadString(captionId);
    context.session.write(orv::numberedName("Enable_Ext_Install_", slot).c_str(), "1");
    context.session.write(request, number);
    context.session.write(orv::numberedName("External_Install_Text_", slot).c_str(), caption);
    context.log.write("slot " + number + " offers " + orv::quoted(caption) + "; " + request + " " +
                      orv::quoted(number));
}

// The request property a caption stands for; null when it names no install.
const char* requestOf(const std::string& caption, const std::array<std::string, 3>& captions) {
    constexpr std::array<const char*, 3> kRequests = {"INSTALL_GRANARY", "INSTALL_MDAC", "INSTALL_DCOM"};
    for (std::size_t i = 0; i < captions.size(); ++i)
        if (caption == captions[i]) return kRequests[i];
    return nullptr;
}

// Withdraws the request of a row whose box the user cleared; true when the box is still checked.
// A box that cannot be read is not taken for a cleared one.
bool applyChoice(orv::ActionContext& context, std::int32_t n, const orv::PropertyRead& caption,
                 const std::array<std::string, 3>& captions) {
    if (!readEmpty(context.session.read(orv::numberedName("External_Install_", n).c_str()))) return true;
    const std::string slot = "slot " + orv::formatInteger(n);
    const char* request = caption.succeeded() ? requestOf(caption.text, captions) : nullptr;
    if (request == nullptr) {
        context.log.write(slot + " cleared, but its caption names no external install: nothing withdrawn");
        return false;
    }
    context.session.remove(request);
    context.log.write(slot + " " + orv::quoted(caption.text) + " cleared: " + request + " removed");
    return false;
}

}  // namespace

orv::ActionResult checkExtInstalls(orv::ActionContext& context) {
    offer(context, 1, kGranaryCaption, "INSTALL_GRANARY");
    if (mdacMissing(context))
        offer(context, 2, kMdacCaption, "INSTALL_MDAC");
    else
        context.log.write("MDAC not offered");
    return orv::ActionResult::Success;
}

orv::ActionResult processExternalInstalls(orv::ActionContext& context) {
    // The captions as this library carries them now, the same table CheckExtInstalls wrote from.
    const std::array<std::string, 3> captions = {context.os.loadString(kGranaryCaption),
                                                 context.os.loadString(kMdacCaption),
                                                 context.os.loadString(kDcomCaption)};
    std::int32_t kept = 0;
    const auto visit = [&](std::int32_t n, const orv::PropertyRead& caption) {
        if (applyChoice(context, n, caption, captions)) ++kept;
    };
    const std::int32_t rows = forEachRow(context.session, "External_Install_Text_", visit);
    context.log.write(orv::formatInteger(rows) + " slots read; " + orv::formatInteger(kept) + " still checked");
    return orv::ActionResult::Success;
}

}  // namespace orvdialog
