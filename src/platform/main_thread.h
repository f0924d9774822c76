#pragma once
// The seam "run a call on the main thread and wait for it". The window installs
// an invoker that hands the call to its UI thread; without one (console runs,
// core tests) the call runs directly on the calling thread.

#include <functional>

namespace vantile::platform {

using MainThreadCall = std::function<void()>;
// Runs the call on the main thread and returns only after it has run there. It must
// run the call directly when it is asked from the main thread itself, and it passes
// an exception of the call back to the caller.
using MainThreadInvoker = std::function<void(const MainThreadCall&)>;

// Installs (or, with an empty invoker, removes) the invoker; thread-safe. A call
// already handed to the previous invoker is not affected.
void SetMainThreadInvoker(MainThreadInvoker invoker);
bool HasMainThreadInvoker();

// Runs the call through the installed invoker, or directly when none is installed.
// The caller must hold no lock that the main thread may wait for.
void RunOnMainThread(const MainThreadCall& call);

// Installs an invoker for the lifetime of the object and restores the previous one.
class ScopedMainThreadInvoker {
  public:
    explicit ScopedMainThreadInvoker(MainThreadInvoker invoker);
    ~ScopedMainThreadInvoker();
    ScopedMainThreadInvoker(const ScopedMainThreadInvoker&) = delete;
    ScopedMainThreadInvoker& operator=(const ScopedMainThreadInvoker&) = delete;

  private:
    MainThreadInvoker m_previous;
};

}  // namespace vantile::platform
