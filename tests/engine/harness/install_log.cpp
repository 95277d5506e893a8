#include "install_log.h"

#include <cstdint>
#include <regex>

namespace engine {

namespace {

// The characters of code page 1252 at 0x80-0x9F; Latin-1 has control characters there.
constexpr std::uint16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                           0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char toCp1252(std::uint16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == unit) return static_cast<char>(0x80 + i);
    return '?';
}

bool isUtf16(const std::string& bytes) {
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           static_cast<unsigned char>(bytes[1]) == 0xFE;
}

std::string fromUtf16(const std::string& bytes) {
    std::string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += toCp1252(static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[i]) |
                                                    static_cast<unsigned char>(bytes[i + 1]) << 8));
    return text;
}

std::vector<std::string> linesOfText(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

}  // namespace

InstallLog InstallLog::parse(const std::string& bytes) {
    static const std::regex actionLine(R"(([A-Za-z_][A-Za-z0-9_]*\.[A-Za-z_][A-Za-z0-9_]*): (.*))");
    InstallLog log;
    int running = 0;  // actions started and not ended: the install script runs inside InstallFinalize
    bool continuing = false;  // a line without a prefix of its own continues the last action line
    for (const std::string& line : linesOfText(isUtf16(bytes) ? fromUtf16(bytes) : bytes)) {
        log.text_ += line + "\n";
        std::smatch match;
        if (line.starts_with("Action start ")) {
            ++running;
            continuing = false;
        } else if (line.starts_with("Action ended ")) {
            running = running > 0 ? running - 1 : 0;
            continuing = false;
        } else if (line.starts_with("Action ")) {
            continuing = false;
        } else if (running > 0 && std::regex_match(line, match, actionLine)) {
            log.actionLines_.push_back({match[1], match[2]});
            continuing = true;
        } else if (continuing) {
            log.actionLines_.back().text += "\n" + line;
        }
    }
    return log;
}

std::vector<std::string> InstallLog::linesOf(const std::string& library, const std::string& exportName) const {
    const std::string source = library + "." + exportName;
    std::vector<std::string> texts;
    for (const ActionLine& line : actionLines_)
        if (line.source == source) texts.push_back(line.text);
    return texts;
}

std::vector<std::string> InstallLog::linesContaining(const std::string& fragment) const {
    std::vector<std::string> found;
    for (const std::string& line : linesOfText(text_))
        if (line.find(fragment) != std::string::npos) found.push_back(line);
    return found;
}

}  // namespace engine
