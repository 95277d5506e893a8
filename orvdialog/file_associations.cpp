// File types the user chose not to associate with the IDE: each is taken out through its own
// component, which carries the association's registry entries, and its SET_ switch.
#include <cstdint>
#include <string>

#include "actions.h"
#include "frame/log.h"
#include "frame/text.h"
#include "numbered_rows.h"

namespace orvdialog {

namespace {

// The three letters after the point of ".abc - Description", or as many as there are.
std::string extensionOf(const std::string& fileType) { return fileType.substr(1, 3); }

void disassociate(orv::ActionContext& context, std::int32_t n, const std::string& fileType,
                  const orv::PropertyRead& wanted) {
    const std::string extension = extensionOf(fileType);
    const std::string component = "Registry_FileType_" + extension;
    const std::string property = "SET_" + context.os.upperCase(extension);
    context.session.requestComponent(component.c_str(), orv::kStateAbsent);
    context.session.remove(property.c_str());
    const std::string typeName = orv::numberedName("File_Assoc_Type_", n);
    const std::string wantedName = orv::numberedName("Set_File_Assoc_", n);
    context.log.write("type " + orv::formatInteger(n) + " " + context.log.value(typeName.c_str(), fileType) +
                      " not wanted (" + wantedName +
                      " " + context.log.value(wantedName.c_str(), wanted.text) + "): " + component +
                      " requested absent, " + property + " removed");
}

// Takes the type out unless the user wants it; true when it stays associated.
bool applyChoice(orv::ActionContext& context, std::int32_t n, const orv::PropertyRead& fileType) {
    // The extension lies in the text that did not fit: no component can be named for it.
    if (!fileType.succeeded()) {
        context.log.write("type " + orv::formatInteger(n) + " too long to read: skipped");
        return false;
    }
    // An unreadable choice reads as empty, which is not a Yes.
    const orv::PropertyRead wanted = context.session.read(orv::numberedName("Set_File_Assoc_", n).c_str());
    if (wanted.text == "1") return true;
    disassociate(context, n, fileType.text, wanted);
    return false;
}

}  // namespace

orv::ActionResult checkFileAssoc(orv::ActionContext& context) {
    context.log.write("nothing to check: ProcessFileAssoc applies the choice");
    return orv::ActionResult::Success;
}

orv::ActionResult processFileAssoc(orv::ActionContext& context) {
    std::int32_t kept = 0;
    const auto visit = [&](std::int32_t n, const orv::PropertyRead& fileType) {
        if (applyChoice(context, n, fileType)) ++kept;
    };
    const std::int32_t types = forEachRow(context.session, "File_Assoc_Type_", visit);
    context.log.write(orv::formatInteger(types) + " file types read; " + orv::formatInteger(kept) +
                      " stay associated");
    return orv::ActionResult::Success;
}

}  // namespace orvdialog
