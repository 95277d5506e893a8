// Message boxes whose caption and text come from the running library's own string table.
#pragma once

#include <cstdint>
#include <string>

#include "platform.h"

namespace orv {

inline constexpr std::uint32_t kMbOk = 0x0;
inline constexpr std::uint32_t kMbYesNo = 0x4;
inline constexpr std::uint32_t kMbIconError = 0x10;
inline constexpr std::uint32_t kMbIconQuestion = 0x20;
inline constexpr std::uint32_t kMbIconWarning = 0x30;
inline constexpr std::uint32_t kMbTaskModal = 0x2000;
inline constexpr std::uint32_t kMbTopmost = 0x40000;

// Shows the box without an owner window and gives the user's answer.
int showMessage(Platform& os, std::uint32_t captionId, std::uint32_t textId, std::uint32_t style);
// The same with a text the action composed.
int showMessageText(Platform& os, std::uint32_t captionId, const std::string& text, std::uint32_t style);

}  // namespace orv
