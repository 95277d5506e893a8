#include "messages.h"

#include <string>

namespace orv {

int showMessage(Platform& os, std::uint32_t captionId, std::uint32_t textId, std::uint32_t style) {
    return showMessageText(os, captionId, os.loadString(textId), style);
}

int showMessageText(Platform& os, std::uint32_t captionId, const std::string& text, std::uint32_t style) {
    const std::string caption = os.loadString(captionId);
    return os.messageBox(text.c_str(), caption.c_str(), style);
}

}  // namespace orv
