// Passing the destination dialog's folder choices on: whether the registered shared-files
// folder is used, and the database engine's folder for its merge module.
#include <optional>
#include <string>

#include "actions.h"
#include "frame/locations.h"
#include "frame/registry.h"
#include "frame/text.h"

namespace orvdialog {

namespace {

// The database engine's merge module reads its folder from this property.
constexpr const char* kKrnMergeModuleFolder = "KRN_INSTALL_PATH.E966F0CB_76B3_11D3_945B_00C04FB1760A";

// The folder an earlier installation registered, without its trailing backslash; nullopt when
// no Orvanta installation has set up the shared root yet.
std::optional<std::string> registeredSharedFolder(orv::Registry& registry) {
    if (!registry.openKey(orv::kSharedRootKey, false)) return std::nullopt;
    std::string folder;
    try {
        folder = orv::stripTrailingBackslash(registry.readString("SharedFilesDir"));
    } catch (const orv::RegistryError&) {
        // A value that cannot be read counts as none registered.
    }
    registry.closeKey();
    return folder;
}

}  // namespace

orv::ActionResult setUseSharedFlag(orv::ActionContext& context) {
    orv::Session& session = context.session;
    const orv::PropertyRead chosenRead = session.read("SHARED_FILES_DIR");
    // Never compare a cut-short folder: the decision would be recorded for a folder not chosen.
    if (!chosenRead.succeeded()) {
        context.log.write("SHARED_FILES_DIR cannot be read (result " + std::to_string(chosenRead.result) +
                          "): nothing decided");
        return orv::ActionResult::Success;
    }
    const std::string chosen = orv::stripTrailingBackslash(chosenRead.text);

    orv::Registry registry(context.os);
    const std::optional<std::string> registered = registeredSharedFolder(registry);
    const std::optional<std::string> productKey = orv::productKey(session);
    if (!productKey) {
        context.log.write("REG_PRODUCT or REG_VERSION not set: no product key; nothing decided");
        return orv::ActionResult::Success;
    }
    if (!registry.openKey(*productKey, true)) {
        context.log.write("product key " + orv::quoted(*productKey) + " cannot be opened; nothing decided");
        return orv::ActionResult::Success;
    }

    // A first Orvanta installation starts the shared folder, so it uses it whatever its place.
    const bool useShared = !registered || context.os.compareIgnoreCase(registered->c_str(), chosen.c_str()) == 0;
    const std::string chosenText = context.log.value("SHARED_FILES_DIR", chosen);
    if (!registered)
        context.log.write("no shared folder registered yet: this installation starts it at " + chosenText);
    else
        context.log.write("chosen " + chosenText + ", registered " + orv::quoted(*registered) +
                          (useShared ? ": the same folder" : ": another folder"));
    const char* recorded = useShared ? "TRUE" : "FALSE";
    if (useShared)
        session.write("USE_ORVSHARED", "1");
    else
        session.remove("USE_ORVSHARED");
    try {
        registry.writeString("UseSharedFiles", recorded);
        context.log.write(std::string(useShared ? "USE_ORVSHARED set" : "USE_ORVSHARED removed") +
                          "; UseSharedFiles " + recorded + " under " + orv::quoted(*productKey));
    } catch (const orv::RegistryError&) {
        // The property is set; a registry that refuses the record is passed over.
        context.log.write(std::string(useShared ? "USE_ORVSHARED set" : "USE_ORVSHARED removed") +
                          "; UseSharedFiles could not be written under " + orv::quoted(*productKey));
    }
    return orv::ActionResult::Success;
}

orv::ActionResult setKrnPath(orv::ActionContext& context) {
    orv::Session& session = context.session;
    const orv::PropertyRead folder = session.read("OSKRN");
    if (!folder.succeeded()) {
        context.log.write("OSKRN cannot be read (result " + std::to_string(folder.result) + "): nothing passed on");
        return orv::ActionResult::Success;
    }
    session.write(kKrnMergeModuleFolder, folder.text);
    context.log.write(std::string(kKrnMergeModuleFolder) + " set to OSKRN " + context.log.value("OSKRN", folder.text));
    return orv::ActionResult::Success;
}

}  // namespace orvdialog
