#pragma once
// Hands a path, folder, mail or web address to the desktop's default program.

#include <functional>
#include <string>

namespace vantile::platform {

// Starts the opener with Text as its one argument: the program named by the
// environment variable VANTILE_OPENER when set and not empty, else xdg-open.
// Started directly (never through a shell), detached, with its standard streams
// on /dev/null and reaped when it ends. The outcome is ignored.
void ShellOpen(const std::string& Text);

using ShellOpener = std::function<void(const std::string&)>;

// Replaces the opener (for tests); an empty function restores the default.
// Returns the previous replacement.
ShellOpener SetShellOpener(ShellOpener Opener);

// Starts Program with one argument as ShellOpen does; false when it could not be
// started. Waits for nothing.
bool SpawnDetached(const std::string& Program, const std::string& Argument);

}  // namespace vantile::platform
