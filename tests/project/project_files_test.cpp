// Opening, saving and the recent list of project files, and the command line.

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <optional>

#include "fake_control.h"
#include "platform/files.h"
#include "platform/text_file.h"
#include "project/zrPickers.h"
#include "project/zrProject.h"
#include "support/test_support.h"

namespace vantile {
namespace {

// Answers each picker call with the next scripted choice (nullopt = cancel) and
// records what it was asked.
class ScriptedPickers : public TzrPickers {
  public:
    ScriptedPickers() { m_previous = InstallPickers(this); }
    ~ScriptedPickers() override { InstallPickers(m_previous); }

    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> asked;  // "filter|defExt|start"

    void SelectFolder(const std::string& start, std::string& result) override {
        result = start;
        if (auto a = next())
            result = *a;
    }
    bool SelectFiles(const std::string& filter, std::string& name, bool multi) override {
        asked.push_back(filter + "|" + (multi ? "multi" : "single") + "|" + name);
        return take(name);
    }
    bool SelectSaveFile(const std::string& filter, const std::string& defExt, std::string& name) override {
        asked.push_back(filter + "|" + defExt + "|" + name);
        return take(name);
    }

  private:
    std::optional<std::string> next() {
        if (answers.empty())
            return std::nullopt;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
    bool take(std::string& name) {
        auto a = next();
        if (!a)
            return false;
        name = *a;
        return true;
    }
    TzrPickers* m_previous;
};

class ProjectFilesTest : public ::testing::Test {
  protected:
    void SetUp() override { describe(project); }
    static void describe(TzrProject& p) {
        p.FShortName = "vantile";
        p.FProjectExt = ".batch-vantile";
        p.FProjectFilter = "Gridfall Project|*.batch-vantile";
        p.FSourceFilter = "Word Document (*.doc;*.docx)|*.doc;*.docx";
    }
    std::string exe() const { return dir.str() + "vantile"; }
    test::TempDir dir;
    std::optional<TzrProject> holder{std::in_place, dir.str() + "vantile"};
    TzrProject& project = *holder;
};

TEST_F(ProjectFilesTest, NamesBesideTheProgram) {
    EXPECT_EQ(project.RecentListFile(), exe() + ".log");
    EXPECT_EQ(project.DefaultProjectFile(), exe() + ".batch-vantile");
}

TEST_F(ProjectFilesTest, IsProjectFileComparesTheEndWithCase) {
    EXPECT_TRUE(project.IsProjectFile("/p/a.batch-vantile"));
    EXPECT_TRUE(project.IsProjectFile(".batch-vantile"));
    EXPECT_FALSE(project.IsProjectFile("/p/a.BATCH-VANTILE"));
    EXPECT_FALSE(project.IsProjectFile("/p/a.batch-vantile.bak"));
    EXPECT_FALSE(project.IsProjectFile("vantile"));
}

TEST_F(ProjectFilesTest, SaveAndOpenKeepTheLinesAndWriteCrLfWithoutMark) {
    const std::string file = dir.str() + "a b'$(x)\"ü.batch-vantile";
    dir.write("a b'$(x)\"ü.batch-vantile", "\xEF\xBB\xBFSource=/d/ü/*.doc?\n\nnote\rSubdir=True");
    project.FFileName = file;
    project.Open(true);
    EXPECT_EQ(project.OptionLines(),
              (std::vector<std::string>{"Source=/d/ü/*.doc?", "", "note", "Subdir=True"}));
    project.Save();
    EXPECT_EQ(test::readFile(file), "Source=/d/ü/*.doc?\r\n\r\nnote\r\nSubdir=True\r\n");
    project.SetOptionsText("Other=1");
    project.Open(true);
    EXPECT_EQ(project.OptionLines().size(), 4u);
    EXPECT_EQ(project.FRecent, std::vector<std::string>{file});
}

TEST_F(ProjectFilesTest, UnreadableProjectLeavesTheOptions) {
    project.SetOptionsText("Source=/keep/");
    project.FFileName = dir.str() + "missing.batch-vantile";
    project.Open(true);
    EXPECT_EQ(project.Source(), "/keep/");
    EXPECT_EQ(project.FFileName, dir.str() + "missing.batch-vantile");
    EXPECT_TRUE(project.FRecent.empty());
    std::filesystem::create_directory(dir.path() / "folder.batch-vantile");
    project.FFileName = dir.str() + "folder.batch-vantile";
    project.Open(true);
    EXPECT_EQ(project.Source(), "/keep/");
}

TEST_F(ProjectFilesTest, StartupWithoutArgumentUsesTheDefaultProject) {
    project.OpenStartup();
    EXPECT_EQ(project.FFileName, project.DefaultProjectFile());
    EXPECT_TRUE(project.OptionLines().empty());
    project.SetValue("Source", "/s/");
    project.Save();  // no picker: the default file is written directly
    EXPECT_EQ(test::readFile(project.DefaultProjectFile()), "Source=/s/\r\n");
}

TEST_F(ProjectFilesTest, OpeningADocumentMakesItTheSource) {
    ScriptedPickers pickers;
    pickers.answers = {std::string("/docs/my file.docx")};
    project.SetOptionsText("Target=");
    project.Open(false);
    ASSERT_EQ(pickers.asked.size(), 1u);
    EXPECT_EQ(pickers.asked[0],
              "Gridfall Project|*.batch-vantile|Word Document (*.doc;*.docx)|*.doc;*.docx|single|");
    EXPECT_EQ(project.FFileName, "");
    EXPECT_EQ(project.Source(), "/docs/my file.docx");
    EXPECT_EQ(project.Target(), "/docs/");
    // An existing target is kept; a cancelled picker changes nothing.
    pickers.answers = {std::string("/other/x.doc"), std::nullopt};
    project.Open(false);
    EXPECT_EQ(project.Source(), "/other/x.doc");
    EXPECT_EQ(project.Target(), "/docs/");
    const auto before = project.OptionLines();
    project.Open(false);
    EXPECT_EQ(project.OptionLines(), before);
}

TEST_F(ProjectFilesTest, OpeningADocumentReappliesCommandLineOptions) {
    ScriptedPickers pickers;
    project.FCmdOptions = "Source=/c/*.doc\r\nPureConsole=1";
    pickers.answers = {std::string("/docs/x.doc")};
    project.FFileName = "/was/here.batch-vantile";
    project.Open(false);
    EXPECT_EQ(project.FFileName, "");
    EXPECT_EQ(project.OptionLines(),
              (std::vector<std::string>{"Source=/c/*.doc", "PureConsole=1", "Target=/c/"}));
}

TEST_F(ProjectFilesTest, NewProjectEmptiesOptionsAndControls) {
    test::FakeControl source = test::FakeControl::Edit("eSource");
    test::FakeControl subdir = test::FakeControl::Check("cSubdir");
    project.RegisterControl(&source);
    project.RegisterControl(&subdir);
    project.SetOptionsText("Source=/a/\nSubdir=True");
    project.OptionsToControls();
    project.FFileName = "/p.batch-vantile";
    project.FCmdOptions = "A=1";
    project.NewProject();
    EXPECT_EQ(project.FFileName, "");
    EXPECT_TRUE(project.OptionLines().empty());
    EXPECT_EQ(source.text("Text"), "");
    EXPECT_EQ(subdir.ord("Checked"), 0);
    EXPECT_EQ(project.FCmdOptions, "A=1");
    project.UnregisterControl(&source);
    project.UnregisterControl(&subdir);
}

TEST_F(ProjectFilesTest, SaveAsAsksAndCommitWritesControlsFirst) {
    ScriptedPickers pickers;
    test::FakeControl target = test::FakeControl::Edit("eTarget");
    project.RegisterControl(&target);
    project.SetOptionsText("Target=/old/\nX=1");
    project.FFileName = "";
    pickers.answers = {std::nullopt};
    project.Save();  // no file name: Save As, cancelled
    EXPECT_EQ(project.FFileName, "");
    const std::string file = dir.str() + "p.batch-vantile";
    pickers.answers = {file};
    project.Save();
    EXPECT_EQ(pickers.asked.back(), "Gridfall Project|*.batch-vantile|.batch-vantile|");
    EXPECT_EQ(project.FFileName, file);
    EXPECT_EQ(test::readFile(file), "X=1\r\n");  // the empty target field removed Target
    project.Save();
    EXPECT_EQ(project.FRecent, std::vector<std::string>{file});
    project.UnregisterControl(&target);
}

TEST_F(ProjectFilesTest, FailedWriteRaisesAndChangesNothingElse) {
    dir.write("plain", "x");
    const std::string file = dir.str() + "plain/p.batch-vantile";  // inside a file: cannot be created
    project.FFileName = file;
    project.SetOptionsText("Source=/b/");
    EXPECT_THROW(project.Commit(true), platform::FileError);
    EXPECT_EQ(project.FFileName, file);
    EXPECT_TRUE(project.FRecent.empty());
    EXPECT_EQ(project.Source(), "/b/");
}

TEST_F(ProjectFilesTest, RecentListReadAtCreationWrittenAtTheEndWithoutDuplicates) {
    holder.reset();  // it would write its own list at the end
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("/a.batch-vantile\r\n/gone.batch-vantile\r\n"))
        utf16 += std::string{c, '\0'};
    dir.write("vantile.log", utf16);
    holder.emplace(exe());
    describe(*holder);
    EXPECT_EQ(holder->FRecent, (std::vector<std::string>{"/a.batch-vantile", "/gone.batch-vantile"}));
    holder->FFileName = "/A.BATCH-vantile";  // known, letter case ignored: keeps its place
    holder->AddRecent();
    holder->FFileName = "/new.batch-vantile";
    holder->AddRecent();
    holder.reset();
    EXPECT_EQ(test::readFile(dir.path() / "vantile.log"),
              "/new.batch-vantile\r\n/a.batch-vantile\r\n/gone.batch-vantile\r\n");
}

TEST_F(ProjectFilesTest, UnreadableRecentListIsNotOverwritten) {
    holder.reset();
    // Larger than any text file is read whole: reading fails (sparse, so cheap).
    const auto log = dir.write("vantile.log", "/a.batch-vantile\r\n");
    std::filesystem::resize_file(log, platform::MaxTextFileBytes + 1);
    holder.emplace(exe());
    EXPECT_TRUE(holder->FRecent.empty());
    holder->FFileName = "/b.batch-vantile";
    holder->AddRecent();
    holder.reset();
    EXPECT_EQ(std::filesystem::file_size(log), platform::MaxTextFileBytes + 1);
}

// --- command line ------------------------------------------------------------------

struct LinkRecord {
    std::vector<std::string> calls;
    TzrLinkOpener opener() {
        return [this](const std::string& p, const std::string& a, const std::string& e) {
            calls.push_back(p + "|" + a + "|" + e);
        };
    }
};

TEST_F(ProjectFilesTest, InstallAndUninstallSwitchesOpenTheLinkAndEnd) {
    const struct {
        const char* arg;
        const char* call;
    } cases[] = {{"-I", "|ins|"},
                 {"/i:a,b;c", "|ins|:a,b;c"},
                 {"-ifrom=setup", "|ins|from=setup"},
                 {"-U", "|uni|"},
                 {"/uanything", "|uni|"}};
    for (const auto& c : cases) {
        LinkRecord links;
        project.FOpenLink = links.opener();
        project.FFileName.clear();
        EXPECT_FALSE(project.ParseCommandLine(c.arg)) << c.arg;
        EXPECT_EQ(links.calls, std::vector<std::string>{c.call}) << c.arg;
        EXPECT_EQ(project.FFileName, "") << "the program ends before any project is opened";
    }
}

TEST_F(ProjectFilesTest, OptionSwitchSplitsAtCommasAndSemicolons) {
    const char* args[] = {"-P:Source=/d/*.doc?;Subdir=1;LogFile=/l.txt",
                          "/p:Source=/d/*.doc?,Subdir=1,LogFile=/l.txt",
                          "-pSource=/d/*.doc?,Subdir=1;LogFile=/l.txt"};
    for (const char* arg : args) {
        project.FCmdOptions.clear();
        EXPECT_TRUE(project.ParseCommandLine(arg));
        EXPECT_EQ(project.FCmdOptions, "Source=/d/*.doc?\r\nSubdir=1\r\nLogFile=/l.txt") << arg;
        EXPECT_EQ(project.OptionLines(),
                  (std::vector<std::string>{"Source=/d/*.doc?", "Subdir=1", "LogFile=/l.txt", "Target=/d/"}))
            << arg;
        EXPECT_EQ(project.FFileName, "");
    }
}

TEST_F(ProjectFilesTest, OnlyTheFirstColonIsDropped) {
    project.ParseCommandLine("-P::Source=/x/");
    EXPECT_EQ(project.OptionLines().front(), ":Source=/x/");
}

TEST_F(ProjectFilesTest, IgnoredArgumentsOpenTheDefaultProject) {
    dir.write("vantile.batch-vantile", "Source=/default/\r\n");
    for (const char* arg : {"", "-", "/", "x", "-Z", "/P", "-P:"}) {
        project.FFileName.clear();
        project.FCmdOptions.clear();
        project.SetOptionLines({});
        EXPECT_TRUE(project.ParseCommandLine(arg)) << arg;
        EXPECT_EQ(project.FFileName, project.DefaultProjectFile()) << arg;
        EXPECT_EQ(project.Source(), "/default/") << arg;
    }
}

TEST_F(ProjectFilesTest, PathArgumentOpensAProjectOrBecomesTheSource) {
    dir.write("my proj.batch-vantile", "Source=/p/\r\n");
    const std::string file = dir.str() + "my proj.batch-vantile";
    EXPECT_TRUE(project.ParseCommandLine(file));
    EXPECT_EQ(project.FFileName, file);
    EXPECT_EQ(project.Source(), "/p/");
    EXPECT_EQ(project.FRecent, std::vector<std::string>{file});

    holder.emplace(exe());
    describe(project);
    // An absolute path is a path, not a "/" switch, even when its first letter is one.
    std::filesystem::create_directory(dir.path() / "u");
    const std::string doc = dir.str() + "u/$(rm -rf x); `a` 'b' \"c\" ü.doc";
    EXPECT_TRUE(project.ParseCommandLine(doc));
    EXPECT_EQ(project.FFileName, "");
    EXPECT_EQ(project.Source(), doc);
    EXPECT_EQ(project.Target(), dir.str() + "u/");
    // The window's second start-up pass then opens the default project when there is one.
    dir.write("vantile.batch-vantile", "Source=/default/\r\n");
    project.OpenStartup();
    EXPECT_EQ(project.Source(), "/default/");
}

}  // namespace
}  // namespace vantile
