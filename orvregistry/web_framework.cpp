// The web framework's type libraries and information server, registered by the IDE's own tools,
// and the framework's folders on the web debugger's search path.
#include <string>

#include "actions.h"
#include "external.h"
#include "frame/registry.h"
#include "frame/text.h"

namespace orvregistry {

namespace {

constexpr int kShowMinimisedNoActivate = 7;  // SW_SHOWMINNOACTIVE: the tools never take the focus

constexpr const char* kNetProbeKey = "Software\\Orvanta\\NetProbe";
// Left unexpanded: the IDE resolves its root folder itself.
constexpr const char* kWebFolders = "$(QUILLON)\\source\\tierweb;$(QUILLON)\\examples\\pagekit\\images";

struct Start {
    const std::string& program;
    const char* parameters;
};

// The search path is only ever extended, one ";" between the old text and the new folders.
std::string withWebFolders(std::string searchPath) {
    if (!searchPath.empty() && searchPath.back() != ';') searchPath += ';';
    return searchPath + kWebFolders;
}

}  // namespace

orv::ActionResult registerLattice(orv::ActionContext& context) {
    orv::ActionLog& log = context.log;
    LoadedLibrary shell(context.os, "shell32.dll");
    if (!shell.loaded()) {
        log.write("shell32.dll cannot be loaded: nothing started");
        return orv::ActionResult::Success;
    }
    const orv::PropertyRead installDir = context.session.read("INSTALLDIR");
    const std::string bin = installDir.text + "bin";
    const std::string tool = bin + "\\axreg.exe";
    const std::string server = bin + "\\hostinfo.exe";
    // A tool found relative to msiexec's folders or the search path could be a planted one.
    if (!installDir.succeeded() || !orv::isFullPath(bin)) {
        log.write("INSTALLDIR " + log.value("INSTALLDIR", installDir.text) + " (result " +
                  std::to_string(installDir.result) + ") gives no full path: nothing started");
        return orv::ActionResult::Success;
    }
    // hostinfo.exe's path is the longest of the three.
    if (!fitsPathBuffer(server)) {
        log.write("the bin folder's programs lie past Windows' path limit (" + std::to_string(server.size()) +
                  " characters): nothing started");
        return orv::ActionResult::Success;
    }
    const std::string shownBin = log.value("INSTALLDIR", bin);
    for (const Start& start : {Start{tool, "latlib.tlb"}, Start{tool, "latticescript.tlb"}, Start{server, "/REGSERVER"}}) {
        const bool started =
            context.os.shellExecute(start.program.c_str(), start.parameters, bin.c_str(), kShowMinimisedNoActivate);
        log.write((started ? "started " : "Windows did not start ") + log.value("INSTALLDIR", start.program) + " " +
                  start.parameters + " in " + shownBin);
    }
    return orv::ActionResult::Success;
}

orv::ActionResult addNetProbeRegEntry(orv::ActionContext& context) {
    orv::ActionLog& log = context.log;
    orv::Registry registry(context.os);
    const bool existed = registry.keyExists(kNetProbeKey);
    if (!existed && !registry.createKey(kNetProbeKey)) {
        log.write("the NetProbe key cannot be created: Path not written");
        return orv::ActionResult::Success;
    }
    if (!registry.openKey(kNetProbeKey, true)) {
        log.write("the NetProbe key cannot be opened: Path not written");
        return orv::ActionResult::Success;
    }
    std::string searchPath;
    if (existed) {
        try {
            searchPath = registry.readString("Path");
        } catch (const orv::RegistryError&) {
            log.write("NetProbe's Path is not a string: left unchanged");
            return orv::ActionResult::Success;
        }
    }
    const std::string extended = withWebFolders(searchPath);
    try {
        registry.writeString("Path", extended);
    } catch (const orv::RegistryError&) {
        log.write("NetProbe's Path cannot be written");
        return orv::ActionResult::Success;
    }
    if (!existed)
        log.write("the NetProbe key created; Path holds the web framework's folders");
    else
        log.write("NetProbe's Path of " + std::to_string(searchPath.size()) + " characters extended to " +
                  std::to_string(extended.size()) + " with the web framework's folders");
    return orv::ActionResult::Success;
}

}  // namespace orvregistry
