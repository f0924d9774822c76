#include "shell/zrStartup.h"

#ifdef VANTILE_HAS_GUI
#include "ui/zrWindowRun.h"
#endif

int main(int argc, char** argv) {
    vantile::TzrWindowRun windowRun;
#ifdef VANTILE_HAS_GUI
    windowRun = [&argc, argv] { return vantile::ui::RunWindow(argc, argv); };
#endif
    return vantile::RunProgram(vantile::TzrApp::FromArguments(argc, argv), windowRun);
}
