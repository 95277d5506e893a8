// Use counts of the folders Orvanta products share. Each installation that puts a shared folder
// on the local disk, or keeps it there, raises the folder's count and records where it lies, so
// that whatever removes the folder later knows whether another product still uses it. Counts are
// only ever raised here.
#include <cstdint>
#include <optional>
#include <string>

#include "actions.h"
#include "frame/locations.h"
#include "frame/registry.h"
#include "frame/text.h"

namespace orvregistry {

namespace {

constexpr const char* kTableWorkbenchKey = "Software\\Orvanta\\TWB\\7.0";
constexpr std::uint32_t kTableWorkbenchFeature = 117;

// A shared folder's use-count record and the folder it names.
struct SharedFolder {
    const char* name;  // names the folder in the log
    std::string key;
    std::string rootDir;
    std::string shownRootDir;  // the folder as the log may show it
};

class UseCounts {
public:
    explicit UseCounts(orv::ActionContext& context) : context_(context), registry_(context.os) {
        if (const std::optional<std::string> productKey = orv::productKey(context.session)) {
            uninstallKey_ = *productKey + "\\UnInstInfo";
            shownUninstallKey_ = context.log.composed({"REG_PRODUCT", "REG_VERSION"}, *uninstallKey_);
        }
    }

    // A failure stops every later count: what has been recorded stays, and the installer is
    // told the record is incomplete.
    void fail(const std::string& cause) {
        if (succeeded_) context_.log.write(cause + ": nothing more recorded; result 1603");
        succeeded_ = false;
    }
    bool succeeded() const { return succeeded_; }

    void recordSharedFilesFolder(const std::string& folder, const std::string& shownFolder) {
        if (!succeeded_) return;
        if (!registry_.openKey(orv::kSharedRootKey, true)) return fail("the shared root cannot be opened");
        try {
            registry_.writeString("SharedFilesDir", folder);
        } catch (const orv::RegistryError&) {
            registry_.closeKey();
            return fail("SharedFilesDir cannot be written");
        }
        registry_.closeKey();
        context_.log.write("SharedFilesDir " + shownFolder);
    }

    void readMainProgramFiles() { mainProgramFiles_ = context_.session.featureState("MainProgramFiles"); }

    // Requested locally, or installed locally while the program files are requested locally:
    // a feature this installation keeps is counted, one it never had is not.
    bool qualifies(const std::string& feature) {
        const orv::StateQuery states = context_.session.featureState(feature.c_str());
        const bool wanted =
            states.requestedLocal() || (mainProgramFiles_.requestedLocal() && states.installedLocal());
        if (!succeeded_) {
            context_.log.write(feature + " not counted: an earlier step failed");
            return false;
        }
        if (!wanted) {
            context_.log.write(feature + " not counted (" + orv::describeStates(states) + "; MainProgramFiles " +
                               orv::describeStates(mainProgramFiles_) + ")");
            return false;
        }
        return true;
    }

    void count(const SharedFolder& folder) {
        const std::int32_t old = storedCount(folder.key);
        if (!registry_.openKey(folder.key, true))
            return context_.log.write(std::string(folder.name) + " not counted: " + orv::quoted(folder.key) +
                                      " cannot be opened");
        // At the top of the range the count stays: wrapping would make it negative.
        const std::string raised = orv::formatInteger(old == INT32_MAX ? old : old + 1);
        try {
            registry_.writeString("UseCount", raised);
            registry_.writeString("RootDir", folder.rootDir);
        } catch (const orv::RegistryError&) {
            registry_.closeKey();
            return fail(std::string(folder.name) + " cannot be recorded under " + orv::quoted(folder.key));
        }
        registry_.closeKey();
        context_.log.write(std::string(folder.name) + ": UseCount " + raised + ", RootDir " + folder.shownRootDir);
    }

