// The option list rules and the typed readings of option values.

#include <gtest/gtest.h>

#include <thread>

#include "platform/files.h"
#include "project/zrProject.h"
#include "support/test_support.h"

namespace vantile {
namespace {

class OptionsTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    TzrProject project{dir.str() + "bin/vantile"};
};

TEST_F(OptionsTest, LookupIgnoresCaseTakesFirstLineAndTrimsNothing) {
    project.SetOptionLines(
        {"junk line", "", "source=/a/*.doc?", "Source=/b/", "Subdir =True", "Target= /t/", "RegExt=a=b"});
    EXPECT_EQ(project.GetValue("SOURCE"), "/a/*.doc?");
    EXPECT_EQ(project.GetValue("Subdir"), "");  // the blank makes it another name
    EXPECT_EQ(project.GetValue("Subdir "), "True");
    EXPECT_EQ(project.GetValue("Target"), " /t/");
    EXPECT_EQ(project.GetValue("RegExt"), "a=b");
    EXPECT_EQ(project.GetValue("junk line"), "");
    EXPECT_EQ(project.GetValue(""), "");
}

TEST_F(OptionsTest, SetValueReplacesInPlaceAppendsAndRemovesFirstMatch) {
    project.SetOptionLines({"note", "SOURCE=/a/", "Target=/t/", "source=/b/"});
    project.SetValue("Source", "/c/");
    EXPECT_EQ(project.OptionLines(),
              (std::vector<std::string>{"note", "Source=/c/", "Target=/t/", "source=/b/"}));
    project.SetValue("Source", "");
    EXPECT_EQ(project.OptionLines(), (std::vector<std::string>{"note", "Target=/t/", "source=/b/"}));
    EXPECT_EQ(project.GetValue("Source"), "/b/");
    project.SetValue("LogFile", "/l.txt");
    EXPECT_EQ(project.OptionLines().back(), "LogFile=/l.txt");
    project.SetValue("Missing", "");
    EXPECT_EQ(project.OptionLines().size(), 4u);
}

TEST_F(OptionsTest, OptionsTextRoundTripsWithCrLf) {
    project.SetOptionsText("A=1\nB=2\r\n\r\nC=3\rD");
    EXPECT_EQ(project.OptionLines(), (std::vector<std::string>{"A=1", "B=2", "", "C=3", "D"}));
    EXPECT_EQ(project.OptionsText(), "A=1\r\nB=2\r\n\r\nC=3\r\nD\r\n");
}

TEST(OptionReading, WholeNumbers) {
    const struct {
        const char* text;
        int value;
    } cases[] = {{"12", 12},
                 {"  -7", -7},
                 {"+3", 3},
                 {"$1F", 31},
                 {"x10", 16},
                 {"X10", 16},
                 {"0x1f", 31},
                 {"0XFF", 255},
                 {"-$10", -16},
                 {"$FFFFFFFF", -1},
                 {"2147483647", 2147483647},
                 {"-2147483648", INT32_MIN},
                 {"12 ", 99},
                 {"", 99},
                 {"two", 99},
                 {"$", 99},
                 {"0x", 99},
                 {"1.5", 99},
                 {"2147483648", 99},
                 {"$100000000", 99},
                 {"- 1", 99},
                 {"0x-1", 99}};
    for (const auto& c : cases)
        EXPECT_EQ(TzrProject::ReadInt(c.text, 99), c.value) << '"' << c.text << '"';
}

TEST(OptionReading, Booleans) {
    const struct {
        const char* text;
        bool def;
        bool value;
    } cases[] = {{"0", true, false},    {"1", false, true},     {"-2", false, true},
                 {"$0", true, false},   {"0.5", false, true},   {"0.0", true, false},
                 {"TRUE", false, true}, {"false", true, false}, {"True ", false, false},
                 {"yes", false, false}, {"yes", true, true},    {"", true, true},
                 {"", false, false},    {"nan", false, false},  {"inf", true, true}};
    for (const auto& c : cases)
        EXPECT_EQ(TzrProject::ReadBool(c.text, c.def), c.value) << '"' << c.text << '"' << c.def;
}

TEST_F(OptionsTest, AccessorDefaults) {
    EXPECT_EQ(project.Source(), "");
    EXPECT_FALSE(project.Subdir());
    EXPECT_EQ(project.ThreadsCount(), 1);
    EXPECT_EQ(project.IsOverwrite(), omYes);
    EXPECT_TRUE(project.KeepTargetSubdirs());
    EXPECT_FALSE(project.MacroEnabled());
    EXPECT_FALSE(project.DeleteSource());
    EXPECT_EQ(project.RenameSource(), "");
    EXPECT_FALSE(project.KeepFileTime());
    EXPECT_FALSE(project.PureConsole());
    EXPECT_FALSE(project.RunAndClose());
    EXPECT_EQ(project.Daemon(), 0);
    project.FOverwriteDefault = false;
    EXPECT_EQ(project.IsOverwrite(), omNo);
}

TEST_F(OptionsTest, AccessorsReadTheirKeys) {
    project.SetOptionsText(
        "subdir=TRUE\nThreadsCount=four\nKeepTargetSubdirs=0\nMacroEnabled=1\nDeleteSource=true\n"
        "RenameSource=.done\nKeepFileTime=$1\nPureConsole=0\nDaemon=500\nRunAndClose=False");
    EXPECT_TRUE(project.Subdir());
    EXPECT_EQ(project.ThreadsCount(), 1);
    EXPECT_FALSE(project.KeepTargetSubdirs());
    EXPECT_TRUE(project.MacroEnabled());
    EXPECT_TRUE(project.DeleteSource());
    EXPECT_EQ(project.RenameSource(), ".done");
    EXPECT_TRUE(project.KeepFileTime());
    EXPECT_EQ(project.Daemon(), 500);
    EXPECT_TRUE(project.RunAndClose());
    project.SetValue("Daemon", "0");
    EXPECT_FALSE(project.RunAndClose());
    project.SetValue("PureConsole", "1");
    EXPECT_TRUE(project.RunAndClose());
    project.SetValue("ThreadsCount", "-3");
    EXPECT_EQ(project.ThreadsCount(), 1);
    project.SetValue("ThreadsCount", "$40");
    EXPECT_EQ(project.ThreadsCount(), 64);
}

TEST_F(OptionsTest, OverwriteModes) {
    const struct {
        const char* text;
        TzrOverwriteMode mode;
    } cases[] = {{"SKIP", omSkip}, {"skip", omSkip}, {"0", omNo},     {"false", omNo},
                 {"yes", omYes},   {"1", omYes},     {"skip ", omYes}};
    for (const auto& c : cases) {
        project.SetValue("IsOverwrite", c.text);
        EXPECT_EQ(project.IsOverwrite(), c.mode) << c.text;
    }
}

TEST_F(OptionsTest, TargetDirCreatesTheFolderAndAppendsOneDelimiter) {
    const std::string target = dir.str() + "out/deep";
    project.SetValue("Target", target);
    EXPECT_EQ(project.TargetDir(), target + "/");
    EXPECT_TRUE(platform::DirectoryExists(target));
    project.SetValue("Target", target + "/");
    EXPECT_EQ(project.TargetDir(), target + "/");
}

TEST_F(OptionsTest, TargetDirOfAnEmptyTargetStaysEmpty) {
    EXPECT_EQ(project.TargetDir(), "");
}

TEST_F(OptionsTest, TargetDirIgnoresAFolderThatCannotBeCreated) {
    dir.write("file", "x");
    project.SetValue("Target", dir.str() + "file/sub");
    EXPECT_EQ(project.TargetDir(), dir.str() + "file/sub/");
}

// Workers read options while the main thread rewrites the list (run under TSan).
TEST_F(OptionsTest, ReadsFromOtherThreadsWhileTheListChanges) {
    project.SetOptionsText("ThreadsCount=2\nSource=/a/");
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 2; ++t)
        readers.emplace_back([&] {
            while (!stop) {
                const int n = project.ThreadsCount();
                if (n != 2 && n != 3)
                    ++bad;
                if (project.Source() != "/a/")
                    ++bad;
            }
        });
    for (int i = 0; i < 2000; ++i) {
        project.SetValue("ThreadsCount", i % 2 ? "3" : "2");
        project.SetOptionsText(i % 2 ? "ThreadsCount=3\nSource=/a/" : "Source=/a/\nThreadsCount=2");
    }
    stop = true;
    for (auto& r : readers)
        r.join();
    EXPECT_EQ(bad, 0);
}

}  // namespace
}  // namespace vantile
