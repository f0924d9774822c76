#include "conversion/zrConvertor.h"

#include <chrono>
#include <stdexcept>
#include <thread>

#include "platform/main_thread.h"
#include "project/zrProject.h"

namespace vantile {

std::atomic<std::int32_t> ConvertorsAlive{0};

namespace {

TzrConvertorClass converterClass() {
    if (!Project || !Project->FConvertorClass)
        throw std::runtime_error("No converter class is configured");
    return Project->FConvertorClass;
}

}  // namespace

TzrConvertor::TzrConvertor(TzrBatch* Batch, int Count, const TzrNodeEvent& OnTaskDone)
    : TzrWorkBase(Batch), FCount(Count), FOnTaskDone(OnTaskDone) {
    if (Count > 1) {
        FPendingNext = converterClass()(Batch, Count - 1, OnTaskDone);
        FNext = FPendingNext;
    }
}

TzrConvertor::~TzrConvertor() = default;

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
    if (auto next = FNext.lock())
        next->ResumeAll();
    // From now on the next worker's own thread keeps it.
    FPendingNext.reset();
}

void TzrConvertor::SetOnFinish(const TzrEvent& Value) {
    {
        std::lock_guard lock(FFinishLock);
        FOnFinish = Value;
    }
    if (auto next = FNext.lock())
        next->SetOnFinish(Value);
}

TzrEvent TzrConvertor::OnFinish() const {
    std::lock_guard lock(FFinishLock);
    return FOnFinish;
}

void TzrConvertor::TerminateAll() {
    try {
        // A worker that has ended and freed itself is out of reach here: the link is weak.
        if (auto next = FNext.lock()) {
            next->TerminateAll();
            while (!next->Terminated())
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
