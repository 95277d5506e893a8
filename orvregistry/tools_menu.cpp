// The IDE's Tools menu: one entry for each companion tool found on the disk, appended after the
// entries already there. Entries are only ever added, and never twice under the same title, so
// what the user or an earlier installation made survives and a repair adds nothing.
#include <cstdint>
#include <optional>
#include <string>

#include "actions.h"
#include "frame/files.h"
#include "frame/locations.h"
#include "frame/messages.h"
#include "frame/registry.h"
#include "frame/text.h"

namespace orvregistry {

namespace {

constexpr std::uint32_t kFailureCaption = 102;
constexpr std::uint32_t kFailureText = 111;
constexpr std::uint32_t kFailureStyle = orv::kMbOk | orv::kMbIconWarning | orv::kMbTopmost;

constexpr const char* kVaultSyncKey = "Software\\Orvanta\\VaultSync\\1.0";

struct Row {
    const char* program;  // names the row in the log
    std::string path;
    std::string workingFolder;
    std::uint32_t titleId;
    std::string shownPath;  // the path as the log may show it
};

// The tools in INSTALLDIR's "Bin" folder, in the order their rows are tried.
struct BinTool {
    const char* program;
    std::uint32_t titleId;
};
constexpr BinTool kBinTools[] = {
    {"mkimport.exe", 115}, {"hsconfig.exe", 116}, {"pixpad.exe", 104}, {"bundler.exe", 105}, {"schemalink.exe", 112},
};

// Any value whose name begins with "Title" counts, not only the numbered ones, and the title
// must match byte for byte. A value that cannot be read ends the search: the title then counts
// as absent unless it was already found.
bool titlePresent(orv::Platform& os, const std::string& keyPath, const std::string& title) {
    orv::Registry registry(os);
    if (!registry.openKey(keyPath, false)) return false;
    try {
        for (const std::string& name : registry.valueNames())
            if (name.starts_with("Title") && registry.readString(name) == title) return true;
    } catch (const orv::RegistryError&) {
    }
    return false;
}

class ToolsMenu {
public:
    explicit ToolsMenu(orv::ActionContext& context) : context_(context), key_(context.os) {}

    // Opens the key, creating it, and takes the entry count from Count. False when no row may
    // be tried.
    bool open() {
        const std::optional<std::string> productKey = orv::productKey(context_.session);
        if (!productKey) return refuse("REG_PRODUCT or REG_VERSION not set: no Tools-menu key");
        keyPath_ = *productKey + "\\Transfer";
        shownKey_ = context_.log.composed({"REG_PRODUCT", "REG_VERSION"}, keyPath_);
        if (!key_.openKey(keyPath_, true)) return refuse("Tools-menu key " + shownKey_ + " cannot be opened");
        std::string countText;
        try {
            countText = key_.readString("Count");
        } catch (const orv::RegistryError&) {
            return refuse("Count under " + shownKey_ + " is not a string");
        }
        if (!countText.empty()) {
            try {
                count_ = orv::parseInteger(countText);
            } catch (const orv::ConversionError&) {
                return refuse("Count " + orv::quoted(countText) + " under " + shownKey_ + " is not a number");
            }
            // Numbering from a negative count would write entries the IDE never reads.
            if (count_ < 0) return refuse("Count " + orv::quoted(countText) + " under " + shownKey_ + " is negative");
        }
        context_.log.write("Tools-menu key " + shownKey_ + ", Count " + orv::formatInteger(count_));
        return true;
    }

    // A step failed: the rows that depend on it are not tried.
    void fail(const std::string& cause, const char* consequence) {
        if (success_) context_.log.write(cause + ": " + consequence);
        success_ = false;
    }
    void resetFailure() { success_ = true; }
    bool trying() const { return success_; }

    void add(const Row& row) {
        if (!success_) return;
        if (!orv::fileExists(context_.os, row.path))
            return context_.log.write(std::string(row.program) + " not found at " + row.shownPath + ": no entry");
        addFound(row);
    }

    // For a tool whose file is already known to be there.
    void addFound(const Row& row) {
        const std::string title = context_.os.loadString(row.titleId);
        if (titlePresent(context_.os, keyPath_, title))
            return context_.log.write("entry " + orv::quoted(title) + " already present: " + row.program + " not added");
        if (count_ == INT32_MAX)
            return context_.log.write("Count cannot go past " + orv::formatInteger(count_) + ": " + row.program +
                                      " not added");
        const std::int32_t number = count_++;
        const std::string entry = "entry " + orv::formatInteger(number) + " " + orv::quoted(title);
        try {
            key_.writeString(orv::numberedName("Params", number), "");
            key_.writeString(orv::numberedName("Path", number), row.path);
            key_.writeString(orv::numberedName("Title", number), title);
            key_.writeString(orv::numberedName("WorkingDir", number), row.workingFolder);
            key_.writeString("Count", orv::formatInteger(count_));
        } catch (const orv::RegistryError&) {
            // What was written stays, and the number stays taken.
            return context_.log.write(entry + " for " + row.shownPath + " could not be written whole");
        }
        context_.log.write(entry + " added for " + row.shownPath);
    }

