#include "shell/zrApp.h"

#include "platform/files.h"

namespace vantile {

TzrApp* App = nullptr;

TzrApp TzrApp::FromArguments(int argc, const char* const* argv) {
    std::string exe = platform::ExecutablePath();
    if (exe.empty() && argc > 0 && argv[0])
        exe = argv[0];
    return TzrApp(std::move(exe), argc > 1 && argv[1] ? argv[1] : "");
}

}  // namespace vantile
