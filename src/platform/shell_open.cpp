#include "platform/shell_open.h"

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace vantile::platform {

namespace {

std::mutex g_openerLock;
ShellOpener g_opener;

}  // namespace

bool SpawnDetached(const std::string& Program, const std::string& Argument) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return false;
    if (posix_spawnattr_init(&attr) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return false;
    }
    // The opener must not write to our terminal nor read from it.
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    // A session of its own, default signal handling and an empty mask, so that it
    // outlives us and behaves like a program started from the desktop.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::string program = Program;
    std::string argument = Argument;
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, program.c_str(), &actions, &attr, argv, environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return false;
    // Reap it whenever it ends, so that no zombie stays behind while we run.
    std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

ShellOpener SetShellOpener(ShellOpener Opener) {
    std::lock_guard lock(g_openerLock);
    ShellOpener previous = std::move(g_opener);
    g_opener = std::move(Opener);
    return previous;
}

void ShellOpen(const std::string& Text) {
    ShellOpener opener;
    {
        std::lock_guard lock(g_openerLock);
        opener = g_opener;
    }
    if (opener) {
        opener(Text);
        return;
    }
    const char* custom = std::getenv("VANTILE_OPENER");
    SpawnDetached(custom && *custom ? custom : "xdg-open", Text);
}

}  // namespace vantile::platform
