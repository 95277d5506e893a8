#include "text.h"

#include <charconv>

namespace orv {

std::string ensureTrailingBackslash(std::string path) {
    if (!path.empty() && path.back() != '\\') path.push_back('\\');
    return path;
}

std::string stripTrailingBackslash(std::string path) {
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Where the name starting at `start` ends: at the next separator or the end of the text.
std::size_t endOfName(std::string_view path, std::size_t start) {
    while (start < path.size() && !isSeparator(path[start])) ++start;
    return start;
}

}  // namespace

std::size_t rootLength(std::string_view path) {
    const bool letter = !path.empty() && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (letter && path.size() >= 3 && path[1] == ':' && isSeparator(path[2])) return 3;
    if (path.size() < 3 || !isSeparator(path[0]) || !isSeparator(path[1])) return 0;
    const std::size_t server = endOfName(path, 2);
    if (server == 2 || server == path.size()) return 0;
    const std::size_t share = endOfName(path, server + 1);
    if (share == server + 1) return 0;
    return share == path.size() ? share : share + 1;
}

bool isFullPath(std::string_view path) { return rootLength(path) > 0; }

std::int32_t parseInteger(std::string_view text) {
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty() || digits.front() < '0' || digits.front() > '9')
        throw ConversionError("'" + std::string(text) + "' is not a valid integer value");
    std::int64_t magnitude = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (error != std::errc() || end != digits.data() + digits.size() || value < INT32_MIN || value > INT32_MAX)
        throw ConversionError("'" + std::string(text) + "' is not a valid integer value");
    return static_cast<std::int32_t>(value);
}

std::int32_t leadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT32_MAX) {
            value = negative ? -static_cast<std::int64_t>(INT32_MIN) : INT32_MAX;
            break;
        }
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::int32_t profileInteger(std::string_view text, std::int32_t fallback) {
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    int base = 10;
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
        base = 16;
        digits.remove_prefix(2);
    } else if (digits.starts_with("$")) {
        base = 16;
        digits.remove_prefix(1);
    }
    if (digits.empty() || digits.front() == '+' || digits.front() == '-') return fallback;
    std::uint32_t magnitude = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
    if (error != std::errc() || end != digits.data() + digits.size()) return fallback;
    // Hexadecimal text names the 32 bits themselves ($FFFFFFFF is -1); decimal must fit.
    if (base == 10 && magnitude > static_cast<std::uint32_t>(INT32_MAX) + (negative ? 1u : 0u)) return fallback;
    const auto bits = static_cast<std::int32_t>(magnitude);
    return negative ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(bits)) : bits;
}

std::string formatInteger(std::int32_t value) { return std::to_string(value); }

std::string numberedName(std::string_view prefix, std::int32_t number) {
    return std::string(prefix) + formatInteger(number);
}

}  // namespace orv
