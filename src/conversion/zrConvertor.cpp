#include "conversion/zrConvertor.h"

#include <chrono>
#include <stdexcept>
#include <thread>

#include "platform/main_thread.h"
#include "project/zrProject.h"

namespace vantile {

std::atomic<std::int32_t> ConvertorsAlive{0};

struct TzrConvertor::TzrChain {
    std::vector<std::weak_ptr<TzrConvertor>> workers;
};

namespace {

TzrConvertorClass converterClass() {
    if (!Project || !Project->FConvertorClass)
        throw std::runtime_error("No converter class is configured");
    return Project->FConvertorClass;
}

// Set while a head creates the workers behind it: those do not build chains of their own.
thread_local bool buildingChain = false;

}  // namespace

TzrConvertor::TzrConvertor(TzrBatch* Batch, int Count, const TzrNodeEvent& OnTaskDone)
    : TzrWorkBase(Batch), FCount(Count), FOnTaskDone(OnTaskDone) {
    if (Count <= 1 || buildingChain)
        return;
    struct Building {
        Building() { buildingChain = true; }
        ~Building() { buildingChain = false; }
    } building;
    const TzrConvertorClass create = converterClass();
    auto chain = std::make_shared<TzrChain>();
    chain->workers.resize(static_cast<std::size_t>(Count));
    FPending.reserve(static_cast<std::size_t>(Count) - 1);
    // The k-th worker behind the head counts the workers from itself to the tail.
    for (int k = 1; k < Count; ++k) {
        auto worker = create(Batch, Count - k, OnTaskDone);
        worker->FChain = chain;
        worker->FPosition = static_cast<std::size_t>(k);
        chain->workers[static_cast<std::size_t>(k)] = worker;
        FPending.push_back(std::move(worker));
    }
    FChain = std::move(chain);
}

TzrConvertor::~TzrConvertor() = default;

std::vector<std::shared_ptr<TzrConvertor>> TzrConvertor::Following() const {
    std::vector<std::shared_ptr<TzrConvertor>> out;
    if (!FChain)
        return out;
    for (std::size_t k = FPosition + 1; k < FChain->workers.size(); ++k)
        if (auto w = FChain->workers[k].lock())
            out.push_back(std::move(w));
    return out;
}

std::shared_ptr<TzrConvertor> TzrConvertor::Next() const {
    if (!FChain || FPosition + 1 >= FChain->workers.size())
        return nullptr;
    return FChain->workers[FPosition + 1].lock();
}

std::shared_ptr<TzrConvertor> TzrConvertor::CreateConvertors(TzrBatch* Batch, const std::string& Target,
                                                             const TzrNodeEvent& OnTaskDone) {
    Batch->SetTargetFolder(TzrBatch::NormalizeUrl(Target));
    int count = Project ? Project->ThreadsCount() : 1;
    if (count < 1)
        count = 1;
    return converterClass()(Batch, count, OnTaskDone);
}

void TzrConvertor::ResumeAll() {
    Start();
    for (const auto& w : Following())
        w->Start();
    // From now on every started worker is kept by its own thread.
    FPending.clear();
}

void TzrConvertor::SetOnFinish(const TzrEvent& Value) {
    {
        std::lock_guard lock(FFinishLock);
        FOnFinish = Value;
    }
    for (const auto& w : Following()) {
        std::lock_guard lock(w->FFinishLock);
        w->FOnFinish = Value;
    }
}

TzrEvent TzrConvertor::OnFinish() const {
    std::lock_guard lock(FFinishLock);
    return FOnFinish;
}

void TzrConvertor::TerminateAll() {
    try {
        // Tail first. Workers that have ended and freed themselves are out of reach:
        // the chain holds them weakly.
        const auto following = Following();
        for (auto it = following.rbegin(); it != following.rend(); ++it) {
            (*it)->Terminate();
            while (!(*it)->Terminated())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    } catch (...) {
    }
    Terminate();
}

void TzrConvertor::ConvertTask(TzrBatch*, TzrNode*) {}

std::string TzrConvertor::AdjustTarget(const std::string& Target) {
    return Target;
}

std::string TzrConvertor::GetAppPath() {
    return {};
}

bool TzrConvertor::IsMacroEnabled() {
    return true;
}

void TzrConvertor::DoWork() {
    ConvertTask(FBatch, FNode);
    if (FOnTaskDone)
        FOnTaskDone(FBatch, FNode);
}

void TzrConvertor::ThreadEnded() {
    // No lock is held while the main thread runs the handler.
    if (const TzrEvent onFinish = OnFinish()) {
        try {
            platform::RunOnMainThread(onFinish);
        } catch (...) {
        }
    }
    FBatch->LockTasks();
    ConvertorsAlive.fetch_sub(1);
    FBatch->UnlockTasks();
}

}  // namespace vantile
