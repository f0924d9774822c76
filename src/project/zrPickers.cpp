#include "project/zrPickers.h"

namespace vantile {

namespace {
TzrPickers* g_pickers = nullptr;
}

TzrPickers* InstallPickers(TzrPickers* Impl) {
    TzrPickers* previous = g_pickers;
    g_pickers = Impl;
    return previous;
}

void SelectFolder(const std::string& Start, std::string& Result) {
    if (g_pickers) {
        g_pickers->SelectFolder(Start, Result);
        return;
    }
    Result = Start;
}

bool SelectFiles(const std::string& Filter, std::string& Name, bool Multi) {
    return g_pickers ? g_pickers->SelectFiles(Filter, Name, Multi) : false;
}

bool SelectSaveFile(const std::string& Filter, const std::string& DefExt, std::string& Name) {
    return g_pickers ? g_pickers->SelectSaveFile(Filter, DefExt, Name) : false;
}

}  // namespace vantile
