// Running the engine's programs the way they need to be run: output into files (wineserver
// inherits any pipe and would keep it open for seconds after msiexec ends), an environment of
// the caller's choosing, and a deadline so that a hung run fails instead of stalling the suite.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace engine {

// The environment a child gets: the caller's own, with some variables replaced or removed.
class Environment {
public:
    static Environment inherited();
    void set(const std::string& name, const std::string& value);
    void remove(const std::string& name);
    std::string value(const std::string& name) const;  // empty when unset
    std::vector<std::string> entries() const;

private:
    std::map<std::string, std::string> variables_;
};

struct ProcessResult {
    int exitCode = -1;  // the low 8 bits, as the shell sees them; -1 if ended by a signal
    bool timedOut = false;
    std::chrono::milliseconds elapsed{0};
};

// stdin is /dev/null; stdout and stderr go to the given files, which are truncated.
ProcessResult runProcess(const std::vector<std::string>& argv, const Environment& environment,
                         const std::filesystem::path& stdoutFile, const std::filesystem::path& stderrFile,
                         std::chrono::seconds timeout);

// An executable named in the variable, else the first of the candidates that exists, else one
// found on PATH by the given name; empty if none.
std::filesystem::path locateProgram(const char* variable, const std::vector<std::filesystem::path>& candidates,
                                    const std::string& nameOnPath);

std::string readText(const std::filesystem::path& file);

}  // namespace engine
