#include "shell/zrStartup.h"

int main(int argc, char** argv) {
    // The window run is passed here once the window layer provides it.
    return vantile::RunProgram(vantile::TzrApp::FromArguments(argc, argv), vantile::TzrWindowRun());
}
