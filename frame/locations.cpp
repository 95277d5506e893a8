#include "locations.h"

namespace orv {

std::optional<std::string> productKey(Session& session) {
    const PropertyRead product = session.read("REG_PRODUCT");
    const PropertyRead version = session.read("REG_VERSION");
    if (!product.isSet() || !version.isSet()) return std::nullopt;
    return "Software\\Orvanta\\" + product.text + "\\" + version.text;
}

}  // namespace orv
