#include "engine_errors.h"

#include <algorithm>
#include <regex>
#include <sstream>

namespace engine {

std::vector<std::string> engineErrorsIn(const std::string& output, const std::vector<std::string>& mayHalt) {
    // Wine puts the thread id (and with +pid or +timestamp more fields) before the class.
    static const std::regex error(R"(^(?:[0-9a-fA-F.]+:)*err:msi:.*)");
    static const std::regex missingExport(R"re(^(?:[0-9a-fA-F.]+:)*warn:msi:.*GetProcAddress\(.*\) failed.*)re");
    // "Execution halted, action ..." for a step of the sequence; "Execution of script 0 halted;
    // action ..." for an action in the script, which InstallFinalize then reports as its own.
    static const std::regex halted(R"re(halted[,;] action L"([^"]*)" returned 1603$)re");
    std::vector<std::string> errors;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (std::regex_match(line, missingExport)) {
            errors.push_back(line);
            continue;
        }
        if (!std::regex_match(line, error)) continue;
        std::smatch match;
        if (std::regex_search(line, match, halted) &&
            std::find(mayHalt.begin(), mayHalt.end(), match[1].str()) != mayHalt.end())
            continue;
        errors.push_back(line);
    }
    return errors;
}

std::string wineDebugForRun(const std::string& base, bool relay) {
    return (base.empty() ? std::string("-all") : base) + (relay ? ",+relay" : "") + ",err+msi,warn+msi";
}

}  // namespace engine
