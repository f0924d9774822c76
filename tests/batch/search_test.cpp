#include <gtest/gtest.h>
#include <atomic>
#include <thread>

#include "batch/project_fixture.h"
#include "batch/zrBatch.h"

namespace vantile {
namespace {

class SearchTest : public test::ProjectTest {
  protected:
    // Runs a whole search and returns the found paths relative to the source folder.
    std::vector<std::string> search(const std::string& source, bool subdirs) {
        TzrBatch batch;
        batch.Prepare(source, m_out.str(), subdirs);
        batch.WaitFor();
        EXPECT_TRUE(batch.Finished());
        return found(batch);
    }
    std::vector<std::string> found(TzrBatch& batch) {
        std::vector<std::string> out;
        for (auto& n : batch.LockTasks())
            out.push_back(n->FileName.substr(m_in.str().size()));
        batch.UnlockTasks();
        return out;
    }
    void SetUp() override {
        ProjectTest::SetUp();
        for (const char* f :
             {"b.doc", "A.docx", "c.pdf", "a.docxx", ".hidden.doc", "~$owner.docx", "old/x.doc",
              "old/deep/y.docx", "empty/more/z.doc", ".secret/s.doc", "notes/readme.txt"})
            m_in.write(f, "x");
    }
    void TearDown() override {
        SkipOwnerFiles = false;
        ProjectTest::TearDown();
    }
    test::TempDir m_in, m_out;
};

using Paths = std::vector<std::string>;

TEST_F(SearchTest, FolderOnlyWithoutSubfolders) {
    EXPECT_EQ(search(m_in.str() + "*.doc?", false),
              (Paths{".hidden.doc", "A.docx", "b.doc", "~$owner.docx"}));
}

TEST_F(SearchTest, SubfoldersDepthFirstAfterTheFolder) {
    SkipOwnerFiles = true;
    EXPECT_EQ(search(m_in.str() + "*.doc?", true),
              (Paths{".hidden.doc", "A.docx", "b.doc", "empty/more/z.doc", "old/x.doc", "old/deep/y.docx"}));
}

TEST_F(SearchTest, SkipHiddenLeavesOutHiddenFiles) {
    for (const char* on : {"1", "True"}) {
        set("SkipHidden", on);
        EXPECT_EQ(search(m_in.str() + "*.doc", false), (Paths{"b.doc"})) << on;
    }
    set("SkipHidden", "nonsense");
    EXPECT_EQ(search(m_in.str() + "*.doc", false), (Paths{".hidden.doc", "b.doc"}));
}

TEST_F(SearchTest, RegExtNarrowsTheSearchAndMalformedAcceptsAll) {
    set("RegExt", "/old/");
    EXPECT_EQ(search(m_in.str() + "*.doc?", true), (Paths{"old/x.doc", "old/deep/y.docx"}));
    set("RegExt", "[");
    EXPECT_EQ(search(m_in.str() + "*.doc", false).size(), 2u);
}

TEST_F(SearchTest, OneNamedFileAndMissingFolder) {
    EXPECT_EQ(search(m_in.str() + "b.doc", false), (Paths{"b.doc"}));
    EXPECT_TRUE(search(m_in.str() + "absent/*.doc?", true).empty());
}

TEST_F(SearchTest, FileUrlSearchesThePath) {
    test::TempDir dir;
    dir.write("with blank ü/r.doc", "x");
    TzrBatch batch;
    batch.Prepare("file://" + dir.str() + "with%20blank%20%C3%BC/r.doc", "file://" + m_out.str(), false);
    batch.WaitFor();
    EXPECT_EQ(batch.SourceFolder(), dir.str() + "with blank ü/");
    EXPECT_EQ(batch.TargetFolder(), m_out.str());
    EXPECT_EQ(batch.Mask(), "r.doc");
    EXPECT_EQ(batch.Count(), 1);
}

TEST_F(SearchTest, PrepareCreatesTheTargetAndRefusesAnEmptyOne) {
    TzrBatch batch;
    batch.Prepare(m_in.str() + "*.doc", m_out.str() + "new/deeper/", false);
    batch.WaitFor();
    EXPECT_TRUE(std::filesystem::is_directory(m_out.path() / "new/deeper"));

    TzrBatch refused;
    try {
        refused.Prepare(m_in.str() + "*.doc", "", false);
        ADD_FAILURE() << "no error";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Unable to create directory");
    }
    EXPECT_EQ(refused.Count(), 0);
    EXPECT_FALSE(refused.Finished());
}

TEST_F(SearchTest, StopEndsTheSearchAfterTheEntryAtHand) {
    TzrBatch batch;
    batch.OnTaskAdded = [&](TzrBatch* b, TzrNode* n) {
        if (n->Index == 1)
            b->Terminate();
    };
    std::atomic<int> taken{0};
    std::thread worker([&] {
        while (batch.TakeNext())
            ++taken;
    });
    batch.Prepare(m_in.str() + "*", m_out.str(), true);
    worker.join();  // ends because the stopped search marks the list finished
    EXPECT_EQ(batch.Count(), 2);
    EXPECT_EQ(taken.load(), 2);
    EXPECT_TRUE(batch.AllTaken());
}

TEST_F(SearchTest, HandlerErrorEndsTheSearchButFinishesTheList) {
    TzrBatch batch;
    batch.OnTaskAdded = [](TzrBatch*, TzrNode*) { throw std::runtime_error("boom"); };
    batch.Prepare(m_in.str() + "*.doc?", m_out.str(), true);
    EXPECT_EQ(batch.TakeNext()->Index, 0);
    EXPECT_EQ(batch.TakeNext(), nullptr);
    EXPECT_EQ(batch.Count(), 1);
}

TEST_F(SearchTest, DestroyingAStillSearchingBatchStopsAndWaitsForIt) {
    std::atomic<int> added{0};
    std::atomic<bool> inHandler{false};
    auto batch = std::make_unique<TzrBatch>();
    TzrBatch* raw = batch.get();
    batch->OnTaskAdded = [&](TzrBatch*, TzrNode*) {
        ++added;
        inHandler = true;
        // Holds the search on its first entry until the destructor asks it to stop.
        while (!raw->Terminated())
            std::this_thread::yield();
    };
    batch->Prepare(m_in.str() + "*", m_out.str(), true);
    while (!inHandler)
        std::this_thread::yield();
    batch.reset();
    EXPECT_EQ(added.load(), 1);
}

TEST_F(SearchTest, GivenFilesAreAcceptedWhateverTheFilters) {
    set("RegExt", "nothing-matches-this");
    TzrBatch batch;
    batch.AddFile("/in/any.pdf");
    EXPECT_EQ(batch.Count(), 1);
    EXPECT_TRUE(batch.Finished());
}

struct UrlCase {
    const char* in;
    const char* out;
};

TEST(NormalizeUrl, FileUrlsBecomePathsOtherTextsStay) {
    const UrlCase cases[] = {
        {"file:///home/u/report.doc", "/home/u/report.doc"},
        {"file:/home/u/report.doc", "/home/u/report.doc"},
        {"file://localhost/home/u/a%20b.doc", "/home/u/a b.doc"},
        {"file:///home/u/100%25.doc", "/home/u/100%.doc"},
        {"file:///home/u/bad%zz.doc", "/home/u/bad%zz.doc"},
        {"FILE:///home/u/report.doc", "FILE:///home/u/report.doc"},
        {"/home/u/*.doc?", "/home/u/*.doc?"},
        {"http://example.com/a.doc", "http://example.com/a.doc"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TzrBatch::NormalizeUrl(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace vantile
