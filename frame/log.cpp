#include "log.h"

#include <algorithm>
#include <optional>

namespace orv {

namespace {

constexpr const char* kHiddenListProperty = "MsiHiddenProperties";
// The list is the package's own and may be long; past this it is not read and every value hides.
constexpr std::uint32_t kHiddenListLimit = 1u << 20;

// The whole value, whatever its length; nullopt when it cannot be read.
std::optional<std::string> readWhole(Platform& os, MsiHandle session, const char* name) {
    std::uint32_t capacity = 512;
    for (int round = 0; round < 4 && capacity <= kHiddenListLimit; ++round) {
        std::string buffer(capacity, '\0');
        std::uint32_t length = capacity;
        const std::uint32_t result = os.msiGetProperty(session, name, buffer.data(), &length);
        if (result == kSuccess) {
            const auto end = std::find(buffer.begin(), buffer.end(), '\0');
            if (end == buffer.end()) return std::nullopt;  // unterminated: not believed
            return std::string(buffer.begin(), end);
        }
        if (result != kErrorMoreData) return std::nullopt;
        // The reported length may be in bytes or characters; either way it bounds the value.
        capacity = std::max(capacity * 2, length + 1);
    }
    return std::nullopt;
}

}  // namespace

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

void ActionLog::write(std::string_view text) noexcept {
    try {
        std::string line = prefix_;
        line.append(text.substr(0, kLogLineLimit));
        if (line.size() > kLogLineLimit) {
            line.resize(kLogLineLimit - 3);
            line += "...";
        }
        os_.msiLogInfo(session_, line.c_str());
    } catch (...) {
        // The log is a courtesy to the packager; the action goes on without it.
    }
}

std::string ActionLog::value(const char* property, std::string_view value) {
    return isHidden(property) ? std::string(kHiddenValue) : quoted(value.substr(0, kLogLineLimit));
}

std::string ActionLog::composed(std::initializer_list<const char*> properties, std::string_view text) {
    for (const char* property : properties)
        if (isHidden(property)) return kHiddenValue;
    return quoted(text.substr(0, kLogLineLimit));
}

bool ActionLog::isHidden(const char* property) {
    if (!hiddenKnown_) {
        const std::optional<std::string> list = readWhole(os_, session_, kHiddenListProperty);
        hideAll_ = !list;
        if (list) {
            std::size_t start = 0;
            while (start <= list->size()) {
                const std::size_t end = std::min(list->find(';', start), list->size());
                if (end > start) hidden_.push_back(list->substr(start, end - start));
                start = end + 1;
            }
        }
        hiddenKnown_ = true;
    }
    if (hideAll_) return true;
    return std::find(hidden_.begin(), hidden_.end(), property) != hidden_.end();
}

}  // namespace orv
