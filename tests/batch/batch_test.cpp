#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include <vector>

#include "batch/project_fixture.h"
#include "batch/zrBatch.h"

namespace vantile {
namespace {

using BatchTest = test::ProjectTest;

TEST_F(BatchTest, NewBatchIsEmpty) {
    TzrBatch batch;
    EXPECT_EQ(batch.Count(), 0);
    EXPECT_FALSE(batch.AllTaken());
    EXPECT_FALSE(batch.Finished());
    EXPECT_TRUE(batch.ErrorTexts().empty());
}

TEST_F(BatchTest, AddTaskIndexesInOrderAndFiresWithTheListedNode) {
    TzrBatch batch;
    std::vector<TzrNode*> fired;
    batch.OnTaskAdded = [&](TzrBatch* b, TzrNode* n) {
        EXPECT_EQ(b, &batch);
        fired.push_back(n);
    };
    for (const char* f : {"/in/a.doc", "/in/b b.docx", "/in/$(x)'\"ü;.doc"})
        batch.AddTask(f);
    auto& tasks = batch.LockTasks();
    ASSERT_EQ(tasks.size(), 3u);
    ASSERT_EQ(fired.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(tasks[i]->Index, static_cast<int>(i));
        EXPECT_EQ(tasks[i].get(), fired[i]);
        EXPECT_EQ(tasks[i]->Status, 0);
        EXPECT_EQ(tasks[i]->ResultText, "");
    }
    EXPECT_EQ(tasks[2]->FileName, "/in/$(x)'\"ü;.doc");
    batch.UnlockTasks();
}

TEST_F(BatchTest, RejectedPathAddsNothingAndFiresNothing) {
    TzrBatch batch;
    test::TempDir dir;
    dir.write("a.pdf", "x");
    batch.Prepare(dir.str() + "*.doc?", dir.str() + "out/", false);
    batch.WaitFor();
    int fired = 0;
    batch.OnTaskAdded = [&](TzrBatch*, TzrNode*) { ++fired; };
    batch.AddTask(dir.str() + "a.pdf");
    EXPECT_EQ(batch.Count(), 0);
    EXPECT_EQ(fired, 0);
}

TEST_F(BatchTest, TakeNextHandsOutInOrderThenNone) {
    TzrBatch batch;
    batch.AddTask("/in/a.doc");
    batch.AddFile("/in/b.doc");
    EXPECT_EQ(batch.TakeNext()->Index, 0);
    EXPECT_FALSE(batch.AllTaken());
    EXPECT_EQ(batch.TakeNext()->Index, 1);
    EXPECT_EQ(batch.TakeNext(), nullptr);
    EXPECT_TRUE(batch.AllTaken());
    EXPECT_EQ(batch.TakeNext(), nullptr);
}

TEST_F(BatchTest, TakeNextWaitsForATaskOrTheEnd) {
    TzrBatch batch;
    std::atomic<TzrNode*> got{nullptr};
    std::thread taker([&] { got = batch.TakeNext(); });
    batch.AddTask("/in/late.doc");
    taker.join();
    ASSERT_NE(got.load(), nullptr);
    EXPECT_EQ(got.load()->FileName, "/in/late.doc");

    std::thread ender([&] { got = batch.TakeNext(); });
    batch.AddFile("/in/last.doc");  // appended and finished at once: never lost
    ender.join();
    ASSERT_NE(got.load(), nullptr);
    EXPECT_EQ(got.load()->FileName, "/in/last.doc");
    EXPECT_EQ(batch.TakeNext(), nullptr);
}

TEST_F(BatchTest, TaskAppendedAsTheListFinishesIsNeverLost) {
    for (int round = 0; round < 100; ++round) {
        TzrBatch batch;
        std::vector<TzrNode*> taken;
        std::thread taker([&] {
            while (TzrNode* n = batch.TakeNext())
                taken.push_back(n);
        });
        batch.AddTask("/in/a.doc");
        batch.AddFile("/in/b.doc");
        taker.join();
        ASSERT_EQ(taken.size(), 2u) << "round " << round;
    }
}

TEST_F(BatchTest, ConcurrentTakersGetEveryTaskOnce) {
    TzrBatch batch;
    std::vector<std::atomic<int>> seen(300);
    std::vector<std::thread> takers;
    for (int t = 0; t < 4; ++t)
        takers.emplace_back([&] {
            while (TzrNode* n = batch.TakeNext())
                seen[static_cast<std::size_t>(n->Index)]++;
        });
    for (int i = 0; i < 299; ++i)
        batch.AddTask("/in/" + std::to_string(i) + ".doc");
    batch.AddFile("/in/last.doc");
    for (auto& t : takers)
        t.join();
    for (auto& s : seen)
        EXPECT_EQ(s.load(), 1);
}

TEST_F(BatchTest, ErrorsCountEveryReportAndKeepDistinctTexts) {
    TzrBatch batch;
    batch.AddError("Disk full");
    batch.AddError("disk FULL");
    batch.AddError("Locked");
    batch.AddSuccess();
    EXPECT_EQ(batch.ErrorCount(), 3);
    EXPECT_EQ(batch.SuccessCount(), 1);
    EXPECT_EQ(batch.ErrorTexts(), (std::vector<std::string>{"Disk full", "Locked"}));
}

TEST_F(BatchTest, ClearResetsTheRunButKeepsErrorTexts) {
    TzrBatch batch;
    batch.AddFile("/in/a.doc");
    batch.TakeNext();
    batch.TakeNext();
    batch.AddError("Locked");
    batch.AddSuccess();
    batch.Clear();
    EXPECT_EQ(batch.Count(), 0);
    EXPECT_EQ(batch.ErrorCount(), 0);
    EXPECT_EQ(batch.SuccessCount(), 0);
    EXPECT_FALSE(batch.AllTaken());
    EXPECT_FALSE(batch.Finished());
    EXPECT_EQ(batch.ErrorTexts(), (std::vector<std::string>{"Locked"}));
}

TEST_F(BatchTest, HandlerErrorKeepsTheTaskAndReachesTheCaller) {
    TzrBatch batch;
    batch.OnTaskAdded = [](TzrBatch*, TzrNode*) { throw std::runtime_error("row failed"); };
    EXPECT_THROW(batch.AddFile("/in/a.doc"), std::runtime_error);
    EXPECT_EQ(batch.Count(), 1);
    EXPECT_TRUE(batch.Finished());
}

}  // namespace
}  // namespace vantile
