#include "files.h"

namespace orv {

bool fileExists(Platform& os, const std::string& path) {
    const std::uint32_t attributes = os.fileAttributes(path.c_str());
    return attributes != kInvalidAttributes && (attributes & kAttrDirectory) == 0;
}

}  // namespace orv
