// The .NET compiler's files in every version folder of the .NET Framework, so that ASP.NET finds
// the compiler whichever framework version serves a page; deleted there again on rollback and
// removal. Nothing records which folders received them: removal enumerates the framework
// folder afresh and deletes the three names in every version folder it finds.
#include <optional>
#include <string>
#include <vector>

#include "actions.h"
#include "frame/log.h"
#include "frame/messages.h"
#include "frame/text.h"

namespace orvfinalize {

namespace {

constexpr const char* kFrameworkFiles[] = {"qccasp.exe", "qccil.cfg", "qlink32.dll"};
constexpr std::uint32_t kWarningCaption = 102;
constexpr std::uint32_t kCopyFailed = 101;
constexpr std::uint32_t kRemoveFailed = 103;
constexpr std::size_t kMaxPath = 260;  // the ANSI calls' limit, the terminating NUL included

enum class Mode { Install, Remove, Rollback };

// Decided once: REMOVE is not even read during a rollback.
Mode runMode(orv::Session& session) {
    if (session.inRollback()) return Mode::Rollback;
    return session.read("REMOVE").isSet() ? Mode::Remove : Mode::Install;
}

std::string describe(Mode mode) {
    switch (mode) {
        case Mode::Install: return "installing: the framework files are copied";
        case Mode::Remove: return "REMOVE is set: the framework files are deleted";
        case Mode::Rollback: return "rollback: the framework files are deleted";
    }
    return {};
}

// Where the version folders are, and where the files to copy come from. In the script the
// installer hands the action only CustomActionData: "<framework folder>|<installation folder>".
// "|" cannot occur in a Windows path.
struct Folders {
    const char* origin;                        // the property the framework folder came from
    orv::PropertyRead framework;               // as read; its text is the folder alone
    std::optional<std::string> installFolder;  // in the script; outside it INSTALLDIR is read
};

Folders locateFolders(orv::ActionContext& context) {
    orv::Session& session = context.session;
    if (!session.inScript()) return {"DOTNETFRAMEWORK_PATH", session.read("DOTNETFRAMEWORK_PATH"), std::nullopt};
    Folders folders{"CustomActionData", session.read("CustomActionData"), std::string()};
    const std::string data = folders.framework.text;
    const std::size_t bar = data.find('|');
    folders.framework.text = data.substr(0, bar);
    if (bar != std::string::npos) folders.installFolder = data.substr(bar + 1);
    return folders;
}

// What one run did, for its log line.
struct Tally {
    std::size_t versionFolders = 0;
    std::size_t otherEntries = 0;
    std::size_t done = 0;            // files copied or deleted
    std::size_t notDone = 0;         // copies or deletions Windows refused
    std::size_t withoutSource = 0;   // version folders given nothing: no folder to copy from
    std::uint32_t sourceResult = 0;  // the last unusable INSTALLDIR read
};

// The three files into one version folder; false when the installation folder gives none to
// copy from. A relative one would copy whatever lies where msiexec runs.
bool copyFiles(orv::ActionContext& context, const Folders& folders, const std::string& versionFolder, Tally& tally) {
    orv::PropertyRead installDir;
    if (folders.installFolder) {
        installDir.text = *folders.installFolder;
        installDir.length = static_cast<std::uint32_t>(installDir.text.size());
    } else {
        installDir = context.session.read("INSTALLDIR");
    }
    if (!installDir.succeeded() || !orv::isFullPath(installDir.text)) {
        ++tally.withoutSource;
        tally.sourceResult = installDir.result;
        return false;
    }
    const std::string source = orv::ensureTrailingBackslash(installDir.text) + "aspx\\framework\\";
    for (const char* name : kFrameworkFiles) {
        const bool copied = context.os.copyFile((source + name).c_str(), (versionFolder + "\\" + name).c_str(), false);
        ++(copied ? tally.done : tally.notDone);
    }
    return true;
}

void deleteFiles(orv::ActionContext& context, const std::string& versionFolder, Tally& tally) {
    for (const char* name : kFrameworkFiles) {
        const bool deleted = context.os.deleteFile((versionFolder + "\\" + name).c_str());
        ++(deleted ? tally.done : tally.notDone);
    }
}

bool isDots(const orv::DirectoryEntry& entry) { return entry.name == "." || entry.name == ".."; }

// Only a plain folder is a version folder: any attribute besides the directory's (read-only,
// hidden, compressed, a junction) leaves it alone, as a file is.
bool isVersionFolder(const orv::DirectoryEntry& entry) { return entry.attributes == orv::kAttrDirectory; }

std::string summary(Mode mode, const Tally& tally) {
    std::string line = "version folders: " + std::to_string(tally.versionFolders) +
                       "; other entries left alone: " + std::to_string(tally.otherEntries);
    if (tally.withoutSource > 0)
        line += "; version folders given nothing, INSTALLDIR unreadable or not a full path (result " +
                std::to_string(tally.sourceResult) + "): " + std::to_string(tally.withoutSource);
    const bool copying = mode == Mode::Install;
    return line + (copying ? "; files copied: " : "; files deleted: ") + std::to_string(tally.done) +
           (copying ? ", not copied: " : ", not deleted: ") + std::to_string(tally.notDone);
}

}  // namespace

orv::ActionResult processFilesForDotNet(orv::ActionContext& context) {
    orv::ActionLog& log = context.log;
    const Mode mode = runMode(context.session);
    log.write(describe(mode));
    const std::uint32_t failureText = mode == Mode::Install ? kCopyFailed : kRemoveFailed;

    const Folders folders = locateFolders(context);
    const orv::PropertyRead& folder = folders.framework;
    const bool inScript = folders.installFolder.has_value();
    // Outside the script the property names the folder; in it, the folder is a part of the data.
    const std::string origin = inScript ? "CustomActionData's framework folder" : "DOTNETFRAMEWORK_PATH";
    if (inScript) log.write("in the script: the folders come from CustomActionData");
    if (!folder.succeeded()) {
        log.write(std::string(folders.origin) + " cannot be read (result " + std::to_string(folder.result) +
                  "): nothing done");
        // In the script nobody may be there to answer, and a rollback must not stop on a box.
        if (!inScript) orv::showMessage(context, kWarningCaption, failureText, orv::kMbOk);
        return orv::ActionResult::Success;
    }
    // A relative folder would send the search, and the copies or deletions, into whatever folder
    // msiexec runs in.
    if (!orv::isFullPath(folder.text)) {
        log.write(origin + " " + log.value(folders.origin, folder.text) + " is not a full path: nothing done");
        return orv::ActionResult::Success;
    }
    const std::string root = orv::ensureTrailingBackslash(folder.text);
    const std::string pattern = root + "*.*";
    const std::string shownPattern = log.composed({folders.origin}, pattern);
    if (pattern.size() >= kMaxPath) {
        log.write("the search " + shownPattern + " is too long for Windows: nothing done");
        return orv::ActionResult::Success;
    }
    std::vector<orv::DirectoryEntry> entries;
    if (!context.os.findFiles(pattern.c_str(), &entries)) {
        log.write("nothing found by " + shownPattern);
        return orv::ActionResult::Success;
    }

    Tally tally;
    bool failed = false;
    for (const orv::DirectoryEntry& entry : entries) {
        if (isDots(entry)) continue;
        if (!isVersionFolder(entry)) {
            ++tally.otherEntries;
            continue;
        }
        ++tally.versionFolders;
        const std::string versionFolder = root + entry.name;
        if (mode == Mode::Install)
            failed = !copyFiles(context, folders, versionFolder, tally) || failed;
        else
            deleteFiles(context, versionFolder, tally);
    }
    log.write(summary(mode, tally));
    if (failed) orv::showMessage(context, kWarningCaption, failureText, orv::kMbOk);
    return orv::ActionResult::Success;
}

}  // namespace orvfinalize
