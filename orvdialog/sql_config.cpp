// The SQL driver dialog: five slots, one per database family, each offering two drivers. Slot 1
// is always the Access family, whose name the engine's Access driver switch looks for.
#include <string>

#include "actions.h"
#include "frame/text.h"

namespace orvdialog {

namespace {

constexpr int kSlots = 5;

struct DriverFamily {
    std::uint32_t nameId;
    std::uint32_t firstChoiceId;
    std::uint32_t secondChoiceId;
};

// Access, then the families of the driver keys SQL_INSTALL_DB2, SQL_INSTALL_INFORMIX,
// SQL_INSTALL_ORACLE and SQL_INSTALL_SYBASE. Informix offers its newer driver first.
constexpr DriverFamily kFamilies[] = {
    {119, 120, 121}, {122, 123, 124}, {125, 127, 126}, {128, 129, 130}, {131, 132, 133},
};

std::string slotText(int slot, int choice) {
    return orv::numberedName(orv::numberedName("SQLConfig_", slot) + "_Text_", choice);
}

}  // namespace

orv::ActionResult setupSqlConfigDialog(orv::ActionContext& context) {
    orv::Session& session = context.session;
    for (int n = 1; n <= kSlots; ++n) session.remove(orv::numberedName("Enable_SQLConfig_", n).c_str());
    int slot = 1;
    for (const DriverFamily& family : kFamilies) {
        session.write(orv::numberedName("Enable_SQLConfig_", slot).c_str(), "1");
        session.write(orv::numberedName("SQLConfig_DrvName_", slot).c_str(), context.os.loadString(family.nameId));
        session.write(slotText(slot, 1).c_str(), context.os.loadString(family.firstChoiceId));
        session.write(slotText(slot, 2).c_str(), context.os.loadString(family.secondChoiceId));
        ++slot;
    }
    context.log.write("five driver slots shown: MS Access, DB2, Informix, Oracle, Sybase");
    return orv::ActionResult::Success;
}

}  // namespace orvdialog
