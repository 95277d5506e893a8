// The .NET edition needs the .NET Framework and SDK: their folders are found in the registry and
// handed on as properties (OrvFinalize works in the framework folder), and the user is told
// when the SDK is missing and where the SDK's own setup program lies on the media.
#include <optional>
#include <string>

#include "actions.h"
#include "frame/files.h"
#include "frame/log.h"
#include "frame/messages.h"
#include "frame/registry.h"
#include "frame/text.h"

namespace orvcommon {

namespace {

constexpr const char* kFrameworkKey = "SOFTWARE\\Microsoft\\.NETFramework";
constexpr std::uint32_t kWarningCaption = 102;
constexpr std::uint32_t kSdkRequired = 178;
constexpr std::uint32_t kInstallSdkLater = 179;
constexpr std::uint32_t kProgramNotFound = 180;
constexpr std::uint32_t kTopmostWarning = orv::kMbTopmost | orv::kMbIconWarning;

struct DotNetFolders {
    std::string sdk;
    std::string framework;
};

// The SDK first, then the framework: a value that cannot be read as text ends the reads there,
// and what was read before it stays.
DotNetFolders registeredFolders(orv::ActionContext& context) {
    DotNetFolders folders;
    orv::Registry registry(context.os);
    if (!registry.openKey(kFrameworkKey, false)) {
        context.log.write(orv::quoted(kFrameworkKey) + " not found");
        return folders;
    }
    try {
        folders.sdk = registry.readString("sdkInstallRoot");
        folders.framework = registry.readString("InstallRoot");
    } catch (const orv::RegistryError& error) {
        context.log.write(std::string(error.what()) + "; the reads stop there");
    }
    return folders;
}

// Written only when known, so that a folder set on the command line survives.
void publish(orv::ActionContext& context, const char* property, const std::string& folder, const char* what) {
    if (folder.empty()) {
        context.log.write(std::string("no ") + what + " folder registered: " + property + " not set");
        return;
    }
    context.session.write(property, folder);
    context.log.write(std::string(property) + " set to " + context.log.value(property, folder));
}

// The SDK's setup program sits beside the folder of the installation's source: the source
// D:\Install\Disk1\ gives D:\Install\dotnetsdk\setup.exe. The root of a drive or share is its own parent, as ".."
// is there. A source that is not a full path gives none: the test would run against whatever
// folder msiexec runs in.
std::optional<std::string> sdkSetupPath(const std::string& sourceFolder) {
    const std::size_t root = orv::rootLength(sourceFolder);
    if (root == 0) return std::nullopt;
    const std::string folder = orv::stripTrailingBackslash(sourceFolder);
    const std::size_t last = folder.rfind('\\');
    const std::size_t cut = last == std::string::npos || last + 1 < root ? root : last + 1;
    return orv::ensureTrailingBackslash(sourceFolder.substr(0, cut)) + "dotnetsdk\\setup.exe";
}

}  // namespace

orv::ActionResult checkDotNetSdk(orv::ActionContext& context) {
    const DotNetFolders folders = registeredFolders(context);
    publish(context, "DOTNETFRAMEWORK_PATH", folders.framework, "framework");
    publish(context, "DOTNETSDK_PATH", folders.sdk, "SDK");
    if (folders.sdk.empty()) orv::showMessage(context, kWarningCaption, kInstallSdkLater, orv::kMbIconWarning);
    return orv::ActionResult::Success;
}

orv::ActionResult setDotNetDirProperty(orv::ActionContext& context) {
    orv::Session& session = context.session;
    orv::ActionLog& log = context.log;
    const orv::PropertyRead sdk = session.read("DOTNETSDK_PATH");
    // A folder too long for the buffer is still a folder that CheckDotNetSDK found.
    const bool sdkFound = sdk.isSet() || sdk.result == orv::kErrorMoreData;
    log.write(sdkFound ? "DOTNETSDK_PATH is set: the SDK is there" : "DOTNETSDK_PATH not set: the SDK is missing");
    if (!sdkFound) orv::showMessage(context, kProgramNotFound, kSdkRequired, kTopmostWarning);
    session.write("INSTALL_DOTNET", "1");

    session.doAction("ResolveSource");
    const orv::PropertyRead source = session.read("SourceDir");
    const std::optional<std::string> setup = sdkSetupPath(source.text);
    if (setup && orv::fileExists(context.os, *setup)) {
        session.write("DOTNETSDK_SETUP_PATH", *setup);
        log.write("INSTALL_DOTNET set; DOTNETSDK_SETUP_PATH set to " + log.composed({"SourceDir"}, *setup));
        return orv::ActionResult::Success;
    }
    session.remove("DOTNETSDK_SETUP_PATH");
    if (setup)
        log.write("INSTALL_DOTNET set; no file " + log.composed({"SourceDir"}, *setup) + ": DOTNETSDK_SETUP_PATH removed");
    else if (!source.succeeded())
        log.write("INSTALL_DOTNET set; SourceDir cannot be read (result " + std::to_string(source.result) +
                  "): DOTNETSDK_SETUP_PATH removed");
    else
        log.write("INSTALL_DOTNET set; SourceDir " + log.value("SourceDir", source.text) +
                  " is not a full path: DOTNETSDK_SETUP_PATH removed");
    return orv::ActionResult::Success;
}

orv::ActionResult showDotNetRequiredMessage(orv::ActionContext& context) {
    orv::showMessage(context, kWarningCaption, kSdkRequired, kTopmostWarning);
    return orv::ActionResult::Success;
}

}  // namespace orvcommon
