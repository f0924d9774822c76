#pragma once
// Start-up: the process-wide objects in their fixed order, the product
// description, the command line, the choice of run mode, and the end in reverse.

#include <functional>

#include "shell/zrApp.h"

namespace vantile {

class TzrProject;

// The window run, provided by the window layer: runs the message loop until the
// main window closes and returns the exit status.
using TzrWindowRun = std::function<int()>;

// Writes the product's identity into the project and the application title, and
// switches on the skipping of the word processor's owner files.
void WriteProductDescription(TzrProject& AProject, TzrApp& AApp);

// True for a console run: PureConsole on and "http" (exactly so) not in Source.
bool IsConsoleRun(const TzrProject& AProject);

// The whole life of the process; returns its exit status. A console run returns 0.
// Without a window run, a window run reports on standard error that this build has
// none and returns 2. An error that ends the program is reported on standard error
// and returns 1.
int RunProgram(const TzrApp& Application, const TzrWindowRun& WindowRun);

}  // namespace vantile
