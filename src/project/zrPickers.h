#pragma once
// The file and folder pickers. The core asks through these free functions; the
// window installs the dialogs behind them. Without an installed implementation
// (console runs, core tests that install none) every picker behaves as cancelled.

#include <string>

namespace vantile {

class TzrPickers {
  public:
    virtual ~TzrPickers() = default;

    // Result receives the chosen folder, or keeps Start when the user cancels.
    virtual void SelectFolder(const std::string& Start, std::string& Result) = 0;
    // Name holds the starting name and receives the choice (with Multi: every path
    // followed by CR LF). False on cancel, Name unchanged.
    virtual bool SelectFiles(const std::string& Filter, std::string& Name, bool Multi) = 0;
    // Name holds the starting name and receives the choice; the dialog asks before
    // replacing an existing file. False on cancel, Name unchanged.
    virtual bool SelectSaveFile(const std::string& Filter, const std::string& DefExt, std::string& Name) = 0;
};

// Installs the implementation (not owned; nullptr removes it) and returns the
// previous one. Main thread only.
TzrPickers* InstallPickers(TzrPickers* Impl);

void SelectFolder(const std::string& Start, std::string& Result);
bool SelectFiles(const std::string& Filter, std::string& Name, bool Multi);
bool SelectSaveFile(const std::string& Filter, const std::string& DefExt, std::string& Name);

}  // namespace vantile
