#pragma once
// The batch of one run: the task list with its counters and distinct error texts,
// the search thread that fills it from the source folder, the name filter, and the
// base of the worker threads that drain it.
//
// Threads: the task list, the next-task index, the counters, the error texts and
// the folder texts are guarded by the batch's one re-entrant lock. The "finished"
// and "all taken" flags, the stop request and a task's Status are atomics. Whoever
// holds the lock never waits for another thread.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "project/zrEvents.h"

namespace vantile {

// One task: a source file and, once it is done, its outcome.
class TzrNode {
  public:
    TzrNode(std::string fileName, std::int32_t index) : Index(index), FileName(std::move(fileName)) {}
    TzrNode(const TzrNode&) = delete;
    TzrNode& operator=(const TzrNode&) = delete;

    // 0 not finished, 1 success or skipped, 2 failure; also the row's icon index.
    std::atomic<std::int32_t> Status{0};
    // Position in the batch's list: the number of tasks before it.
    const std::int32_t Index;
    // Full path of the source, exactly as it was added.
    const std::string FileName;
    // Target path on success, the error message on failure. Written only by the
    // worker that took the task; read by others after that worker reported it.
    std::string ResultText;
};

// The test that decides whether a path is accepted; the base accepts everything.
class TzrMatchBase {
  public:
    virtual ~TzrMatchBase() = default;
    virtual bool IsMatch(const std::string& Name, const std::string& Pattern);
};

// The process-wide matcher; none at load (then every file is accepted). Written only
// at start-up and shutdown, when no batch runs (see CreateBatchMatcher in zrMatch.h).
extern TzrMatchBase* BatchMatcher;

// While on, files whose names begin with "~$" (word processors' owner files) are
// never added by the search. Off at load; start-up switches it on.
extern std::atomic<bool> SkipOwnerFiles;

// Attribute masks of the search.
constexpr std::uint32_t kAttrAllFiles = 0x1EF;      // every attribute but directory
constexpr std::uint32_t kAttrVisibleFiles = 0x1ED;  // ... and but hidden
constexpr std::uint32_t kAttrSubFolders = 0x10;     // directory

class TzrBatch {
  public:
    using TaskList = std::vector<std::unique_ptr<TzrNode>>;

    // Empty and not started; the search thread runs only after Prepare.
    TzrBatch();
    // Stops the search thread and waits for it, then frees the tasks. The owner frees
    // the batch only after every worker that uses it has ended.
    virtual ~TzrBatch();
    TzrBatch(const TzrBatch&) = delete;
    TzrBatch& operator=(const TzrBatch&) = delete;

    // --- task list ------------------------------------------------------------
    // Appends a task when the filter accepts the path, then fires OnTaskAdded on the
    // calling thread, outside the lock.
    void AddTask(const std::string& FileName);
    // The next task not yet handed out; waits while the list may still grow. Returns
    // nullptr once the list is finished and exhausted (and then sets AllTaken).
    TzrNode* TakeNext();
    std::int32_t Count() const;
    bool AllTaken() const { return FAllTaken.load(); }
    // True once no more tasks will be added (search over, or files given one by one).
    bool Finished() const { return FFinished.load(); }
    void AddError(const std::string& Text);
    void AddSuccess();
    // Takes the lock and returns the list; every LockTasks needs its UnlockTasks.
    TaskList& LockTasks();
    void UnlockTasks();
    // Frees every task and resets the run state; ErrorTexts, the search settings and
    // OnTaskAdded stay.
    void Clear();

    std::int32_t SuccessCount() const;
    std::int32_t ErrorCount() const;
    // Distinct error texts (letter case ignored), in order of first occurrence.
    std::vector<std::string> ErrorTexts() const;

    // Assigned by the owner before the batch is used.
    TzrNodeEvent OnTaskAdded;

