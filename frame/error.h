// The frame's errors: raised where an action cannot go on, caught by the action or its guard.
//
// They keep their message in a buffer of their own rather than deriving from std::runtime_error:
// copying one cannot fail, and a DLL then needs none of the standard exception classes, whose
// string machinery costs a 32-bit DLL about 22 KB (README, "What the DLLs hold to").
#pragma once

#include <algorithm>
#include <cstddef>
#include <exception>
#include <string_view>

namespace orv {

class Error : public std::exception {
public:
    // A longer message is cut to the buffer.
    explicit Error(std::string_view message) noexcept {
        const std::size_t length = std::min(message.size(), sizeof message_ - 1);
        std::copy_n(message.data(), length, message_);
        message_[length] = '\0';
    }

    const char* what() const noexcept override { return message_; }

private:
    char message_[256];
};

}  // namespace orv
