// The running installation as the actions see it: properties read through the per-action
// property buffer, and feature and component states.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform.h"

namespace orv {

inline constexpr std::uint32_t kPropertyCapacity = 260;  // characters, the terminating NUL included

struct PropertyRead {
    std::uint32_t result = kSuccess;  // the installer's result code
    std::string text;                 // empty unless the read succeeded
    std::uint32_t length = 0;         // characters read, as the installer reported them

    bool succeeded() const { return result == kSuccess; }
    // "Set" means read with success and not empty.
    bool isSet() const { return result == kSuccess && length > 0; }
};

// A feature's or component's two states, and the tests the actions make on them. A query that
// failed answers every test with false: an unknown feature is neither there nor coming.
struct StateQuery {
    std::uint32_t result = kSuccess;
    InstallState installed = kStateUnknown;
    InstallState action = kStateUnknown;

    bool succeeded() const { return result == kSuccess; }
    // This run puts it on the local disk.
    bool requestedLocal() const { return succeeded() && action == kStateLocal; }
    // It is on the local disk now.
    bool installedLocal() const { return succeeded() && installed == kStateLocal; }
    // It is known to be off the machine now (not merely unknown or advertised).
    bool installedAbsent() const { return succeeded() && installed == kStateAbsent; }
    // Installed locally or requested locally.
    bool isLocal() const { return installedLocal() || requestedLocal(); }
    // Installed locally and this run takes it away.
    bool beingRemoved() const { return installedLocal() && action == kStateAbsent; }
    // Local, unless this run removes it.
    bool isWanted() const { return isLocal() && !beingRemoved(); }
    // Installed locally and requested locally again (a repair or reinstall).
    bool beingReinstalled() const { return installedLocal() && action == kStateLocal; }
    // Installed locally and nothing requested for it in this run.
    bool stayingInstalled() const { return installedLocal() && action == kStateUnknown; }
};

// "installed 3, action -1", for log lines.
std::string describeStates(const StateQuery& states);

class Session {
public:
    Session(Platform& os, MsiHandle handle) : os_(os), handle_(handle) {}
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Reads through the property buffer. A value that does not fit is never handed out cut
    // short: the read then fails and the text stays empty.
    PropertyRead read(const char* name);
    // The same with a smaller capacity (terminating NUL included), at most kPropertyCapacity.
    PropertyRead readWithCapacity(const char* name, std::uint32_t capacity);
    void write(const char* name, const std::string& value);
    void remove(const char* name);

    StateQuery featureState(const char* feature);
    void requestFeature(const char* feature, InstallState state);
    StateQuery componentState(const char* component);
    void requestComponent(const char* component, InstallState state);

    void doAction(const char* action);
    bool inRollback();
    // Deferred, rollback or commit: the action runs from the installation script, where the
    // installer hands it CustomActionData and no other property of the session.
    bool inScript();
    void setTargetPath(const char* folder, const std::string& path);
    std::uint32_t featureNames(std::vector<std::string>* names);

    MsiHandle handle() const { return handle_; }

private:
    Platform& os_;
    MsiHandle handle_;
    std::array<char, kPropertyCapacity> buffer_{};
};

}  // namespace orv
