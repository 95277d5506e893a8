// Setup types that choose features in bulk: every feature of the package requested local, or
// all but the core requested absent for the compact installation.
#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "actions.h"
#include "frame/log.h"
#include "frame/text.h"

namespace orvdialog {

namespace {

// The compact installation keeps these as they were requested; names are compared exactly, as
// the Feature table spells them.
constexpr std::array<std::string_view, 6> kCoreFeatures = {"ProgramFiles", "MainProgramFiles", "SharedFiles",
                                                           "Debugger",     "KRN",              "CompressedMainFiles"};

// Offers and notes a compact installation must not carry into its later dialogs.
constexpr std::array<const char*, 5> kCompactWithdrawn = {"INSTALL_GRANARY", "INSTALL_MDAC", "Enable_Ext_Install_1",
                                                          "Enable_Install_Msg_1", "Enable_Install_Msg_2"};

// The features of the Feature table; none when the table cannot be read, which is logged.
std::vector<std::string> packageFeatures(orv::ActionContext& context) {
    std::vector<std::string> names;
    const std::uint32_t result = context.session.featureNames(&names);
    if (result != orv::kSuccess) {
        context.log.write("the Feature table cannot be read (result " + std::to_string(result) +
                          "): no feature visited");
        names.clear();
    }
    return names;
}

bool isCoreFeature(const std::string& name) {
    return std::find(kCoreFeatures.begin(), kCoreFeatures.end(), name) != kCoreFeatures.end();
}

std::string listed(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
    return list.empty() ? "none" : list;
}

}  // namespace

orv::ActionResult resetFeatureState(orv::ActionContext& context) {
    const std::vector<std::string> features = packageFeatures(context);
    for (const std::string& feature : features) context.session.requestFeature(feature.c_str(), orv::kStateLocal);
    context.log.write(orv::formatInteger(static_cast<std::int32_t>(features.size())) +
                      " features requested local: " + listed(features));
    context.log.write("external installs offered again");
    checkExtInstalls(context);
    return orv::ActionResult::Success;
}

orv::ActionResult disableCompactFeatures(orv::ActionContext& context) {
    std::vector<std::string> absent;
    std::vector<std::string> untouched;
    for (const std::string& feature : packageFeatures(context)) {
        if (isCoreFeature(feature)) {
            untouched.push_back(feature);
            continue;
        }
        context.session.requestFeature(feature.c_str(), orv::kStateAbsent);
        absent.push_back(feature);
    }
    context.log.write(orv::formatInteger(static_cast<std::int32_t>(absent.size())) +
                      " features requested absent: " + listed(absent) + "; untouched: " + listed(untouched));
    for (const char* property : kCompactWithdrawn) context.session.remove(property);
    context.log.write("external-install offers and ready-dialog notes withdrawn: INSTALL_GRANARY, INSTALL_MDAC, "
                      "Enable_Ext_Install_1, Enable_Install_Msg_1, Enable_Install_Msg_2");
    return orv::ActionResult::Success;
}

}  // namespace orvdialog
