// Registry locations under HKEY_LOCAL_MACHINE that more than one library uses.
#pragma once

#include <optional>
#include <string>

#include "session.h"

namespace orv {

// Where Orvanta products record the shared folders they use.
inline constexpr const char* kSharedRootKey = "Software\\Orvanta\\Orvanta Shared";

// "Software\Orvanta\<REG_PRODUCT>\<REG_VERSION>". Without both parts the path would name a key
// of another product, or Orvanta's own root: nullopt then.
std::optional<std::string> productKey(Session& session);

}  // namespace orv
