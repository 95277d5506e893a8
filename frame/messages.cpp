#include "messages.h"

#include <string>

namespace orv {

int showMessage(Platform& os, std::uint32_t captionId, std::uint32_t textId, std::uint32_t style) {
    const std::string caption = os.loadString(captionId);
    const std::string text = os.loadString(textId);
    return os.messageBox(text.c_str(), caption.c_str(), style);
}

}  // namespace orv
