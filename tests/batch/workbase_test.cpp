#include <gtest/gtest.h>
#include <algorithm>
#include <atomic>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "batch/project_fixture.h"
#include "batch/zrBatch.h"

namespace vantile {
namespace {

// Records the tasks it handles; a task named "fail" raises, "stop" asks the worker
// to stop while it works.
class RecordingWorker : public TzrWorkBase {
  public:
    RecordingWorker(TzrBatch* batch, std::mutex& m, std::vector<int>& log)
        : TzrWorkBase(batch), m_(m), log_(log) {}
    ~RecordingWorker() override { ++destroyed; }
    static inline std::atomic<int> destroyed{0};

  protected:
    void DoWork() override {
        {
            std::lock_guard lock(m_);
            log_.push_back(FNode->Index);
        }
        const std::string name = FNode->FileName;
        if (name.ends_with("fail"))
            throw std::runtime_error("Cannot open file");
        if (name.ends_with("stop"))
            Terminate();
        FNode->Status = 1;
        FBatch->AddSuccess();
    }

  private:
    std::mutex& m_;
    std::vector<int>& log_;
};

class WorkBaseTest : public test::ProjectTest {
  protected:
    void TearDown() override {
        WaitForWorkerThreads();
        ProjectTest::TearDown();
    }
    std::mutex m_mutex;
    std::vector<int> m_log;
};

TEST_F(WorkBaseTest, OneWorkerHandlesTasksInOrderEndsAndFreesItself) {
    TzrBatch batch;
    for (const char* f : {"/in/a", "/in/b"})
        batch.AddTask(f);
    batch.AddFile("/in/c");
    const int before = RecordingWorker::destroyed;
    std::weak_ptr<TzrWorkBase> weak;
    {
        auto w = std::make_shared<RecordingWorker>(&batch, m_mutex, m_log);
        weak = w;
        EXPECT_FALSE(w->Started());
        w->Start();
    }
    WaitForWorkerThreads();
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(RecordingWorker::destroyed - before, 1);
    EXPECT_EQ(m_log, (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(batch.AllTaken());
    EXPECT_EQ(batch.SuccessCount(), 3);
}

TEST_F(WorkBaseTest, CreatedSuspendedDoesNotRun) {
    TzrBatch batch;
    batch.AddFile("/in/a");
    auto w = std::make_shared<RecordingWorker>(&batch, m_mutex, m_log);
    WaitForWorkerThreads();
    EXPECT_TRUE(m_log.empty());
    EXPECT_FALSE(w->Ended());
}

TEST_F(WorkBaseTest, SeveralWorkersHandleEveryTaskOnce) {
    TzrBatch batch;
    for (int i = 0; i < 60; ++i) {
        auto w = i < 3 ? std::make_shared<RecordingWorker>(&batch, m_mutex, m_log) : nullptr;
        if (w)
            w->Start();
        batch.AddTask("/in/" + std::to_string(i));
    }
    batch.AddFile("/in/last");
    WaitForWorkerThreads();
    std::sort(m_log.begin(), m_log.end());
    ASSERT_EQ(m_log.size(), 61u);
    for (int i = 0; i < 61; ++i)
        EXPECT_EQ(m_log[static_cast<std::size_t>(i)], i);
}

TEST_F(WorkBaseTest, ErrorLandsInTheTaskAndTheLoopGoesOn) {
    TzrBatch batch;
    batch.AddTask("/in/fail");
    batch.AddFile("/in/ok");
    std::make_shared<RecordingWorker>(&batch, m_mutex, m_log)->Start();
    WaitForWorkerThreads();
    auto& tasks = batch.LockTasks();
    EXPECT_EQ(tasks[0]->ResultText, "Cannot open file");
    EXPECT_EQ(tasks[0]->Status, 0);
    EXPECT_EQ(tasks[1]->Status, 1);
    batch.UnlockTasks();
    EXPECT_EQ(batch.SuccessCount(), 1);
    EXPECT_EQ(batch.ErrorCount(), 0);
}

TEST_F(WorkBaseTest, StopDuringWorkFinishesTheTaskAndTakesNoOther) {
    TzrBatch batch;
    batch.AddTask("/in/stop");
    batch.AddFile("/in/next");
    std::make_shared<RecordingWorker>(&batch, m_mutex, m_log)->Start();
    WaitForWorkerThreads();
    EXPECT_EQ(m_log, (std::vector<int>{0}));
    EXPECT_EQ(batch.SuccessCount(), 1);
    EXPECT_FALSE(batch.AllTaken());
    // A new worker on the same batch continues with the next untaken task.
    std::make_shared<RecordingWorker>(&batch, m_mutex, m_log)->Start();
    WaitForWorkerThreads();
    EXPECT_EQ(m_log, (std::vector<int>{0, 1}));
}

}  // namespace
}  // namespace vantile
