// The worker threads: the take-and-work loop, suspended creation, and the threads'
// end. A worker's thread cannot join itself, so the threads are kept here and
// joined once they are done (or at the end of the process), never left detached.

#include <exception>
#include <list>
#include <mutex>
#include <system_error>
#include <thread>

#include "batch/zrBatch.h"

namespace vantile {
namespace {

class WorkerThreads {
  public:
    ~WorkerThreads() { joinAll(); }

    void add(std::thread thread, std::shared_ptr<std::atomic<bool>> done) {
        std::list<Entry> finished;
        {
            std::lock_guard lock(m_mutex);
            collectDone(finished);
            m_threads.push_back({std::move(thread), std::move(done)});
        }
        for (auto& e : finished)
            e.thread.join();
    }

    void joinAll() {
        std::list<Entry> all;
        {
            std::lock_guard lock(m_mutex);
            all.swap(m_threads);
        }
        for (auto& e : all)
            if (e.thread.joinable())
                e.thread.join();
    }

  private:
    struct Entry {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };

    void collectDone(std::list<Entry>& out) {
        for (auto it = m_threads.begin(); it != m_threads.end();) {
            auto next = std::next(it);
            if (it->done->load())
                out.splice(out.end(), m_threads, it);
            it = next;
        }
    }

    std::mutex m_mutex;
    std::list<Entry> m_threads;
};

WorkerThreads& workerThreads() {
    static WorkerThreads threads;
    return threads;
}

}  // namespace

TzrWorkBase::TzrWorkBase(TzrBatch* Batch) : FBatch(Batch) {}

TzrWorkBase::~TzrWorkBase() = default;

void TzrWorkBase::Start() {
    if (FStarted.exchange(true))
        return;
    auto done = std::make_shared<std::atomic<bool>>(false);
    auto& threads = workerThreads();
    std::thread thread;
    try {
        // The thread owns the worker until its end: the worker frees itself.
        thread = std::thread([self = shared_from_this(), done]() mutable {
            self->Run();
            self.reset();
            done->store(true);
        });
    } catch (const std::system_error&) {
        // The system has no thread left for this worker: it ends at once, so that its
        // end is still reported, and leaves the tasks to the others.
        Terminate();
        try {
            ThreadEnded();
        } catch (...) {
        }
        FEnded.store(true);
        return;
    }
    threads.add(std::move(thread), std::move(done));
}

void TzrWorkBase::Run() {
    try {
        Execute();
    } catch (...) {
        // An error of no ordinary kind ends the thread, unreported.
    }
    try {
        ThreadEnded();
    } catch (...) {
    }
    FEnded.store(true);
}

void TzrWorkBase::Execute() {
    while (!Terminated()) {
        FNode = FBatch->TakeNext();
        if (!FNode) {
            Terminate();
            return;
        }
        try {
            DoWork();
        } catch (const std::exception& e) {
            // Status and counters stay as DoWork left them.
            FNode->ResultText = e.what();
        }
    }
}

void WaitForWorkerThreads() {
    workerThreads().joinAll();
}

}  // namespace vantile
