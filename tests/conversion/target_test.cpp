#include <gtest/gtest.h>
#include <sys/stat.h>
#include <filesystem>

#include "conversion/conversion_fixture.h"
#include "platform/files.h"

namespace vantile {
namespace {

namespace fs = std::filesystem;

class TargetTest : public test::ConversionTest {
  protected:
    void SetUp() override {
        ConversionTest::SetUp();
        m_batch = preparedBatch();
        m_conv = std::make_shared<TzrConvertor>(m_batch.get(), 1, TzrNodeEvent{});
    }
    std::string target(const std::string& relativeSource) {
        TzrNode node(m_src.str() + relativeSource, 0);
        return m_conv->MakeTarget(m_batch.get(), &node);
    }
    std::unique_ptr<TzrBatch> m_batch;
    std::shared_ptr<TzrConvertor> m_conv;
};

TEST_F(TargetTest, KeptSubfoldersAreCreatedBelowTheTarget) {
    EXPECT_EQ(target("a/b/rep.doc"), m_out.str() + "a/b/rep.xls");
    EXPECT_TRUE(fs::is_directory(m_out.path() / "a/b"));
    set("KeepTargetSubdirs", "False");
    EXPECT_EQ(target("a/b/rep.doc"), m_out.str() + "rep.xls");
}

TEST_F(TargetTest, ExtensionAndForeignDelimiters) {
    EXPECT_EQ(target("rep.docx"), m_out.str() + "rep.xls");
    EXPECT_EQ(target("noext"), m_out.str() + "noext.xls");
    EXPECT_EQ(target("r.e.p.doc"), m_out.str() + "r.e.p.xls");
    EXPECT_EQ(target("a:b\\c.doc"), m_out.str() + "a_b_c.xls");
    EXPECT_EQ(target("blank 'quote\" ü $(x);.doc"), m_out.str() + "blank 'quote\" ü $(x);.xls");
}

TEST_F(TargetTest, GivenFileOutsideTheSourceFolderKeepsItsName) {
    TzrNode node("/elsewhere/given.doc", 0);
    EXPECT_EQ(m_conv->MakeTarget(m_batch.get(), &node), m_out.str() + "given.xls");
}

TEST_F(TargetTest, ExistingTargetFollowsTheOverwritePolicy) {
    m_out.write("rep.xls", "old");
    EXPECT_EQ(target("rep.doc"), m_out.str() + "rep.xls");  // absent: overwrite
    set("IsOverwrite", "false");
    EXPECT_EQ(target("rep.doc"), m_out.str() + "-vantile-rep.xls");
    set("IsOverwrite", "SKIP");
    TzrNode node(m_src.str() + "rep.doc", 0);
    EXPECT_EQ(m_conv->MakeTarget(m_batch.get(), &node), "");
    EXPECT_EQ(node.Status, 1);
    EXPECT_EQ(node.ResultText, "");
    EXPECT_EQ(m_batch->ErrorCount(), 0);
    EXPECT_EQ(test::readFile(m_out.path() / "rep.xls"), "old");
}

TEST_F(TargetTest, FolderThatCannotBeCreatedIsReported) {
    m_out.write("blocker", "a file");
    EXPECT_EQ(target("blocker/x/rep.doc"), m_out.str() + "blocker/x/rep.xls");
    EXPECT_EQ(m_batch->ErrorTexts(),
              (std::vector<std::string>{"CreateDir Failed: " + m_out.str() + "blocker/x/"}));
}

TEST_F(TargetTest, FinishTaskTreatsTheSourceAsConfigured) {
    const auto src = m_src.write("rep.doc", "source").string();
    const auto out = m_out.write("rep.xls", "result").string();
    TzrNode node(src, 0);
    m_conv->FinishTask(m_batch.get(), &node, out);
    EXPECT_TRUE(fs::exists(src));  // nothing asked

    set("RenameSource", ".done");
    m_conv->FinishTask(m_batch.get(), &node, out);
    EXPECT_FALSE(fs::exists(src));
    EXPECT_EQ(test::readFile(src + ".done"), "source");

    // The rename never replaces an existing file.
    m_src.write("rep.doc", "second");
    m_conv->FinishTask(m_batch.get(), &node, out);
    EXPECT_EQ(test::readFile(src), "second");
    EXPECT_EQ(test::readFile(src + ".done"), "source");

    // Deleting comes first; the rename then finds nothing.
    set("DeleteSource", "1");
    m_conv->FinishTask(m_batch.get(), &node, out);
    EXPECT_FALSE(fs::exists(src));
    EXPECT_EQ(test::readFile(src + ".done"), "source");
}

TEST_F(TargetTest, KeepFileTimeCopiesAccessAndModificationTimes) {
    const auto src = m_src.write("rep.doc", "source").string();
    const auto out = m_out.write("rep.xls", "result").string();
    platform::FileTimes old{};
    old.access = {1000000000, 5};
    old.modification = {1100000000, 7};
    ASSERT_TRUE(platform::SetFileTimes(src, old));
    TzrNode node(src, 0);
    m_conv->FinishTask(m_batch.get(), &node, out);
    EXPECT_NE(platform::GetFileTimes(out)->modification, old.modification);
    set("KeepFileTime", "True");
    m_conv->FinishTask(m_batch.get(), &node, out);
    const auto times = platform::GetFileTimes(out);
    ASSERT_TRUE(times);
    EXPECT_EQ(times->access, old.access);
    EXPECT_EQ(times->modification, old.modification);
    CopyFileTime(m_src.str() + "absent.doc", out);  // fails quietly
}

}  // namespace
}  // namespace vantile
