// The message boxes an action showed, read from Wine's relay trace of user32.MessageBoxA. Without
// a display a box returns at once (-1), so the trace is the one record of what the user would
// have been shown.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace engine {

struct MessageBoxCall {
    std::string text;
    std::string caption;
    std::uint32_t style = 0;
    friend bool operator==(const MessageBoxCall&, const MessageBoxCall&) = default;
};

std::ostream& operator<<(std::ostream& out, const MessageBoxCall& call);

// The calls in a relay trace, in order. Wine cuts long strings in its trace (at about 300
// characters); such a text ends where the trace cut it.
std::vector<MessageBoxCall> messageBoxesIn(const std::string& trace);

}  // namespace engine