    void close() { key_.closeKey(); }
    // The outcome is not examined: a key that did not open makes the entry's writes fail.
    void reopen() { key_.openKey(keyPath_, true); }

private:
    bool refuse(const std::string& why) {
        context_.log.write(why + ": no entry added");
        return false;
    }

    orv::ActionContext& context_;
    orv::Registry key_;
    std::string keyPath_;
    std::string shownKey_;
    std::int32_t count_ = 0;
    bool success_ = true;
};

std::string readFailure(const char* property, const orv::PropertyRead& read) {
    return std::string(property) + " cannot be read (result " + std::to_string(read.result) + ")";
}

// Rows 1 to 6: one failure skips the rest of them.
void addCompanionTools(orv::ActionContext& context, ToolsMenu& menu) {
    constexpr const char* kSkipped = "the rows up to schemalink.exe are skipped";
    const orv::PropertyRead tableWorkbench = context.session.read("OSTWB");
    if (!tableWorkbench.succeeded())
        menu.fail(readFailure("OSTWB", tableWorkbench), kSkipped);
    else if (tableWorkbench.text.empty())
        menu.fail("OSTWB is empty", kSkipped);
    const std::string twbPath = orv::stripTrailingBackslash(tableWorkbench.text) + "\\twb32.exe";
    menu.add({"twb32.exe", twbPath, tableWorkbench.text, 103, context.log.value("OSTWB", twbPath)});

    for (const BinTool& tool : kBinTools) {
        const orv::PropertyRead installDir = context.session.read("INSTALLDIR");
        if (!installDir.succeeded()) menu.fail(readFailure("INSTALLDIR", installDir), kSkipped);
        const std::string folder = installDir.text + "Bin";
        const std::string path = folder + "\\" + tool.program;
        // Without a folder the path would be relative to wherever msiexec runs.
        if (installDir.succeeded() && installDir.text.empty()) {
            if (menu.trying()) context.log.write(std::string("INSTALLDIR is empty: ") + tool.program + " not tried");
            continue;
        }
        menu.add({tool.program, path, folder, tool.titleId, context.log.value("INSTALLDIR", path)});
    }
}

// Row 7 is tried whatever happened to rows 1 to 6.
void addFolioDesigner(orv::ActionContext& context, ToolsMenu& menu) {
    menu.resetFailure();
    const orv::PropertyRead installDir = context.session.read("INSTALLDIR");
    if (!installDir.succeeded())
        menu.fail(readFailure("INSTALLDIR", installDir), "Folio.exe not tried");
    else if (installDir.text.empty())
        menu.fail("INSTALLDIR is empty", "Folio.exe not tried");
    const std::string folder = orv::stripTrailingBackslash(installDir.text) + "\\Folio5";
    const std::string path = folder + "\\Folio.exe";
    menu.add({"Folio.exe", path, folder, 118, context.log.value("INSTALLDIR", path)});
}

// Row 8 comes from another product's registration, not from the package.
void addVaultSync(orv::ActionContext& context, ToolsMenu& menu) {
    menu.resetFailure();
    menu.close();
    orv::Registry vaultSync(context.os);
    if (!vaultSync.openKey(kVaultSyncKey, false))
        return context.log.write("VaultSync is not registered: vsync.exe not tried");
    std::string rootDir;
    try {
        rootDir = vaultSync.readString("RootDir");
    } catch (const orv::RegistryError&) {
        return context.log.write("VaultSync's RootDir is not a string: vsync.exe not tried");
    }
    vaultSync.closeKey();
    if (rootDir.empty()) return context.log.write("VaultSync's RootDir is empty: vsync.exe not tried");
    const std::string folder = orv::stripTrailingBackslash(rootDir) + "\\Bin";
    const Row row{"vsync.exe", folder + "\\vsync.exe", folder, 106, orv::quoted(folder + "\\vsync.exe")};
    if (!orv::fileExists(context.os, row.path))
        return context.log.write("vsync.exe not found at " + row.shownPath + ": no entry");
    menu.reopen();
    menu.addFound(row);
}

}  // namespace

orv::ActionResult updateTransferKey(orv::ActionContext& context) {
    ToolsMenu menu(context);
    if (!menu.open()) {
        orv::showMessage(context, kFailureCaption, kFailureText, kFailureStyle);
        return orv::ActionResult::Success;
    }
    addCompanionTools(context, menu);
    addFolioDesigner(context, menu);
    addVaultSync(context, menu);
    return orv::ActionResult::Success;
}

}  // namespace orvregistry
