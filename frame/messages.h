// Message boxes whose caption and text come from the running library's own string table. This
// is the one place that shows a box: it shows none in a silent installation (UILevel "2"), where
// nobody could answer and the installation would hang, and it writes each box and its answer to
// the installer log.
#pragma once

#include <cstdint>
#include <string>

#include "guard.h"

namespace orv {

inline constexpr std::uint32_t kMbOk = 0x0;
inline constexpr std::uint32_t kMbYesNo = 0x4;
inline constexpr std::uint32_t kMbIconError = 0x10;
inline constexpr std::uint32_t kMbIconQuestion = 0x20;
inline constexpr std::uint32_t kMbIconWarning = 0x30;
inline constexpr std::uint32_t kMbTaskModal = 0x2000;
inline constexpr std::uint32_t kMbTopmost = 0x40000;

// What a box that was not shown answers: neither IDOK, IDYES nor IDNO, as a failed box. Each
// action's own rule decides what no answer means.
inline constexpr int kNoAnswer = 0;

// Shows the box without an owner window and gives the user's answer, or kNoAnswer in a silent
// installation.
int showMessage(ActionContext& context, std::uint32_t captionId, std::uint32_t textId, std::uint32_t style);
// The same with a text the action composed.
int showMessageText(ActionContext& context, std::uint32_t captionId, const std::string& text, std::uint32_t style);
// The same with a caption the action composed too: a box whose texts are not in the string table.
int showMessageWithCaption(ActionContext& context, const std::string& caption, const std::string& text,
                           std::uint32_t style);

// True only when the installation runs without a user interface; an unreadable level is not.
bool isSilentInstallation(Session& session);

}  // namespace orv
