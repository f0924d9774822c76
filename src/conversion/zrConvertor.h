#pragma once
// The converter workers of a run: N workers chained behind a head, created,
// started, given their finish handler and stopped through the head; the per-task
// frame (convert, then report); target naming and the treatment of the source.
//
// Lifetime: every worker is owned by shared_ptrs. The workers of a chain know each
// other only through weak references, and the workers behind the head are kept by
// the head until they run; a started worker is kept by its own thread until the
// thread has ended. So TerminateAll can never reach a worker that has been freed,
// a worker that ended early never cuts the chain, and a worker frees itself unless
// the owner still holds it (the owner holds the head only). The chain is built and
// walked in loops, never recursively, so any "ThreadsCount" is safe for the stack.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "batch/zrBatch.h"
#include "project/zrEvents.h"

namespace vantile {

// Live workers; the console runner sets it to the head's FCount and waits for 0.
extern std::atomic<std::int32_t> ConvertorsAlive;

class TzrConvertor : public TzrWorkBase {
  public:
    // Builds the chain: with Count > 1 the next worker is created through the
    // project's converter class with Count - 1. All workers start suspended.
    TzrConvertor(TzrBatch* Batch, int Count, const TzrNodeEvent& OnTaskDone);
    ~TzrConvertor() override;

    // Sets the batch's target folder from Target (a "file:" URL becomes a path) and
    // creates "ThreadsCount" workers (at least 1) of the project's converter class.
    static std::shared_ptr<TzrConvertor> CreateConvertors(TzrBatch* Batch, const std::string& Target,
                                                          const TzrNodeEvent& OnTaskDone);

    // On the head: starts every worker, head first.
    void ResumeAll();
    // On the head: every worker of the chain gets the same finish handler. It runs
    // through the main-thread seam once per worker, as the worker ends.
    void SetOnFinish(const TzrEvent& Value);
    TzrEvent OnFinish() const;
    // On the head: asks every live worker to stop after its current task, tail first.
    // Returns without waiting; never raises.
    void TerminateAll();

    // Number of workers from this one to the tail.
    const std::int32_t FCount;

    // Converts one task; the base does nothing.
    virtual void ConvertTask(TzrBatch* Batch, TzrNode* Node);
    // Last hook on a computed target path; the base returns it unchanged.
    virtual std::string AdjustTarget(const std::string& Target);
    // Program file of the automation server; the base has none.
    virtual std::string GetAppPath();
    // Whether the open source carries macros; the base answers true.
    virtual bool IsMacroEnabled();

    // The target path of the task, its folder created; empty when the task is to be
    // skipped (then its Status is 1).
    std::string MakeTarget(TzrBatch* Batch, TzrNode* Node);
    // After a successful save: file times, deletion or renaming of the source, as the
    // project says. Never raises.
    void FinishTask(TzrBatch* Batch, TzrNode* Node, const std::string& Target);

    // The next worker of the chain while it lives.
    std::shared_ptr<TzrConvertor> Next() const;

  protected:
    void DoWork() override;
    // End of the worker's thread: the finish handler on the main thread, then the
    // live count. Subclasses release their servers first and then call this.
    void ThreadEnded() override;

    TzrNodeEvent FOnTaskDone;

  private:
    struct TzrChain;
    // The workers behind this one that are still alive, in chain order.
    std::vector<std::shared_ptr<TzrConvertor>> Following() const;

    // Shared by the workers of a chain: weak references by position (0 = head).
    std::shared_ptr<TzrChain> FChain;
    std::size_t FPosition = 0;
    // The head keeps the workers behind it until they run on their own threads.
    std::vector<std::shared_ptr<TzrConvertor>> FPending;
    mutable std::mutex FFinishLock;
    TzrEvent FOnFinish;
};

// Copies the access and modification times of Source onto Target (a birth time
// cannot be set here). Fails quietly.
void CopyFileTime(const std::string& Source, const std::string& Target);

}  // namespace vantile
