// The Halyard broker version chosen in the dialogs, CORBA support switched off by the package,
// and the copy of the installation database, turned into feature and component requests.
#include <string>

#include "actions.h"
#include "frame/log.h"
#include "frame/registry.h"
#include "frame/text.h"
#include "numbered_rows.h"

namespace orvdialog {

namespace {

constexpr const char* kJavaRuntimeKey = "Software\\JavaSoft\\Java Runtime Environment";
constexpr const char* kJavaKitKey = "Software\\JavaSoft\\Java Development Kit";

// An installation that neither adds nor removes the feature: only a known installed state can be
// requested again; from source or advertised, the installer keeps its own choice.
void holdAtInstalledState(orv::ActionContext& context, const char* feature) {
    const orv::StateQuery states = context.session.featureState(feature);
    if (states.installedLocal() || states.installedAbsent()) {
        context.session.requestFeature(feature, states.installed);
        context.log.write(std::string(feature) + " held at its installed state " + std::to_string(states.installed));
    } else {
        context.log.write(std::string(feature) + " not held: " + orv::describeStates(states));
    }
}

// "CurrentVersion" under the key; empty when the key or value is missing or not a string.
std::string javaVersionUnder(orv::Registry& registry, const char* key) {
    if (!registry.openKey(key, false)) return {};
    std::string version;
    try {
        version = registry.readString("CurrentVersion");
    } catch (const orv::RegistryError&) {
        // Not a string: no version registered here.
    }
    registry.closeKey();
    return version;
}

// Major and minor, each a whole signed decimal number: 1.2 or later suits the broker.
bool suitableJavaVersion(const std::string& version) {
    const std::size_t point = version.find('.');
    if (point == std::string::npos) return false;
    try {
        const std::int32_t major = orv::parseInteger(std::string_view(version).substr(0, point));
        const std::int32_t minor = orv::parseInteger(std::string_view(version).substr(point + 1));
        return major > 1 || (major == 1 && minor >= 2);
    } catch (const orv::ConversionError&) {
        return false;
    }
}

// The runtime's registration first; the development kit's only when the runtime names none.
bool suitableJavaRegistered(orv::ActionContext& context) {
    orv::Registry registry(context.os);
    const char* source = "runtime";
    std::string version = javaVersionUnder(registry, kJavaRuntimeKey);
    if (version.empty()) {
        source = "development kit";
        version = javaVersionUnder(registry, kJavaKitKey);
    }
    if (version.empty()) {
        context.log.write("no Java version registered");
        return false;
    }
    const bool suitable = suitableJavaVersion(version);
    context.log.write(std::string("Java ") + source + " version " + orv::quoted(version) +
                      (suitable ? ": suitable" : ": not suitable"));
    return suitable;
}

void selectVersion4(orv::ActionContext& context) {
    orv::Session& session = context.session;
    holdAtInstalledState(context, "CorbaSamples");
    session.write("INSTALL_HY4", "1");
    if (suitableJavaRegistered(context)) {
        context.log.write("INSTALL_HY4 set; INSTALL_JRE left as it was");
    } else {
        session.write("INSTALL_JRE", "1");
        context.log.write("INSTALL_HY4 set; INSTALL_JRE set");
    }
    session.requestFeature("CORBASupport_HY4", orv::kStateLocal);
    if (session.featureState("SamplePrograms").isLocal()) {
        session.requestFeature("CorbaSamples40", orv::kStateLocal);
        session.requestFeature("CommonCorbaSamples", orv::kStateLocal);
        context.log.write("CORBASupport_HY4 requested local; SamplePrograms local, so CorbaSamples40 and "
                          "CommonCorbaSamples requested local");
    } else {
        context.log.write("CORBASupport_HY4 requested local; SamplePrograms not local, no broker samples requested");
    }
}

void selectNoVersion4(orv::ActionContext& context) {
    for (const char* feature : {"CORBASupport_HY4", "CorbaSamples", "CorbaSamples40", "CommonCorbaSamples"})
        holdAtInstalledState(context, feature);
    context.session.remove("INSTALL_HY4");
    context.session.remove("INSTALL_JRE");
    context.log.write("INSTALL_HY4 and INSTALL_JRE removed");
}

}  // namespace

orv::ActionResult processHalOrbSelection(orv::ActionContext& context) {
    const orv::PropertyRead version = context.session.read("HY_VER");
    const bool version4 = version.succeeded() && version.text == "HY4";
    context.log.write("HY_VER " + context.log.value("HY_VER", version.text) +
                      (version4 ? ": broker version 4 support chosen" : ": no version 4 support"));
    if (version4)
        selectVersion4(context);
    else
        selectNoVersion4(context);
    return orv::ActionResult::Success;
}

orv::ActionResult disableFeatures(orv::ActionContext& context) {
    if (!holdsValue(context.session.read("Disable_HalORB"))) {
        context.log.write("Disable_HalORB not set: CORBASupport left as it is");
        return orv::ActionResult::Success;
    }
    context.session.requestFeature("CORBASupport", orv::kStateAbsent);
    context.log.write("Disable_HalORB set: CORBASupport requested absent");
    return orv::ActionResult::Success;
}

orv::ActionResult processInstallDatabase(orv::ActionContext& context) {
    const orv::PropertyRead keep = context.session.read("INSTALL_MSIDB");
    const std::string shown = context.log.value("INSTALL_MSIDB", keep.text);
    if (keep.text == "1") {
        context.log.write("INSTALL_MSIDB " + shown + ": InstallationDatabase kept");
        return orv::ActionResult::Success;
    }
    context.session.requestComponent("InstallationDatabase", orv::kStateAbsent);
    context.log.write("INSTALL_MSIDB " + shown + ", not \"1\": InstallationDatabase requested absent");
    return orv::ActionResult::Success;
}

}  // namespace orvdialog
