#include "process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>

extern char** environ;

namespace engine {

namespace fs = std::filesystem;

Environment Environment::inherited() {
    Environment environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const auto equals = text.find('=');
        if (equals != std::string::npos) environment.variables_[text.substr(0, equals)] = text.substr(equals + 1);
    }
    return environment;
}

void Environment::set(const std::string& name, const std::string& value) { variables_[name] = value; }

void Environment::remove(const std::string& name) { variables_.erase(name); }

std::string Environment::value(const std::string& name) const {
    const auto found = variables_.find(name);
    return found == variables_.end() ? std::string() : found->second;
}

std::vector<std::string> Environment::entries() const {
    std::vector<std::string> entries;
    for (const auto& [name, value] : variables_) entries.push_back(name + "=" + value);
    return entries;
}

namespace {

class SpawnActions {
public:
    SpawnActions() { posix_spawn_file_actions_init(&actions_); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;

    void open(int descriptor, const fs::path& file, int flags) {
        posix_spawn_file_actions_addopen(&actions_, descriptor, file.c_str(), flags, 0644);
    }
    const posix_spawn_file_actions_t* get() const { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& text : strings) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

int shellExitCode(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& argv, const Environment& environment,
                         const fs::path& stdoutFile, const fs::path& stderrFile, std::chrono::seconds timeout) {
    SpawnActions actions;
    actions.open(STDIN_FILENO, "/dev/null", O_RDONLY);
    actions.open(STDOUT_FILENO, stdoutFile, O_WRONLY | O_CREAT | O_TRUNC);
    actions.open(STDERR_FILENO, stderrFile, O_WRONLY | O_CREAT | O_TRUNC);
    std::vector<std::string> arguments = argv;
    std::vector<std::string> variables = environment.entries();
    const auto argumentPointers = pointersTo(arguments);
    const auto variablePointers = pointersTo(variables);

    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (const int error = posix_spawn(&child, arguments.front().c_str(), actions.get(), nullptr,
                                      argumentPointers.data(), variablePointers.data()))
        throw std::system_error(error, std::generic_category(), "cannot start " + arguments.front());

    ProcessResult result;
    const auto deadline = start + timeout;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) break;
        if (done < 0) throw std::system_error(errno, std::generic_category(), "waitpid");
        if (std::chrono::steady_clock::now() > deadline) {
            result.timedOut = true;
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    result.exitCode = shellExitCode(status);
    result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    return result;
}

namespace {

bool isExecutable(const fs::path& file) { return !file.empty() && access(file.c_str(), X_OK) == 0; }

fs::path onPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return {};
    std::stringstream folders(path);
    std::string folder;
    while (std::getline(folders, folder, ':'))
        if (!folder.empty() && isExecutable(fs::path(folder) / name)) return fs::path(folder) / name;
    return {};
}

}  // namespace

fs::path locateProgram(const char* variable, const std::vector<fs::path>& candidates, const std::string& nameOnPath) {
    if (const char* chosen = std::getenv(variable); chosen != nullptr && *chosen != '\0')
        return isExecutable(chosen) ? fs::path(chosen) : fs::path();
    for (const fs::path& candidate : candidates)
        if (isExecutable(candidate)) return candidate;
    return onPath(nameOnPath);
}

std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace engine
