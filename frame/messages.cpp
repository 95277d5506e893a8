#include "messages.h"

#include <string>

namespace orv {

namespace {

constexpr const char* kSilentLevel = "2";  // INSTALLUILEVEL_NONE, msiexec /qn

std::string answerName(int answer) {
    switch (answer) {
        case kIdOk: return "OK";
        case kIdYes: return "Yes";
        case kIdNo: return "No";
        default: return "none (" + std::to_string(answer) + ")";
    }
}

}  // namespace

bool isSilentInstallation(Session& session) {
    const PropertyRead level = session.read("UILevel");
    return level.succeeded() && level.text == kSilentLevel;
}

int showMessage(ActionContext& context, std::uint32_t captionId, std::uint32_t textId, std::uint32_t style) {
    return showMessageText(context, captionId, context.os.loadString(textId), style);
}

int showMessageText(ActionContext& context, std::uint32_t captionId, const std::string& text, std::uint32_t style) {
    return showMessageWithCaption(context, context.os.loadString(captionId), text, style);
}

int showMessageWithCaption(ActionContext& context, const std::string& caption, const std::string& text,
                           std::uint32_t style) {
    const std::string box = "box " + quoted(caption) + " " + quoted(text);
    if (isSilentInstallation(context.session)) {
        context.log.write(box + " not shown: silent installation; answer none");
        return kNoAnswer;
    }
    const int answer = context.os.messageBox(text.c_str(), caption.c_str(), style);
    context.log.write(box + " shown; answer " + answerName(answer));
    return answer;
}

}  // namespace orv
