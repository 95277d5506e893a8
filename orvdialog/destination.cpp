// The destination dialog: one folder row per locally requested group of files that has a
// folder of its own, packed into the dialog's five slots; and the check of those folders.
#include <string>

#include "actions.h"
#include "frame/log.h"
#include "frame/messages.h"
#include "frame/text.h"

namespace orvdialog {

namespace {

constexpr int kSlots = 5;

struct DestinationRow {
    const char* feature;
    std::uint32_t captionId;
    const char* folderProperty;
};

constexpr DestinationRow kRows[] = {
    {"MainProgramFiles", 114, "INSTALLDIR"},
    {"SharedFiles", 115, "SHARED_FILES_DIR"},
    {"KRN", 116, "OSKRN"},
    {"TableWorkbench", 117, "OSTWB"},
    {"CORBASupport", 118, "HALORB_DIR"},
};

constexpr std::uint32_t kBlankPathText = 138;
constexpr std::uint32_t kErrorCaption = 139;

// Only the reported length counts: a value too long for the buffer is not empty.
bool isEmpty(const orv::PropertyRead& read) { return read.succeeded() && read.length == 0; }

// The folder of a slot is the value of the directory property whose name the slot holds; a
// slot that names no property has no folder.
orv::PropertyRead folderOf(orv::Session& session, const std::string& slotProperty) {
    const orv::PropertyRead name = session.read(slotProperty.c_str());
    if (!name.isSet()) return {};
    return session.read(name.text.c_str());
}

void hideAllSlots(orv::Session& session) {
    for (int n = 1; n <= kSlots; ++n) {
        session.remove(orv::numberedName("Enable_Dest_", n).c_str());
        session.remove(orv::numberedName("DestDlg_Lbl_", n).c_str());
        session.write(orv::numberedName("Dest_Prop_", n).c_str(), "DummyProp");
    }
}

// Gives an empty folder the Windows volume, as property and as the directory's target path.
void prepareSlot(orv::ActionContext& context, const std::string& number) {
    orv::Session& session = context.session;
    const std::string slot = "slot " + orv::quoted(number);
    const orv::PropertyRead name = session.read(("Dest_Prop_" + number).c_str());
    // A slot number the dialog does not have names no directory: there is nothing to prepare.
    if (!name.isSet()) {
        context.log.write(slot + " names no folder property: nothing to prepare");
    } else if (!isEmpty(session.read(name.text.c_str()))) {
        context.log.write(slot + ": " + name.text + " has a folder; kept");
    } else {
        const orv::PropertyRead volume = session.read("WindowsVolume");
        if (volume.succeeded()) {
            session.write(name.text.c_str(), volume.text);
            session.setTargetPath(name.text.c_str(), volume.text);
            context.log.write(slot + ": " + name.text + " was empty; set to WindowsVolume " +
                              context.log.value("WindowsVolume", volume.text));
        } else {
            context.log.write(slot + ": " + name.text + " is empty and WindowsVolume cannot be read; left empty");
        }
    }
    session.remove("BadPath");
}

// Tells the user about the first shown slot with an empty folder; true when there was one.
bool reportBlankFolder(orv::ActionContext& context) {
    orv::Session& session = context.session;
    for (int n = 1; n <= kSlots; ++n) {
        if (isEmpty(session.read(orv::numberedName("Enable_Dest_", n).c_str()))) return false;
        if (!isEmpty(folderOf(session, orv::numberedName("Dest_Prop_", n)))) continue;
        const std::string caption = session.read(orv::numberedName("DestDlg_Lbl_", n).c_str()).text;
        const std::string text = caption + " " + context.os.loadString(kBlankPathText);
        context.log.write(orv::numberedName("slot ", n) + " (" + caption + ") has a blank folder: BadPath set");
        orv::showMessageText(context, kErrorCaption, text, orv::kMbTopmost | orv::kMbIconError | orv::kMbOk);
        return true;
    }
    return false;
}

}  // namespace

orv::ActionResult setupDestinationDialog(orv::ActionContext& context) {
    orv::Session& session = context.session;
    hideAllSlots(session);
    int next = 1;
    for (const DestinationRow& row : kRows) {
        if (!session.featureState(row.feature).requestedLocal()) continue;
        session.write(orv::numberedName("Enable_Dest_", next).c_str(), "1");
        session.write(orv::numberedName("DestDlg_Lbl_", next).c_str(), context.os.loadString(row.captionId));
        session.write(orv::numberedName("Dest_Prop_", next).c_str(), row.folderProperty);
        context.log.write(orv::numberedName("slot ", next) + ": " + row.feature + " requested local; folder " +
                          row.folderProperty);
        ++next;
    }
    session.write("DestDirCount", orv::formatInteger(next - 1));
    context.log.write("DestDirCount " + orv::formatInteger(next - 1) + "; the other slots hidden");
    return orv::ActionResult::Success;
}

orv::ActionResult validatePath(orv::ActionContext& context) {
    orv::Session& session = context.session;
    const orv::PropertyRead request = session.read("ValidatePath");
    // A request too long to read names neither mode; it is never guessed from a part of it.
    if (!request.succeeded()) {
        context.log.write("ValidatePath cannot be read (result " + std::to_string(request.result) + "): nothing done");
        return orv::ActionResult::Success;
    }
    if (request.text != "0") {
        prepareSlot(context, request.text);
        return orv::ActionResult::Success;
    }
    if (reportBlankFolder(context)) {
        session.write("BadPath", "1");
    } else {
        session.remove("BadPath");
        context.log.write("every shown slot has a folder: BadPath removed");
    }
    return orv::ActionResult::Success;
}

}  // namespace orvdialog