    // --- source search -----------------------------------------------------------
    // Normalises source and target, creates the target folder when missing (an empty
    // target raises "Unable to create directory"), splits the source into folder and
    // mask, and starts the search thread. Called at most once.
    void Prepare(const std::string& Source, const std::string& Target, bool Subdirs);
    // Adds one given file (accepted whatever the filters say) and marks the list finished.
    void AddFile(const std::string& FileName);
    // A "file:" URL becomes a local path; any other text is returned unchanged.
    static std::string NormalizeUrl(const std::string& Text);
    // Adds the matching files of Folder (empty or ending with "/"), then, with
    // Subdirs, those of its sub-folders, depth first; ends early on a stop request.
    void SearchFolder(const std::string& Folder, const std::string& Mask, bool Subdirs, std::uint32_t Attr);
    // The name filter: the mask as a wildcard and the extra expression "RegExt".
    bool Accepts(const std::string& FileName) const;
    TzrMatchBase* Matcher() const { return BatchMatcher; }

    // Asks the search to stop after the entry at hand; returns at once.
    void Terminate() { FTerminated.store(true); }
    bool Terminated() const { return FTerminated.load(); }
    // Waits until the search thread has ended (at once when it never started).
    void WaitFor();

    // Folder part of the source, with its trailing "/" (may be empty).
    std::string SourceFolder() const;
    // Target folder; the converter factory sets it again before the workers start.
    std::string TargetFolder() const;
    void SetTargetFolder(const std::string& Folder);
    std::string Mask() const;

  protected:
    // The search thread's body.
    virtual void Execute();

  private:
    mutable std::recursive_mutex FLock;
    TaskList FTasks;
    std::int32_t FNextIndex = 0;
    std::int32_t FSuccessCount = 0;
    std::int32_t FErrorCount = 0;
    std::vector<std::string> FErrorTexts;
    std::atomic<bool> FFinished{false};
    std::atomic<bool> FAllTaken{false};
    std::atomic<bool> FTerminated{false};

    std::string FSourceFolder;
    std::string FTargetFolder;
    std::string FMask;
    std::string FRegExt;
    bool FSubdirs = false;
    bool FSkipHidden = false;
    std::thread FThread;
    std::mutex FThreadLock;  // guards FThread between Prepare, WaitFor and the destructor
};

// The base of the worker threads: takes task after task from its batch and runs
// DoWork on each. A worker is created suspended and must be owned by a shared_ptr;
// Start runs it on a thread of its own, which keeps the worker alive until its loop
// and ThreadEnded have run and then releases it, so a worker frees itself when its
// owner holds no other reference.
class TzrWorkBase : public std::enable_shared_from_this<TzrWorkBase> {
  public:
    explicit TzrWorkBase(TzrBatch* Batch);
    virtual ~TzrWorkBase();
    TzrWorkBase(const TzrWorkBase&) = delete;
    TzrWorkBase& operator=(const TzrWorkBase&) = delete;

    // Resumes the suspended worker; later calls do nothing.
    void Start();
    // The stop request: the task in hand is finished, no new one is taken.
    void Terminate() { FTerminated.store(true); }
    bool Terminated() const { return FTerminated.load(); }
    bool Started() const { return FStarted.load(); }
    // True once the thread's loop and ThreadEnded have run.
    bool Ended() const { return FEnded.load(); }

  protected:
    // The loop: take a task, DoWork, record the message of an error it raises.
    virtual void Execute();
    virtual void DoWork() {}
    // Runs on the worker's thread after Execute, also after an error ended the thread.
    virtual void ThreadEnded() {}

    TzrBatch* const FBatch;  // not owned
    TzrNode* FNode = nullptr;

  private:
    void Run();

    std::atomic<bool> FStarted{false};
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FEnded{false};
};

// Waits until every worker thread started so far has ended. For the end of the
// process and for tests; the caller must make sure the workers can end.
void WaitForWorkerThreads();

}  // namespace vantile
