#include "q6uninst_scenarios.h"

namespace engine::q6uninst {

std::string inRoot(const std::string& relative) { return std::string(kRoot) + "\\" + relative; }

Scenario removeExtraFiles(const Engine& engine, const UninstallList& list, const std::vector<std::string>& files) {
    Scenario scenario;
    PackageDesign& package = scenario.package;
    package.actions = {{engine.libraryDll(kLibrary), "OrvRemoveExtraFiles"}};
    package.stage = Stage::AfterCostFinalize;
    scenario.registry = {{kProductKey, "RootDir", RegValue::string(kRoot)}};
    std::string ini = "[Program]\r\nCount=" + list.count + "\r\n";
    for (const auto& [key, value] : list.entries) ini += key + "=" + value + "\r\n";
    scenario.files.push_back({inRoot("uninstall.ini"), ini});
    for (const std::string& file : files) scenario.files.push_back({file, "extra file"});
    return scenario;
}

std::vector<DemoScenario> demos(const Engine& engine) {
    const UninstallList list{"3", {{"File0", "help\\extra.hlp"}, {"File1", "..\\outside.txt"}, {"File2", "notes.txt"}}};
    const std::vector<std::string> files = {inRoot("help\\extra.hlp"), inRoot("notes.txt"),
                                            std::string(kOutside) + "\\outside.txt"};
    DemoScenario demo{kLibrary, "OrvRemoveExtraFiles: two files listed below the root, one entry reaching outside it",
                      removeExtraFiles(engine, list, files), {}};
    demo.scenario.watchedFiles = files;
    return {std::move(demo)};
}

}  // namespace engine::q6uninst
