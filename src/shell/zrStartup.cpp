#include "shell/zrStartup.h"

#include <cstdio>
#include <exception>
#include <memory>

#include "automation/registry.h"
#include "batch/zrMatch.h"
#include "project/zrProject.h"
#include "shell/zrInfo.h"
#include "shell/zrMain.h"

namespace vantile {

namespace {

// Owns the process-wide objects and frees them in the reverse order of creation,
// also when an error ends the program.
struct ProcessObjects {
    std::unique_ptr<TzrApp> app;
    std::unique_ptr<TzrInfo> info;
    std::unique_ptr<TzrProject> project;
    std::unique_ptr<TzrMain> runner;
    bool matcher = false;

    ~ProcessObjects() {
        if (matcher)
            FreeBatchMatcher();
        Runner = nullptr;
        runner.reset();
        Project = nullptr;
        project.reset();  // writes the recent list
        Info = nullptr;
        info.reset();
        App = nullptr;
        app.reset();
    }
};

void ReportFatal(const char* message) {
    std::fprintf(stderr, "vantile: %s\n", message);
}

}  // namespace

bool IsConsoleRun(const TzrProject& AProject) {
    return AProject.PureConsole() && AProject.Source().find("http") == std::string::npos;
}

int RunProgram(const TzrApp& Application, const TzrWindowRun& WindowRun) {
    ProcessObjects objects;
    try {
        objects.app = std::make_unique<TzrApp>(Application);
        App = objects.app.get();
        objects.info = std::make_unique<TzrInfo>(App->ExeName);
        Info = objects.info.get();
        objects.project = std::make_unique<TzrProject>(App->ExeName);
        Project = objects.project.get();
        automation::RegisterBuiltinServers();
        objects.runner = std::make_unique<TzrMain>();
        Runner = objects.runner.get();

        WriteProductDescription(*Project, *App);
        Project->FOpenLink = [](const std::string& page, const std::string& action,
                                const std::string& extra) { Info->OpenLink(page, action, extra); };
        const bool goOn = Project->ParseCommandLine(App->Param);
        CreateBatchMatcher();
        objects.matcher = true;
        if (!goOn)
            return 0;

        if (IsConsoleRun(*Project)) {
            Runner->Run();
            return 0;
        }
        if (WindowRun)
            return WindowRun();
        ReportFatal("this build has no window yet");
        return 2;
    } catch (const std::exception& e) {
        ReportFatal(e.what());
    } catch (...) {
        ReportFatal("unknown error");
    }
    return 1;
}

}  // namespace vantile
