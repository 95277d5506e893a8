// The object broker's two Windows services, registered through the broker's own registration
// library once its files are on the disk. The library decides how a service is registered; this
// action only asks it whether each one already is, asks the user before registering one again,
// and hands it the service's program.
#include <cstdint>
#include <string>

#include "actions.h"
#include "external.h"
#include "frame/messages.h"
#include "frame/text.h"

namespace orvregistry {

namespace {

constexpr std::uint32_t kQuestionCaption = 107;
constexpr std::uint32_t kQuestionStyle = orv::kMbTopmost | orv::kMbIconQuestion | orv::kMbYesNo;
// What the library's existence tests answer for a registered service.
constexpr int kAlreadyRegistered = 8;

constexpr const char* kLibraryInFolder = "\\Bin\\register.dll";

struct BrokerService {
    const char* program;
    const char* existsExport;
    const char* installExport;
    std::uint32_t questionId;
    const char* programInFolder;  // shorter than kLibraryInFolder: fits wherever the library's path does
};

constexpr BrokerService kServices[] = {
    {"hlocate.exe", "AgentServiceExists", "InstallAgentService", 108, "\\bin\\hlocate.exe"},
    {"actd.exe", "ACTDServiceExists", "InstallACTDService", 109, "\\bin\\actd.exe"},
};

void registerService(orv::ActionContext& context, LoadedLibrary& broker, const BrokerService& service,
                     const std::string& folder) {
    const std::string program = service.program;
    const orv::ExportHandle exists = broker.find(service.existsExport);
    if (exists == 0)
        return context.log.write(std::string("no ") + service.existsExport + " in the broker library: " + program +
                                 " skipped");
    const int answer = context.os.callIntExport(exists);
    if (answer == kAlreadyRegistered) {
        context.log.write(program + " is already registered; asking " + std::to_string(service.questionId));
        // Only No keeps the old registration: nobody to answer, or a box that failed, registers.
        if (orv::showMessage(context, kQuestionCaption, service.questionId, kQuestionStyle) == orv::kIdNo)
            return context.log.write(program + " left as registered");
    }
    const std::string path = folder + service.programInFolder;
    const orv::ExportHandle install = broker.find(service.installExport);
    if (install == 0)
        return context.log.write(std::string("no ") + service.installExport + " in the broker library: " + program +
                                 " not registered");
    context.os.callTextExport(install, path.c_str());
    context.log.write(program + " registered: " + service.installExport + " called with " +
                      context.log.composed({"HALORB_DIR"}, path) + " (" + service.existsExport + " answered " +
                      std::to_string(answer) + ")");
}

}  // namespace

orv::ActionResult registerHalOrb(orv::ActionContext& context) {
    orv::Session& session = context.session;
    orv::ActionLog& log = context.log;
    const orv::StateQuery component = session.componentState("hlocate_exe");
    if (!component.isLocal()) {
        log.write("component hlocate_exe not local (" + orv::describeStates(component) + "): nothing registered");
        return orv::ActionResult::Success;
    }
    if (!session.read("VersionNT").isSet()) {
        log.write("VersionNT not set: no services on this system; nothing registered");
        return orv::ActionResult::Success;
    }
    const orv::PropertyRead folderRead = session.read("HALORB_DIR");
    if (!folderRead.succeeded()) {
        log.write("HALORB_DIR cannot be read (result " + std::to_string(folderRead.result) + "): nothing loaded");
        return orv::ActionResult::Success;
    }
    const std::string& folder = folderRead.text;
    const std::string libraryPath = folder + kLibraryInFolder;
    const std::string shownLibrary = log.composed({"HALORB_DIR"}, libraryPath);
    // Any other path is searched for along the DLL search path, where a planted library would
    // run with the installer's rights.
    if (!orv::isFullPath(libraryPath)) {
        log.write("broker library " + shownLibrary + " is not a full path: nothing loaded");
        return orv::ActionResult::Success;
    }
    if (!fitsPathBuffer(libraryPath)) {
        log.write("broker library path is " + std::to_string(libraryPath.size()) +
                  " characters long, past Windows' limit: nothing loaded");
        return orv::ActionResult::Success;
    }
    LoadedLibrary broker(context.os, libraryPath);
    if (!broker.loaded()) {
        log.write("broker library " + shownLibrary + " cannot be loaded: nothing registered");
        return orv::ActionResult::Success;
    }
    for (const BrokerService& service : kServices) registerService(context, broker, service, folder);
    return orv::ActionResult::Success;
}

}  // namespace orvregistry
