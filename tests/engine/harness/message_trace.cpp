#include "message_trace.h"

#include <regex>

#include "escapes.h"

namespace engine {


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
        calls.push_back({unescapeC((*it)[1]), unescapeC((*it)[2]), static_cast<std::uint32_t>(std::stoul((*it)[3], nullptr, 16))});
    return calls;
}

}  // namespace engine
