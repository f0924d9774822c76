// Start-up: the product description, the run-mode choice and the program's end.

#include <gtest/gtest.h>

#include "batch/zrBatch.h"
#include "platform/files.h"
#include "platform/shell_open.h"
#include "project/zrProject.h"
#include "shell/zrApp.h"
#include "shell/zrInfo.h"
#include "shell/zrMain.h"
#include "shell/zrStartup.h"
#include "support/test_support.h"

namespace vantile {
namespace {

TEST(Startup, ProductDescription) {
    test::TempDir dir;
    TzrProject project(dir.str() + "vantile");
    TzrApp app(dir.str() + "vantile", "");
    const bool skipBefore = SkipOwnerFiles;
    WriteProductDescription(project, app);
    EXPECT_TRUE(project.FConvertorClass);
    EXPECT_EQ(project.FSourceMask, "*.doc?");
    EXPECT_EQ(project.FSourceFilter, "Word Document (*.doc;*.docx)|*.doc;*.docx");
    EXPECT_EQ(project.FTargetExt, ".xls");
    EXPECT_EQ(project.FShortName, "vantile");
    EXPECT_EQ(project.FProjectExt, ".batch-vantile");
    EXPECT_EQ(project.FProjectFilter, "Gridfall Project|*.batch-vantile");
    EXPECT_EQ(project.FTitle, "Gridfall Converter");
    EXPECT_EQ(app.Title, "Gridfall Converter");
    EXPECT_EQ(project.FVersion, "2018.10.1011.2557");
    EXPECT_EQ(project.FTargetExtAlt, "");
    EXPECT_EQ(project.FTargetExtMacro, "");
    EXPECT_TRUE(SkipOwnerFiles);
    SkipOwnerFiles = skipBefore;
}

TEST(Startup, OnlyTheFirstArgumentCounts) {
    const char* argv[] = {"vantile", "/a folder/my \"x\".batch-vantile", "-U"};
    const TzrApp app = TzrApp::FromArguments(3, argv);
    EXPECT_EQ(app.Param, "/a folder/my \"x\".batch-vantile");
    EXPECT_EQ(app.ExeName, platform::ExecutablePath());
    EXPECT_EQ(TzrApp::FromArguments(1, argv).Param, "");
}

TEST(Startup, RunModeChoice) {
    test::TempDir dir;
    TzrProject project(dir.str() + "vantile");
    const struct {
        const char* options;
        bool console;
    } cases[] = {
        {"PureConsole=1\nSource=/docs/*.doc?", true},
        {"PureConsole=true\nSource=HTTP://HOST/A.DOC", true},
        {"PureConsole=1\nSource=http://host/a.doc", false},
        {"PureConsole=1\nSource=/srv/http-files/*.doc", false},
        {"PureConsole=0\nSource=/docs/*.doc?", false},
        {"Source=/docs/*.doc?", false},
        {"PureConsole=on\nSource=/docs/*.doc?", false},
    };
    for (const auto& c : cases) {
        project.SetOptionsText(c.options);
        EXPECT_EQ(IsConsoleRun(project), c.console) << c.options;
    }
}

class RunProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_previousOpener = platform::SetShellOpener([this](const std::string& t) { opened.push_back(t); });
    }
    void TearDown() override { platform::SetShellOpener(std::move(m_previousOpener)); }
    int run(const std::string& param, const TzrWindowRun& window = {}) {
        return RunProgram(TzrApp(dir.str() + "vantile", param), window);
    }
    test::TempDir dir;
    std::vector<std::string> opened;

  private:
    platform::ShellOpener m_previousOpener;
};

TEST_F(RunProgramTest, UninstallSwitchOpensTheLinkEndsWithZeroAndFreesEverything) {
    testing::internal::CaptureStderr();
    bool windowStarted = false;
    EXPECT_EQ(run("/u", [&] { return windowStarted = true, 5; }), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(windowStarted);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].rfind("https://www.gridfall.example/net/?a=uni&p=vantile&v=2018.10.1011.2557&i=", 0),
              0u);
    EXPECT_EQ(App, nullptr);
    EXPECT_EQ(Info, nullptr);
    EXPECT_EQ(Project, nullptr);
    EXPECT_EQ(Runner, nullptr);
    EXPECT_EQ(BatchMatcher, nullptr);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "vantile.log"))
        << "the recent list is written at the end";
}

TEST_F(RunProgramTest, WindowRunGetsTheStartProject) {
    dir.write("vantile.batch-vantile", "Source=/docs/*.doc?\r\n");
    std::string seenSource, seenTitle;
    EXPECT_EQ(run("",
                  [&] {
                      seenSource = Project->Source();
                      seenTitle = App->Title;
                      return 3;
                  }),
              3);
    EXPECT_EQ(seenSource, "/docs/*.doc?");
    EXPECT_EQ(seenTitle, "Gridfall Converter");
}

TEST_F(RunProgramTest, WithoutAWindowAWindowRunSaysSoAndEndsWithTwo) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(run(""), 2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "vantile: this build has no window yet\n");
}

TEST_F(RunProgramTest, ConsoleRunWithoutTargetExplainsAndFails) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(run("-P:Source=a.doc;PureConsole=1"), 1);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("vantile: The project names no target folder"), std::string::npos) << err;
    EXPECT_EQ(Project, nullptr);
}

}  // namespace
}  // namespace vantile
