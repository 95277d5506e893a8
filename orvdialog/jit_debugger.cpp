// Whether Orvanta's debugger may become the just-in-time debugger: free to take when nobody holds
// the place, kept when it holds it already, and taken from another program only on the user's Yes.
// The package registers it later when SET_JITDEBUG is "1".
#include <exception>
#include <string>

#include "actions.h"
#include "frame/log.h"
#include "frame/messages.h"
#include "frame/registry.h"

namespace orvdialog {

namespace {

constexpr const char* kAeDebugKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug";
constexpr const char* kOrvantaDebugger = "ORVDBG70.EXE";
constexpr std::uint32_t kQuestionStart = 135;
constexpr std::uint32_t kQuestionEnd = 136;
constexpr std::uint32_t kCaption = 137;
constexpr std::uint32_t kStyle = orv::kMbTopmost | orv::kMbTaskModal | orv::kMbIconQuestion | orv::kMbYesNo;

void takeDebugger(orv::ActionContext& context, const std::string& why) {
    context.session.write("SET_JITDEBUG", "1");
    context.log.write(why + ": SET_JITDEBUG set");
}

// The program without its options, which start at the first "-"; the blank before them stays.
std::string shownSetting(const std::string& debugger) { return debugger.substr(0, debugger.find('-')); }

// Only a Yes may replace another program's debugger: No, a failed box and a silent installation
// leave it in place.
void askToReplace(orv::ActionContext& context, const std::string& debugger) {
    const std::string question =
        context.os.loadString(kQuestionStart) + shownSetting(debugger) + context.os.loadString(kQuestionEnd);
    context.log.write("another debugger is registered: " + orv::quoted(debugger) + "; asking");
    if (orv::showMessageText(context, kCaption, question, kStyle) == orv::kIdYes) {
        takeDebugger(context, "the user agreed to replace it");
        return;
    }
    context.session.remove("SET_JITDEBUG");
    context.log.write("the other debugger stays: SET_JITDEBUG removed");
}

}  // namespace

orv::ActionResult checkJitDebugKey(orv::ActionContext& context) {
    orv::Registry registry(context.os);
    if (!registry.openKey(kAeDebugKey, false)) {
        takeDebugger(context, "no AeDebug key can be opened");
        return orv::ActionResult::Success;
    }
    std::string debugger;
    try {
        debugger = registry.readString("Debugger");
    } catch (const orv::RegistryError&) {
        takeDebugger(context, "\"Debugger\" cannot be read as a string");
        return orv::ActionResult::Success;
    }
    registry.closeKey();
    if (debugger.empty()) {
        takeDebugger(context, "no debugger registered");
        return orv::ActionResult::Success;
    }
    // Once a debugger is known to be registered, a failure can no longer count as its absence:
    // it would hand another program's place to Orvanta without the user's Yes.
    try {
        if (context.os.upperCase(debugger).find(kOrvantaDebugger) != std::string::npos)
            context.log.write("Orvanta's debugger is registered already: SET_JITDEBUG left as it was");
        else
            askToReplace(context, debugger);
    } catch (const std::exception&) {
        context.session.remove("SET_JITDEBUG");
        context.log.write("the question failed: SET_JITDEBUG removed");
    }
    return orv::ActionResult::Success;
}

}  // namespace orvdialog
