// A copy of the package file in the installation folder, so that maintenance can find it later
// without the original media.
#include <string>

#include "actions.h"
#include "frame/log.h"
#include "frame/text.h"

namespace orvcommon {

orv::ActionResult copyInstallDatabase(orv::ActionContext& context) {
    orv::Session& session = context.session;
    const orv::PropertyRead sourceFolder = session.read("SourceDir");
    const orv::PropertyRead targetFolder = session.read("INSTALLDIR");
    const orv::PropertyRead productName = session.read("ProductName");
    // Without both folders and a name the paths would be relative to wherever msiexec runs:
    // copying there could overwrite an unrelated file, so nothing is done.
    if (!sourceFolder.isSet() || !targetFolder.isSet() || !productName.isSet()) {
        context.log.write("SourceDir, INSTALLDIR or ProductName not set or too long: no copy of the package made");
        return orv::ActionResult::Success;
    }

    const std::string packageName = productName.text + ".msi";
    const std::string source = orv::ensureTrailingBackslash(sourceFolder.text) + packageName;
    const std::string target = orv::ensureTrailingBackslash(targetFolder.text) + packageName;
    const bool copied = context.os.copyFile(source.c_str(), target.c_str(), false);
    // A read-only package file would pass its attribute on to the copy, and a stale read-only
    // copy would block the next one.
    const bool writable = context.os.setFileAttributes(target.c_str(), orv::kAttrNormal);
    orv::ActionLog& log = context.log;
    log.write(std::string(copied ? "copied " : "could not copy ") + log.composed({"SourceDir", "ProductName"}, source) +
              " to " + log.composed({"INSTALLDIR", "ProductName"}, target) +
              (writable ? "; the copy is writable" : "; its attributes could not be reset"));
    return orv::ActionResult::Success;
}

}  // namespace orvcommon
