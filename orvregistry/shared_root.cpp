// Two single values: where this installation's shared files lie, and the database engine's
// Access driver library when the user chose the new driver in the SQL driver dialog.
#include <cstdint>
#include <optional>
#include <string>

#include "actions.h"
#include "frame/locations.h"
#include "frame/registry.h"
#include "frame/text.h"

namespace orvregistry {

namespace {

constexpr const char* kAccessDriverKey = "Software\\Orvanta\\Database Engine\\Settings\\DRIVERS\\MSACCESS\\INIT";
constexpr const char* kNewAccessDriver = "NXAC4032.DLL";
constexpr std::uint32_t kAccessFamily = 110;

// Folded to upper case character by character: equal only with the same length.
bool sameIgnoringCase(orv::Platform& os, const std::string& left, const std::string& right) {
    return left.size() == right.size() && os.upperCase(left) == os.upperCase(right);
}

}  // namespace

orv::ActionResult setLocalSharedRoot(orv::ActionContext& context) {
    const orv::PropertyRead sharedRead = context.session.read("SHARED_FILES_DIR");
    // An unreadable folder must not be recorded as an empty one.
    if (!sharedRead.succeeded()) {
        context.log.write("SHARED_FILES_DIR cannot be read (result " + std::to_string(sharedRead.result) +
                          "): LocalSharedRoot not written");
        return orv::ActionResult::Success;
    }
    const std::string shared = orv::stripTrailingBackslash(sharedRead.text);
    const std::optional<std::string> productKey = orv::productKey(context.session);
    if (!productKey) {
        context.log.write("REG_PRODUCT or REG_VERSION not set: no product key; LocalSharedRoot not written");
        return orv::ActionResult::Success;
    }
    const std::string shownKey = context.log.composed({"REG_PRODUCT", "REG_VERSION"}, *productKey);
    orv::Registry registry(context.os);
    if (!registry.openKey(*productKey, true)) {
        context.log.write("product key " + shownKey + " cannot be opened: LocalSharedRoot not written");
        return orv::ActionResult::Success;
    }
    try {
        registry.writeString("LocalSharedRoot", shared);
        context.log.write("LocalSharedRoot " + context.log.value("SHARED_FILES_DIR", shared) + " under " + shownKey);
    } catch (const orv::RegistryError&) {
        context.log.write("LocalSharedRoot cannot be written under " + shownKey);
    }
    return orv::ActionResult::Success;
}

orv::ActionResult resetKrnAccessDriver(orv::ActionContext& context) {
    orv::Platform& os = context.os;
    const std::string family = context.session.read("SQLConfig_DrvName_1").text;
    // An empty name matches no family, even when the family's own name could not be loaded.
    if (family.empty() || !sameIgnoringCase(os, family, os.loadString(kAccessFamily))) {
        context.log.write("slot 1 holds " + context.log.value("SQLConfig_DrvName_1", family) +
                          ", not the Access family: DLL32 left as it is");
        return orv::ActionResult::Success;
    }
    const std::string choice = context.session.read("SQLConfig_Driver_1").text;
    if (!sameIgnoringCase(os, choice, "new")) {
        context.log.write("Access driver choice " + context.log.value("SQLConfig_Driver_1", choice) +
                          " is not \"new\": DLL32 left as it is");
        return orv::ActionResult::Success;
    }
    // The key belongs to the engine's own configuration: without it the engine is not set up.
    orv::Registry registry(context.os);
    if (!registry.openKey(kAccessDriverKey, false)) {
        context.log.write("the database engine has no Access driver key: DLL32 not written");
        return orv::ActionResult::Success;
    }
    try {
        registry.writeString("DLL32", kNewAccessDriver);
        context.log.write(std::string("the new Access driver chosen: DLL32 set to \"") + kNewAccessDriver + "\"");
    } catch (const orv::RegistryError&) {
        context.log.write("the new Access driver chosen, but DLL32 cannot be written");
    }
    return orv::ActionResult::Success;
}

}  // namespace orvregistry
