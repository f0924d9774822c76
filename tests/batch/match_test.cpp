#include <gtest/gtest.h>
#include <thread>

#include "batch/project_fixture.h"
#include "batch/zrMatch.h"

namespace vantile {
namespace {

TEST(WildcardToRegex, EscapesAndTranslates) {
    EXPECT_EQ(WildcardToRegex("*.doc?"), ".*\\.doc.?$");
    EXPECT_EQ(WildcardToRegex("a+b(1).doc"), "a\\+b\\(1\\)\\.doc$");
    EXPECT_EQ(WildcardToRegex(""), "$");
    EXPECT_EQ(WildcardToRegex("*.*"), ".*\\..*$");
    EXPECT_EQ(WildcardToRegex("^$[]{}|\\"), "\\^\\$\\[\\]\\{\\}|\\$");
}

TEST(Match, IsMatchIgnoresCaseAndAcceptsOnError) {
    TzrMatch m;
    const std::string mask = WildcardToRegex("*.doc?");
    EXPECT_TRUE(m.IsMatch("/docs/Report.DOCX", mask));
    EXPECT_TRUE(m.IsMatch("/docs/a.doc", mask));
    EXPECT_FALSE(m.IsMatch("/docs/a.docxx", mask));
    EXPECT_FALSE(m.IsMatch("/docs/a.pdf", mask));
    EXPECT_TRUE(m.IsMatch("/docs/a.pdf", "("));
    EXPECT_TRUE(m.IsMatch(std::string(40, 'a') + "!", "(a+)+$"));
    TzrMatchBase base;
    EXPECT_TRUE(base.IsMatch("/docs/a.pdf", "nothing"));
}

class AcceptsTest : public test::ProjectTest {
  protected:
    bool accepts(const std::string& regExt, const std::string& path) {
        set("RegExt", regExt);
        TzrBatch batch;
        batch.Prepare(m_dir.str() + "*.doc?", m_dir.str() + "out/", false);
        batch.WaitFor();
        return batch.Accepts(path);
    }
    test::TempDir m_dir;
};

TEST_F(AcceptsTest, MaskThenRegExtOnTheFullPath) {
    EXPECT_TRUE(accepts("invoice", "/docs/Invoice 12.doc"));
    EXPECT_FALSE(accepts("invoice", "/docs/bill.doc"));
    EXPECT_FALSE(accepts("invoice", "/docs/invoice.pdf"));
    EXPECT_TRUE(accepts("[", "/docs/bill.doc"));
    EXPECT_FALSE(accepts("[", "/docs/bill.pdf"));
    EXPECT_TRUE(accepts("^/docs/2018/", "/docs/2018/any.docx"));
}

TEST_F(AcceptsTest, NoMatcherAcceptsEverything) {
    ScopedBatchMatcher none(nullptr);
    EXPECT_TRUE(accepts("invoice", "/docs/bill.pdf"));
}

TEST(Match, ThreadsAgreeWithSequentialAnswers) {
    TzrMatch m;
    const std::vector<std::string> names = {"/a/x.doc", "/a/x.DOCX", "/a/x.pdf", "/b/y.docm", "/b/z.doc.bak"};
    const std::string pattern = WildcardToRegex("*.doc?");
    std::vector<bool> expected;
    for (const auto& n : names)
        expected.push_back(m.IsMatch(n, pattern));
    std::vector<std::thread> threads;
    std::atomic<int> mismatches{0};
    for (int t = 0; t < 3; ++t)
        threads.emplace_back([&] {
            for (int round = 0; round < 200; ++round)
                for (std::size_t i = 0; i < names.size(); ++i)
                    if (m.IsMatch(names[i], pattern) != expected[i])
                        ++mismatches;
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(expected, (std::vector<bool>{true, true, false, true, false}));
}

}  // namespace
}  // namespace vantile
