#pragma once
// The program file and its first argument, fixed for the life of the process.

#include <string>

namespace vantile {

class TzrApp {
  public:
    TzrApp(std::string AExeName, std::string AParam)
        : ExeName(std::move(AExeName)), Param(std::move(AParam)) {}
    // The running program and argv[1] (as the shell split and unquoted it; later
    // arguments are ignored by the whole program).
    static TzrApp FromArguments(int argc, const char* const* argv);

    const std::string ExeName;
    const std::string Param;
    // The application title; set once by the product description at start-up.
    std::string Title;
};

extern TzrApp* App;

}  // namespace vantile
