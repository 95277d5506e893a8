#include "message_trace.h"

#include <regex>

namespace engine {

namespace {

// Wine's debug strings escape like C: \n, \r, \t, \", \\ and \xNN for other bytes.
std::string unquote(const std::string& quoted) {
    std::string out;
    for (std::size_t i = 0; i < quoted.size(); ++i) {
        if (quoted[i] != '\\' || i + 1 == quoted.size()) {
            out += quoted[i];
            continue;
        }
        const char c = quoted[++i];
        switch (c) {
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'x':
                if (i + 2 < quoted.size()) {
                    out += static_cast<char>(std::stoi(quoted.substr(i + 1, 2), nullptr, 16));
                    i += 2;
                }
                break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const MessageBoxCall& call) {
    return out << "box(caption \"" << call.caption << "\", text \"" << call.text << "\", style 0x" << std::hex
               << call.style << std::dec << ")";
}

std::vector<MessageBoxCall> messageBoxesIn(const std::string& trace) {
    // 0124:Call user32.MessageBoxA(00000000,00ca5d50 "text",0236f550 "Error",00040010) ret=...
    static const std::regex call(
        R"re(Call user32\.MessageBoxA\([0-9a-fA-F]+,[0-9a-fA-F]+ "((?:[^"\\]|\\.)*)"(?:\.\.\.)?,[0-9a-fA-F]+ "((?:[^"\\]|\\.)*)"(?:\.\.\.)?,([0-9a-fA-F]+)\))re");
    std::vector<MessageBoxCall> calls;
    for (std::sregex_iterator it(trace.begin(), trace.end(), call), end; it != end; ++it)
        calls.push_back({unquote((*it)[1]), unquote((*it)[2]), static_cast<std::uint32_t>(std::stoul((*it)[3], nullptr, 16))});
    return calls;
}

}  // namespace engine
