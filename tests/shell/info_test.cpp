// The addresses OpenLink opens, the installation stamp and the help file.

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/shell_open.h"
#include "project/zrProject.h"
#include "shell/zrApp.h"
#include "shell/zrInfo.h"
#include "shell/zrStartup.h"
#include "support/test_support.h"

namespace vantile {
namespace {

// Records what would have been opened, and puts a described project in place.
class InfoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_previousOpener = platform::SetShellOpener([this](const std::string& t) { opened.push_back(t); });
        TzrApp app(exe(), "");
        WriteProductDescription(project, app);
        m_previousProject = Project;
        Project = &project;
    }
    void TearDown() override {
        Project = m_previousProject;
        platform::SetShellOpener(std::move(m_previousOpener));
    }
    std::string exe() const { return dir.str() + "vantile"; }

    test::TempDir dir;
    TzrProject project{dir.str() + "vantile"};
    TzrInfo info{dir.str() + "vantile", 1234567};
    std::vector<std::string> opened;

  private:
    platform::ShellOpener m_previousOpener;
    TzrProject* m_previousProject = nullptr;
};

TEST_F(InfoTest, AddressesOfEveryTrigger) {
    const struct {
        const char* page;
        const char* action;
        const char* extra;
        const char* text;
    } cases[] = {
        {"", "", "", "https://www.gridfall.example?p=vantile&v=2018.10.1011.2557&i=1234567"},
        {"download", "", "",
         "https://www.gridfall.example/en/vantile/download.htm?p=vantile&v=2018.10.1011.2557&i=1234567"},
        {"supports", "", "",
         "mailto:support@gridfall.example?subject=Support required for Gridfall Converter 2018.10.1011.2557 "
         "- 1234567"},
        {"", "ins", "", "https://www.gridfall.example/net/?a=ins&p=vantile&v=2018.10.1011.2557&i=1234567"},
        {"", "ins", ":src=x,y;z",
         "https://www.gridfall.example/net/?a=ins&p=vantile&v=2018.10.1011.2557&i=1234567&:src=x,y;z"},
        {"", "uni", "", "https://www.gridfall.example/net/?a=uni&p=vantile&v=2018.10.1011.2557&i=1234567"},
        {"", "err&e=File \"a b\" not found", "",
         "https://www.gridfall.example/net/?a=err&e=File a b not "
         "found&p=vantile&v=2018.10.1011.2557&i=1234567"},
    };
    for (const auto& c : cases) {
        opened.clear();
        info.OpenLink(c.page, c.action, c.extra);
        EXPECT_EQ(opened, std::vector<std::string>{c.text}) << c.page << "|" << c.action;
    }
}

TEST_F(InfoTest, SupportSubjectReplacesTheFirstAmpersandAndShowsAMissingStamp) {
    project.FTitle = "Grid & Fall & Co";
    TzrInfo noStamp(exe(), -1);
    noStamp.OpenLink("supports", "", "");
    EXPECT_EQ(opened, std::vector<std::string>{"mailto:support@gridfall.example?subject=Support required for "
                                               "Grid And Fall & Co 2018.10.1011.2557 - -1"});
}

TEST_F(InfoTest, HelpPrefersChmThenPdfElseOpensNothing) {
    info.OpenLink("h", "", "");
    EXPECT_TRUE(opened.empty());
    dir.write("vantile.pdf", "%PDF");
    info.OpenLink("h", "", "");
    dir.write("vantile.chm", "ITSF");
    info.OpenLink("h", "", "");
    EXPECT_EQ(opened, (std::vector<std::string>{exe() + ".pdf", exe() + ".chm"}));
}

TEST_F(InfoTest, UnhandledErrorsGoToTheActionLink) {
    info.AppException(std::runtime_error("Disk \"D\" full"));
    info.AppException(std::make_exception_ptr(std::logic_error("x?y")));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(
        opened[0],
        "https://www.gridfall.example/net/?a=err&e=Disk D full&p=vantile&v=2018.10.1011.2557&i=1234567");
    EXPECT_EQ(opened[1].rfind("https://www.gridfall.example/net/?a=err&e=x?y&p=", 0), 0u);
}

TEST(FileUtils, PacksDosDateTimes) {
    EXPECT_EQ(TzrFileUtils::PackDosDateTime(1980, 1, 1, 0, 0, 0), (1 << 21 | 1 << 16));
    EXPECT_EQ(TzrFileUtils::PackDosDateTime(2018, 10, 11, 13, 45, 59),
              static_cast<std::int32_t>(38u << 25 | 10u << 21 | 11u << 16 | 13u << 11 | 45u << 5 | 29u));
    EXPECT_LT(TzrFileUtils::PackDosDateTime(2107, 12, 31, 23, 59, 58), 0);  // bit 31 set, still a stamp
    EXPECT_NE(TzrFileUtils::PackDosDateTime(2107, 12, 31, 23, 59, 58), -1);
    EXPECT_EQ(TzrFileUtils::PackDosDateTime(1979, 12, 31, 23, 59, 59), -1);
    EXPECT_EQ(TzrFileUtils::PackDosDateTime(2108, 1, 1, 0, 0, 0), -1);
}

TEST(FileUtils, StampOfAFolderFollowsItsTimes) {
    test::TempDir dir;
    EXPECT_EQ(TzrFileUtils::FileTimeStamp(dir.str() + "missing", true, false), -1);
    platform::FileTimes times{{1539265558, 0}, {1539265558, 0}, std::nullopt};  // 2018-10-11 13:45:58 UTC
    const std::string folder = dir.path().string();
    ASSERT_TRUE(platform::SetFileTimes(folder, times));
    EXPECT_EQ(TzrFileUtils::FileTimeStamp(folder, false, false),
              TzrFileUtils::PackDosDateTime(2018, 10, 11, 13, 45, 58));
    const auto birth = platform::GetFileTimes(folder)->birth;
    if (!birth)
        EXPECT_EQ(TzrFileUtils::FileTimeStamp(folder, true, false), -1);
    else
        EXPECT_NE(TzrFileUtils::FileTimeStamp(folder, true, false), -1);
    // The program folder's stamp is the one TzrInfo keeps.
    EXPECT_EQ(TzrInfo(folder + "/vantile").FInstallStamp, TzrFileUtils::FileTimeStamp(folder, true, false));
}

}  // namespace
}  // namespace vantile
