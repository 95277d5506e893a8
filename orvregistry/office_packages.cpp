// The IDE's own configuration: the Office automation package it should know, and the end of its
// library search path.
#include <string>

#include "actions.h"
#include "frame/messages.h"
#include "frame/registry.h"

namespace orvregistry {

namespace {

// The IDE's key, the same for every product of this package. A constant in the library's
// read-only data: it is there from the library's load to its unload and nothing can fail in
// setting or releasing it.
constexpr const char* kFixedProductKey = "Software\\Orvanta\\Quillon\\7.0";

constexpr const char* kPackageDescription = "(Untitled)";
constexpr const char* kMissingKeyWarning = "Warning: Registry Key not found";

// The package of automation components that fits the chosen Office version; empty when none
// does. No package file is known for Office XP, so nothing is registered for it.
std::string packageFor(const std::string& officeVersion) {
    if (officeVersion == "Office2k") return "$(TSY)\\Bin\\tsy2kaxserver60.opk";
    if (officeVersion == "Office97") return "$(TSY)\\Bin\\tsy97axserver60.opk";
    return {};
}

}  // namespace

orv::ActionResult registerOfficeControls(orv::ActionContext& context) {
    orv::ActionLog& log = context.log;
    const std::string version = context.session.read("MSOFFICE_VER").text;
    const std::string package = packageFor(version);
    if (package.empty()) {
        log.write("MSOFFICE_VER " + log.value("MSOFFICE_VER", version) + " has no package: nothing registered");
        return orv::ActionResult::Success;
    }
    const std::string key = std::string(kFixedProductKey) + "\\Known Packages";
    orv::Registry registry(context.os);
    if (!registry.openKey(key, true)) {
        log.write(orv::quoted(key) + " cannot be opened: " + orv::quoted(package) + " not registered");
        return orv::ActionResult::Success;
    }
    try {
        registry.writeString(package, kPackageDescription);
        log.write(orv::quoted(package) + " registered under " + orv::quoted(key));
    } catch (const orv::RegistryError&) {
        log.write(orv::quoted(package) + " cannot be written under " + orv::quoted(key));
    }
    return orv::ActionResult::Success;
}

orv::ActionResult updateLibraryPath(orv::ActionContext& context) {
    orv::ActionLog& log = context.log;
    const std::string key = std::string(kFixedProductKey) + "\\Library";
    orv::Registry registry(context.os);
    if (!registry.keyExists(key)) {
        log.write("the IDE's library key is missing: warning the user");
        orv::showMessageWithCaption(context, key, kMissingKeyWarning, orv::kMbOk);
        return orv::ActionResult::Success;
    }
    if (!registry.openKey(key, true)) {
        log.write("the IDE's library key cannot be opened: Search Path left as it is");
        return orv::ActionResult::Success;
    }
    std::string searchPath;
    try {
        searchPath = registry.readString("Search Path");
    } catch (const orv::RegistryError&) {
        log.write("Search Path is not a string: left as it is");
        return orv::ActionResult::Success;
    }
    const bool ended = searchPath.empty() || searchPath.back() == ';';
    if (!ended) searchPath += ';';
    try {
        registry.writeString("Search Path", searchPath);
    } catch (const orv::RegistryError&) {
        log.write("Search Path cannot be written");
        return orv::ActionResult::Success;
    }
    log.write(ended ? "Search Path written back unchanged" : "Search Path ended with \";\"");
    return orv::ActionResult::Success;
}

}  // namespace orvregistry
