// The registry object the actions rely on: one key of HKEY_LOCAL_MACHINE open at a time, full
// access, string values. Reading a value of the wrong type and failing to write raise; failing
// to open a key does not.
#pragma once

#include <string>
#include <vector>

#include "error.h"
#include "platform.h"

namespace orv {

struct RegistryError : Error {
    using Error::Error;
};

class Registry {
public:
    explicit Registry(Platform& os) : os_(os) {}
    // Closing raises on neither side of the seam (RegCloseKey allocates nothing), which is what
    // makes it safe here.
    ~Registry() { closeKey(); }
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    bool keyExists(const std::string& path);
    // Creates the key and its missing parents, leaving none of them open.
    bool createKey(const std::string& path);
    // Closes the open key first. With `create`, missing keys on the path are created.
    bool openKey(const std::string& path, bool create);
    void closeKey();
    bool isOpen() const { return key_ != 0; }

    // Of the open key; empty when none is open or it has no values.
    std::vector<std::string> valueNames();
    // A missing value, or no open key, reads as empty text. A value that is neither REG_SZ nor
    // REG_EXPAND_SZ raises, and so does a value that cannot be read.
    std::string readString(const std::string& name);
    // Writes REG_SZ; raises when no key is open or the write fails.
    void writeString(const std::string& name, const std::string& value);

private:
    Platform& os_;
    RegKeyHandle key_ = 0;
    std::string path_;
};

}  // namespace orv
