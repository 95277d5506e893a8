// The action's own lines in the installer log (msiexec /l*v): what it decided and why, prefixed
// with the library and export, so a packager can follow it without a debugger.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform.h"

namespace orv {

// The longest line handed to the installer; a longer one is cut and ends in "...".
inline constexpr std::size_t kLogLineLimit = 1024;
inline constexpr const char* kHiddenValue = "**********";

class ActionLog {
public:
    ActionLog(Platform& os, MsiHandle session, std::string_view library, std::string_view action)
        : os_(os), session_(session), prefix_(std::string(library) + "." + std::string(action) + ": ") {}
    ActionLog(const ActionLog&) = delete;
    ActionLog& operator=(const ActionLog&) = delete;

    // Writes one line. A log that cannot be written never changes what the action does.
    void write(std::string_view text) noexcept;
    // The value as a line may show it: quoted, or "**********" for a property the package hides
    // through MsiHiddenProperties.
    std::string value(const char* property, std::string_view value);
    // A text built from several properties' values (a path of a folder and a name): hidden when
    // any of them is.
    std::string composed(std::initializer_list<const char*> properties, std::string_view text);

private:
    bool isHidden(const char* property);

    Platform& os_;
    MsiHandle session_;
    std::string prefix_;
    bool hiddenKnown_ = false;
    bool hideAll_ = false;  // the list could not be read: nothing may be shown
    std::vector<std::string> hidden_;
};

// A text quoted for a log line.
std::string quoted(std::string_view text);

}  // namespace orv
