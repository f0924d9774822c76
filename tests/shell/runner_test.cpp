// The console runner: result lines, the failure report and the log file.

#include <gtest/gtest.h>

#include <thread>

#include "batch/zrBatch.h"
#include "conversion/zrConvertor.h"
#include "platform/shell_open.h"
#include "project/zrProject.h"
#include "shell/zrApp.h"
#include "shell/zrInfo.h"
#include "shell/zrMain.h"
#include "shell/zrStartup.h"
#include "support/test_support.h"

namespace vantile {
namespace {

// Converts nothing: a source whose name contains "bad" fails with the text after
// "bad" in its name, any other succeeds with a made-up target.
class ScriptedConvertor : public TzrConvertor {
  public:
    using TzrConvertor::TzrConvertor;
    void ConvertTask(TzrBatch* Batch, TzrNode* Node) override {
        const std::string name = Node->FileName.substr(Node->FileName.rfind('/') + 1);
        if (const auto bad = name.find("bad"); bad != std::string::npos) {
            Node->ResultText =
                name.find("?") != std::string::npos ? "Why? \"Locked\"" : "Not a Word document";
            Node->Status = 2;
            Batch->AddError(Node->ResultText);
        } else {
            Node->ResultText = "/out/" + name + ".xls";
            Node->Status = 1;
            Batch->AddSuccess();
        }
    }
};

class RunnerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_previousOpener = platform::SetShellOpener([this](const std::string& t) { opened.push_back(t); });
        TzrApp app(dir.str() + "vantile", "");
        WriteProductDescription(project, app);
        project.FConvertorClass = [](TzrBatch* b, int n, const TzrNodeEvent& e) {
            return std::make_shared<ScriptedConvertor>(b, n, e);
        };
        m_previous = {Project, Info};
        Project = &project;
        Info = &info;
    }
    void TearDown() override {
        Project = m_previous.first;
        Info = m_previous.second;
        platform::SetShellOpener(std::move(m_previousOpener));
    }
    std::vector<std::string> run(const std::string& options) {
        project.SetOptionsText(options);
        TzrMain runner;
        runner.Run();
        auto log = runner.Log();
        std::sort(log.begin(), log.end());  // finishing order varies between threads
        return log;
    }

    test::TempDir dir;
    TzrProject project{dir.str() + "vantile"};
    TzrInfo info{dir.str() + "vantile", 77};
    std::vector<std::string> opened;

  private:
    platform::ShellOpener m_previousOpener;
    std::pair<TzrProject*, TzrInfo*> m_previous;
};

TEST_F(RunnerTest, OneLinePerDocumentDistinctErrorsReportedOnceLogReplaced) {
    for (const char* name : {"a.doc", "bad1.docx", "bad2.doc", "c.docx", "skip.txt"})
        dir.write(std::string("in/") + name, "x");
    dir.write("log.txt", "old content that must go\r\n");
    const auto log = run("Source=" + dir.str() + "in/*.doc?\nTarget=" + dir.str() + "out\nThreadsCount=3\n" +
                         "LogFile=" + dir.str() + "log.txt\nDaemon=500");
    const std::string in = dir.str() + "in/";
    const std::vector<std::string> expected = {
        "Failure => " + in + "bad1.docx => Not a Word document",
        "Failure => " + in + "bad2.doc => Not a Word document",
        "Success => " + in + "a.doc => /out/a.doc.xls",
        "Success => " + in + "c.docx => /out/c.docx.xls",
    };
    EXPECT_EQ(log, expected);
    EXPECT_EQ(opened, std::vector<std::string>{"https://www.gridfall.example/net/?a=err&e=Not a Word "
                                               "document&p=vantile&v=2018.10.1011.2557&i=77"});
    const std::string written = test::readFile(dir.path() / "log.txt");
    EXPECT_EQ(written.size(), (expected[0] + expected[1] + expected[2] + expected[3]).size() + 8);
    EXPECT_EQ(written.substr(written.size() - 2), "\r\n");
    EXPECT_EQ(written.find("old content"), std::string::npos);
}

TEST_F(RunnerTest, ReportQuotesAndEscapesQuestionMarks) {
    dir.write("in/bad?.doc", "x");
    dir.write("in/bad.doc", "x");
    run("Source=" + dir.str() + "in/*.doc\nTarget=" + dir.str() + "out");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0],
              "https://www.gridfall.example/net/?a=err&e=Not a Word document,Why%3F "
              "Locked&p=vantile&v=2018.10.1011.2557&i=77");
}

TEST_F(RunnerTest, NothingFoundWritesAnEmptyLogAndNoReport) {
    const auto log = run("Source=" + dir.str() + "nothing/*.doc?\nTarget=" + dir.str() +
                         "out\nLogFile=" + dir.str() + "empty.log");
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(test::readFile(dir.path() / "empty.log"), "");
}

TEST_F(RunnerTest, AnEmptyTargetIsRefusedBeforeAnythingStarts) {
    project.SetOptionsText("Source=a.doc");
    TzrMain runner;
    EXPECT_THROW(runner.Run(), std::runtime_error);
    EXPECT_TRUE(opened.empty());
}

TEST_F(RunnerTest, AnUnwritableLogFileRaisesAfterTheReport) {
    dir.write("in/bad.doc", "x");
    dir.write("plain", "x");
    project.SetOptionsText("Source=" + dir.str() + "in/*.doc\nTarget=" + dir.str() +
                           "out\nLogFile=" + dir.str() + "plain/log.txt");
    TzrMain runner;
    EXPECT_THROW(runner.Run(), std::exception);
    EXPECT_EQ(opened.size(), 1u);
}

TEST(RunnerLines, StatusWordsAndCommaText) {
    TzrNode node("/d/a b.doc", 0);
    node.ResultText = "r";
    EXPECT_EQ(TzrMain::ResultLine(node), "Running => /d/a b.doc => r");
    node.Status = 1;
    EXPECT_EQ(TzrMain::ResultLine(node), "Success => /d/a b.doc => r");
    node.Status = 2;
    node.ResultText.clear();
    EXPECT_EQ(TzrMain::ResultLine(node), "Failure => /d/a b.doc => ");
    EXPECT_EQ(TzrMain::CommaText({}), "");
    EXPECT_EQ(TzrMain::CommaText({"plain", "a b", "x,y", "say \"hi\"", "tab\t", "", "ü"}),
              "plain,\"a b\",\"x,y\",\"say \"\"hi\"\"\",\"tab\t\",,ü");
}

TEST(RunnerLines, ConcurrentTaskReportsAreAllKept) {
    TzrMain runner;
    std::vector<std::unique_ptr<TzrNode>> nodes;
    for (int i = 0; i < 400; ++i)
        nodes.push_back(std::make_unique<TzrNode>("/f" + std::to_string(i), i));
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = t; i < 400; i += 4)
                runner.TaskDone(nullptr, nodes[static_cast<std::size_t>(i)].get());
        });
    for (auto& t : threads)
        t.join();
    auto log = runner.Log();
    ASSERT_EQ(log.size(), 400u);
    std::sort(log.begin(), log.end());
    EXPECT_EQ(std::unique(log.begin(), log.end()), log.end());
}

}  // namespace
}  // namespace vantile
