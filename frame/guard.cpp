#include "guard.h"

namespace orv {

std::uint32_t runAction(Platform& os, MsiHandle handle, ActionBody body, std::uint32_t resultWhenRaised) noexcept {
    try {
        ActionContext context(os, handle);
        return body(context);
    } catch (...) {
        return resultWhenRaised;
    }
}

}  // namespace orv
