#include "platform/main_thread.h"

#include <memory>
#include <mutex>

namespace vantile::platform {
namespace {

struct InvokerSlot {
    std::mutex mutex;
    std::shared_ptr<const MainThreadInvoker> invoker;
};

InvokerSlot& slot() {
    static InvokerSlot s;
    return s;
}

std::shared_ptr<const MainThreadInvoker> current() {
    auto& s = slot();
    std::lock_guard lock(s.mutex);
    return s.invoker;
}

std::shared_ptr<const MainThreadInvoker> exchange(MainThreadInvoker invoker) {
    auto& s = slot();
    std::shared_ptr<const MainThreadInvoker> next;
    if (invoker)
        next = std::make_shared<const MainThreadInvoker>(std::move(invoker));
    std::lock_guard lock(s.mutex);
    s.invoker.swap(next);
    return next;
}

}  // namespace

void SetMainThreadInvoker(MainThreadInvoker invoker) {
    exchange(std::move(invoker));
}

bool HasMainThreadInvoker() {
    return current() != nullptr;
}

void RunOnMainThread(const MainThreadCall& call) {
    if (!call)
        return;
    // The slot's lock is not held while the call waits for the main thread.
    const auto invoker = current();
    if (invoker)
        (*invoker)(call);
    else
        call();
}

ScopedMainThreadInvoker::ScopedMainThreadInvoker(MainThreadInvoker invoker) {
    auto previous = exchange(std::move(invoker));
    if (previous)
        m_previous = *previous;
}

ScopedMainThreadInvoker::~ScopedMainThreadInvoker() {
    exchange(std::move(m_previous));
}

}  // namespace vantile::platform
