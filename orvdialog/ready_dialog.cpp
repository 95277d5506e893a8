// The ready dialog's notes: all switched off, then the sample-data note switched on when the
// sample files go onto a machine that already has a Granary database server.
#include <string>

#include "actions.h"
#include "frame/registry.h"
#include "frame/text.h"

namespace orvdialog {

namespace {

// Two digits and the terminating NUL: a count of three characters is an error in the package.
constexpr std::uint32_t kCountCapacity = 3;
constexpr std::uint32_t kSampleDataNote = 141;

bool granaryServerPresent(orv::Platform& os) {
    orv::Registry registry(os);
    return registry.keyExists("\\Software\\Granary Corp");
}

}  // namespace

orv::ActionResult setupReadyDialog(orv::ActionContext& context) {
    orv::Session& session = context.session;
    const orv::PropertyRead count = session.readWithCapacity("InstallMsgCount", kCountCapacity);
    if (!count.succeeded()) {
        context.log.write("InstallMsgCount does not fit in two characters (result " + std::to_string(count.result) +
                          "): the package is broken; failing the installation");
        return orv::ActionResult::InstallFailure;
    }

    const int notes = orv::leadingInteger(count.text);
    for (int n = 1; n <= notes; ++n) session.remove(orv::numberedName("Enable_Install_Msg_", n).c_str());
    context.log.write("InstallMsgCount " + orv::quoted(count.text) + ": " + orv::formatInteger(notes > 0 ? notes : 0) +
                      " notes switched off");

    if (!session.featureState("SampleDataFiles").requestedLocal()) {
        context.log.write("SampleDataFiles not requested local: no sample-data note");
        return orv::ActionResult::Success;
    }
    if (granaryServerPresent(context.os)) {
        session.write("Enable_Install_Msg_1", "1");
        session.write("InstallMsg_1", context.os.loadString(kSampleDataNote));
        context.log.write("SampleDataFiles requested local and a Granary server is present: note 1 shows the sample-data note");
    } else {
        context.log.write("SampleDataFiles requested local but no Granary server: no sample-data note");
    }
    return orv::ActionResult::Success;
}

}  // namespace orvdialog
