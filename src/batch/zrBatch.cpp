#include "batch/zrBatch.h"

#include <chrono>
#include <thread>

#include "batch/zrMatch.h"
#include "platform/ascii.h"

namespace vantile {

TzrMatchBase* BatchMatcher = nullptr;
std::atomic<bool> SkipOwnerFiles{false};

bool TzrMatchBase::IsMatch(const std::string&, const std::string&) {
    return true;
}

TzrBatch::TzrBatch() = default;

TzrBatch::~TzrBatch() {
    Terminate();
    WaitFor();
    Clear();
}

void TzrBatch::AddTask(const std::string& FileName) {
    if (!Accepts(FileName))
        return;
    TzrNode* node = nullptr;
    {
        std::lock_guard lock(FLock);
        FTasks.push_back(std::make_unique<TzrNode>(FileName, static_cast<std::int32_t>(FTasks.size())));
        node = FTasks.back().get();
    }
    // Lets a waiting worker pick the task up at once.
    std::this_thread::yield();
    if (OnTaskAdded)
        OnTaskAdded(this, node);
}

TzrNode* TzrBatch::TakeNext() {
    for (;;) {
        // The flag is read before the list is looked at: a task appended before the
        // list was marked finished is then always seen, never lost.
        const bool finished = FFinished.load();
        {
            std::lock_guard lock(FLock);
            if (FNextIndex < static_cast<std::int32_t>(FTasks.size()))
                return FTasks[static_cast<std::size_t>(FNextIndex++)].get();
        }
        if (finished)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    FAllTaken.store(true);
    return nullptr;
}

std::int32_t TzrBatch::Count() const {
    std::lock_guard lock(FLock);
    return static_cast<std::int32_t>(FTasks.size());
}

void TzrBatch::AddError(const std::string& Text) {
    std::lock_guard lock(FLock);
    ++FErrorCount;
    for (const auto& t : FErrorTexts)
        if (platform::SameTextIgnoringCase(t, Text))
            return;
    FErrorTexts.push_back(Text);
}

void TzrBatch::AddSuccess() {
    std::lock_guard lock(FLock);
    ++FSuccessCount;
}

TzrBatch::TaskList& TzrBatch::LockTasks() {
    FLock.lock();
    return FTasks;
}

void TzrBatch::UnlockTasks() {
    FLock.unlock();
}

void TzrBatch::Clear() {
    std::lock_guard lock(FLock);
    FTasks.clear();
    FNextIndex = 0;
    FSuccessCount = 0;
    FErrorCount = 0;
    FFinished.store(false);
    FAllTaken.store(false);
}

std::int32_t TzrBatch::SuccessCount() const {
    std::lock_guard lock(FLock);
    return FSuccessCount;
}

std::int32_t TzrBatch::ErrorCount() const {
    std::lock_guard lock(FLock);
    return FErrorCount;
}

std::vector<std::string> TzrBatch::ErrorTexts() const {
    std::lock_guard lock(FLock);
    return FErrorTexts;
}

std::string TzrBatch::SourceFolder() const {
    std::lock_guard lock(FLock);
    return FSourceFolder;
}

std::string TzrBatch::TargetFolder() const {
    std::lock_guard lock(FLock);
    return FTargetFolder;
}

void TzrBatch::SetTargetFolder(const std::string& Folder) {
    std::lock_guard lock(FLock);
    FTargetFolder = Folder;
}

std::string TzrBatch::Mask() const {
    std::lock_guard lock(FLock);
    return FMask;
}

bool TzrBatch::Accepts(const std::string& FileName) const {
    TzrMatchBase* matcher = Matcher();
    if (!matcher)
        return true;
    std::string mask, regExt;
    {
        std::lock_guard lock(FLock);
        mask = FMask;
        regExt = FRegExt;
    }
    bool result = matcher->IsMatch(FileName, WildcardToRegex(mask));
    if (result && !regExt.empty())
        result = matcher->IsMatch(FileName, regExt);
    return result;
}

}  // namespace vantile