    void markUse(const char* flag) {
        if (!uninstallKey_) return context_.log.write(std::string(flag) + " not recorded: no product key");
        if (!registry_.openKey(*uninstallKey_, true))
            return context_.log.write(std::string(flag) + " not recorded: " + shownUninstallKey_ + " cannot be opened");
        try {
            registry_.writeString(flag, "TRUE");
        } catch (const orv::RegistryError&) {
            registry_.closeKey();
            return fail(std::string(flag) + " cannot be written under " + shownUninstallKey_);
        }
        registry_.closeKey();
        context_.log.write(std::string(flag) + " TRUE under " + shownUninstallKey_);
    }

private:
    // Whatever is stored and is not a whole decimal number counts as no use at all.
    std::int32_t storedCount(const std::string& key) {
        if (!registry_.openKey(key, false)) return 0;
        std::int32_t old = 0;
        try {
            const std::string text = registry_.readString("UseCount");
            if (!text.empty()) old = orv::parseInteger(text);
        } catch (const orv::RegistryError&) {
        } catch (const orv::ConversionError&) {
        }
        registry_.closeKey();
        return old;
    }

    orv::ActionContext& context_;
    orv::Registry registry_;
    std::optional<std::string> uninstallKey_;
    std::string shownUninstallKey_;
    orv::StateQuery mainProgramFiles_;
    bool succeeded_ = true;
};

std::string sharedRootKey(const char* name) { return std::string(orv::kSharedRootKey) + "\\" + name; }

std::string readFailure(const char* property, const orv::PropertyRead& read) {
    return std::string(property) + " cannot be read (result " + std::to_string(read.result) + ")";
}

}  // namespace

orv::ActionResult bumpSharedUseCount(orv::ActionContext& context) {
    UseCounts counts(context);
    orv::ActionLog& log = context.log;
    // A folder that cannot be read would be recorded as empty over the one other products use.
    const orv::PropertyRead sharedRead = context.session.read("SHARED_FILES_DIR");
    if (!sharedRead.succeeded()) counts.fail(readFailure("SHARED_FILES_DIR", sharedRead));
    const orv::PropertyRead tableWorkbenchRead = context.session.read("OSTWB");
    const std::string shared = orv::stripTrailingBackslash(sharedRead.text);
    const auto inShared = [&](const char* name, const char* folder) {
        const std::string rootDir = shared + folder;
        return SharedFolder{name, sharedRootKey(name), rootDir, log.composed({"SHARED_FILES_DIR"}, rootDir)};
    };

    counts.recordSharedFilesFolder(shared, log.value("SHARED_FILES_DIR", shared));
    counts.readMainProgramFiles();
    if (counts.qualifies("SampleDataFiles")) {
        counts.count(inShared("Data", "\\Data"));
        counts.markUse("UseSharedData");
        // Counted only from a sound start; after a failure nothing more is recorded.
        if (counts.succeeded())
            counts.count(inShared("SampleDictionary", "\\SampleDictionary"));
        else
            log.write("SampleDictionary not counted: an earlier step failed");
    }
    if (counts.qualifies("ImageFiles")) {
        counts.count(inShared("Image Files", "\\Images"));
        counts.markUse("UseSharedImages");
    }
    if (counts.qualifies("MicrosoftSDKHelpFiles")) {
        counts.count(inShared("MSHelp", "\\MSHelp"));
        counts.markUse("UseSharedMSHelp");
    }
    if (counts.qualifies(context.os.loadString(kTableWorkbenchFeature))) {
        if (!tableWorkbenchRead.succeeded()) {
            counts.fail(readFailure("OSTWB", tableWorkbenchRead));
        } else {
            const std::string folder = orv::stripTrailingBackslash(tableWorkbenchRead.text);
            counts.count({"TWB", kTableWorkbenchKey, folder, log.value("OSTWB", folder)});
            counts.markUse("UseSharedTWB");
        }
    }
    return counts.succeeded() ? orv::ActionResult::Success : orv::ActionResult::InstallFailure;
}

}  // namespace orvregistry
