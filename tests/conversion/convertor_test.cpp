#include <gtest/gtest.h>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

#include "conversion/conversion_fixture.h"
#include "platform/main_thread.h"

namespace vantile {
namespace {

// Marks each task done; a task named "*hold" waits until the test releases it.
class CountingConvertor : public TzrConvertor {
  public:
    using TzrConvertor::TzrConvertor;
    static inline std::atomic<bool> release{true};
    static inline std::atomic<int> holding{0};
    void ConvertTask(TzrBatch* Batch, TzrNode* Node) override {
        if (Node->FileName.ends_with("hold")) {
            ++holding;
            while (!release)
                std::this_thread::yield();
        }
        Node->ResultText = "done";
        Node->Status = 1;
        Batch->AddSuccess();
    }
};

TzrConvertorClass countingClass() {
    return [](TzrBatch* b, int n, const TzrNodeEvent& h) -> std::shared_ptr<TzrConvertor> {
        return std::make_shared<CountingConvertor>(b, n, h);
    };
}

class ConvertorTest : public test::ConversionTest {
  protected:
    void SetUp() override {
        ConversionTest::SetUp();
        project().FConvertorClass = countingClass();
        CountingConvertor::release = true;
        CountingConvertor::holding = 0;
    }
    void TearDown() override {
        CountingConvertor::release = true;
        WaitForWorkerThreads();
        ConversionTest::TearDown();
    }
    std::vector<int> chainCounts(const std::shared_ptr<TzrConvertor>& head) {
        std::vector<int> out;
        for (auto w = head; w; w = w->Next())
            out.push_back(w->FCount);
        return out;
    }
};

TEST_F(ConvertorTest, ThreadsCountDecidesTheChain) {
    TzrBatch batch;
    const std::pair<const char*, std::vector<int>> cases[] = {
        {"", {1}}, {"many", {1}}, {"0", {1}}, {"-3", {1}}, {"4", {4, 3, 2, 1}}, {"$2", {2, 1}}};
    for (const auto& [value, counts] : cases) {
        set("ThreadsCount", value);
        auto head = TzrConvertor::CreateConvertors(&batch, "file:///tmp/out/", {});
        EXPECT_EQ(chainCounts(head), counts) << value;
    }
    EXPECT_EQ(batch.TargetFolder(), "/tmp/out/");
}

TEST_F(ConvertorTest, EveryWorkerFinishesOnceAndEveryTaskIsReportedOnce) {
    set("ThreadsCount", "4");
    TzrBatch batch;
    std::mutex m;
    std::vector<int> reported;
    auto head = TzrConvertor::CreateConvertors(&batch, m_out.str(), [&](TzrBatch* b, TzrNode* n) {
        EXPECT_EQ(b, &batch);
        EXPECT_EQ(n->Status, 1);
        std::lock_guard lock(m);
        reported.push_back(n->Index);
    });
    std::atomic<int> finished{0};
    head->SetOnFinish([&] { ++finished; });
    ConvertorsAlive = head->FCount;
    head->ResumeAll();
    for (int i = 0; i < 40; ++i)
        batch.AddTask("/in/" + std::to_string(i) + ".doc");
    batch.AddFile("/in/last.doc");
    WaitForWorkerThreads();
    EXPECT_EQ(finished.load(), 4);
    EXPECT_EQ(ConvertorsAlive.load(), 0);
    std::sort(reported.begin(), reported.end());
    ASSERT_EQ(reported.size(), 41u);
    for (int i = 0; i < 41; ++i)
        EXPECT_EQ(reported[static_cast<std::size_t>(i)], i);
    EXPECT_EQ(batch.SuccessCount(), 41);
}

TEST_F(ConvertorTest, EmptySearchEndsEveryWorkerWithoutReports) {
    set("ThreadsCount", "3");
    auto batch = preparedBatch();
    int reports = 0;
    auto head =
        TzrConvertor::CreateConvertors(batch.get(), m_out.str(), [&](TzrBatch*, TzrNode*) { ++reports; });
    std::atomic<int> finished{0};
    head->SetOnFinish([&] { ++finished; });
    head->ResumeAll();
    WaitForWorkerThreads();
    EXPECT_EQ(finished.load(), 3);
    EXPECT_EQ(reports, 0);
}

TEST_F(ConvertorTest, OnFinishRunsOnTheMainThreadWhileTheWorkerWaits) {
    // A minimal main loop: workers hand their call over and wait for it.
    std::mutex m;
    std::condition_variable cv;
    std::deque<std::packaged_task<void()>> queue;
    platform::ScopedMainThreadInvoker invoker([&](const platform::MainThreadCall& call) {
        std::packaged_task<void()> task(call);
        auto done = task.get_future();
        {
            std::lock_guard lock(m);
            queue.push_back(std::move(task));
        }
        cv.notify_one();
        done.get();
    });
    set("ThreadsCount", "2");
    TzrBatch batch;
    auto head = TzrConvertor::CreateConvertors(&batch, m_out.str(), {});
    const auto mainId = std::this_thread::get_id();
    int finished = 0;
    head->SetOnFinish([&] {
        EXPECT_EQ(std::this_thread::get_id(), mainId);
        ++finished;
    });
    ConvertorsAlive = head->FCount;
    head->ResumeAll();
    batch.AddFile("/in/a.doc");
    while (finished < 2) {
        std::unique_lock lock(m);
        cv.wait(lock, [&] { return !queue.empty(); });
        auto task = std::move(queue.front());
        queue.pop_front();
        lock.unlock();
        // The worker that handed this over is still alive: its count is not lowered yet.
        EXPECT_GT(ConvertorsAlive.load(), 1 - finished);
        task();
    }
    WaitForWorkerThreads();
    EXPECT_EQ(ConvertorsAlive.load(), 0);
}

TEST_F(ConvertorTest, PauseFinishesTheTasksInHandAndANewChainGoesOn) {
    set("ThreadsCount", "2");
    TzrBatch batch;
    CountingConvertor::release = false;
    batch.AddTask("/in/0hold");
    batch.AddTask("/in/1hold");
    for (int i = 2; i < 6; ++i)
        batch.AddTask("/in/" + std::to_string(i));
    batch.AddFile("/in/6");
    std::atomic<int> finished{0};
    auto head = TzrConvertor::CreateConvertors(&batch, m_out.str(), {});
    head->SetOnFinish([&] { ++finished; });
    head->ResumeAll();
    while (CountingConvertor::holding < 2)
        std::this_thread::yield();
    head->TerminateAll();
    for (auto w = head; w; w = w->Next())
        EXPECT_TRUE(w->Terminated());
    CountingConvertor::release = true;
    WaitForWorkerThreads();
    EXPECT_EQ(finished.load(), 2);
    EXPECT_EQ(batch.SuccessCount(), 2);
    EXPECT_FALSE(batch.AllTaken());

    head = TzrConvertor::CreateConvertors(&batch, m_out.str(), {});
    head->ResumeAll();
    WaitForWorkerThreads();
    EXPECT_EQ(batch.SuccessCount(), 7);
    EXPECT_TRUE(batch.AllTaken());
}

TEST_F(ConvertorTest, TerminateAllRacingWithEndingWorkersIsSafe) {
    set("ThreadsCount", "4");
    for (int round = 0; round < 30; ++round) {
        TzrBatch batch;
        for (int i = 0; i < round % 5; ++i)
            batch.AddTask("/in/" + std::to_string(i));
        batch.AddFile("/in/last");
        auto head = TzrConvertor::CreateConvertors(&batch, m_out.str(), {});
        std::atomic<int> finished{0};
        head->SetOnFinish([&] { ++finished; });
        head->ResumeAll();
        head->TerminateAll();
        head->TerminateAll();
        WaitForWorkerThreads();
        head->TerminateAll();  // after every worker has ended
        EXPECT_EQ(finished.load(), 4);
        int handled = 0;
        for (auto& n : batch.LockTasks())
            handled += n->Status == 1;
        batch.UnlockTasks();
        EXPECT_EQ(handled, batch.SuccessCount());
    }
}

TEST_F(ConvertorTest, WorkersFreeThemselvesExceptTheHeldHead) {
    set("ThreadsCount", "3");
    TzrBatch batch;
    batch.AddFile("/in/a");
    auto head = TzrConvertor::CreateConvertors(&batch, m_out.str(), {});
    std::weak_ptr<TzrConvertor> second = head->Next();
    head->ResumeAll();
    WaitForWorkerThreads();
    EXPECT_TRUE(second.expired());
    EXPECT_EQ(head->Next(), nullptr);
    EXPECT_TRUE(head->Ended());
}

TEST_F(ConvertorTest, HugeThreadsCountBuildsAndStopsTheChainWithoutRecursion) {
    set("ThreadsCount", "200000");
    TzrBatch batch;
    std::weak_ptr<TzrConvertor> tail;
    {
        auto head = TzrConvertor::CreateConvertors(&batch, m_out.str(), {});
        EXPECT_EQ(head->FCount, 200000);
        head->SetOnFinish([] {});
        head->TerminateAll();
        auto last = head->Next();
        EXPECT_EQ(last->FCount, 199999);
        EXPECT_TRUE(last->Terminated());
    }
}

TEST_F(ConvertorTest, AWorkerThatEndedEarlyDoesNotCutTheChain) {
    set("ThreadsCount", "3");
    TzrBatch batch;
    CountingConvertor::release = false;
    batch.AddTask("/in/0hold");
    batch.AddTask("/in/1hold");
    batch.AddTask("/in/2");
    auto head = TzrConvertor::CreateConvertors(&batch, m_out.str(), {});
    auto second = head->Next();
    auto third = second->Next();
    // Only the second worker runs at first, and it stops after its task.
    second->Terminate();
    std::weak_ptr<TzrConvertor> gone = second;
    head->ResumeAll();
    second.reset();
    while (CountingConvertor::holding < 2)
        std::this_thread::yield();
    CountingConvertor::release = true;
    while (!gone.expired())
        std::this_thread::yield();
    head->TerminateAll();
    EXPECT_TRUE(third->Terminated());
    third.reset();
    batch.AddFile("/in/3");
    WaitForWorkerThreads();
    EXPECT_GE(batch.SuccessCount(), 2);
}

TEST_F(ConvertorTest, ChainNeverStartedStartsNoWorkAndIsFreed) {
    set("ThreadsCount", "2");
    TzrBatch batch;
    batch.AddFile("/in/a");
    std::weak_ptr<TzrConvertor> second;
    {
        auto head = TzrConvertor::CreateConvertors(&batch, m_out.str(), {});
        second = head->Next();
        head->TerminateAll();
    }
    EXPECT_TRUE(second.expired());
    EXPECT_EQ(batch.TakeNext()->Index, 0);
}

}  // namespace
}  // namespace vantile
