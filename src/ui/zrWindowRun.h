#pragma once
// The window run of start-up: the application object, the main window and the
// about box, the start-up call of the about box, and the event loop.

#include "platform/main_thread.h"

namespace vantile::ui {

class TzrFrmMain;
class TzrFrmVantileAbout;

extern TzrFrmMain* zrFrmMain;
extern TzrFrmVantileAbout* zrFrmVantileAbout;

// Runs the window run with the process-wide project and returns the exit status
// when the main window has closed.
int RunWindow(int& argc, char** argv);

// "Run on the main thread and wait" over Qt: a blocking queued call to the
// application's thread, or a direct call when asked on that thread. An exception
// of the call is passed back to the caller.
platform::MainThreadInvoker UiThreadInvoker();

}  // namespace vantile::ui
