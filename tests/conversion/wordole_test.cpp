#include <gtest/gtest.h>
#include <sys/stat.h>
#include <algorithm>

#include "conversion/conversion_fixture.h"
#include "conversion/fake_office.h"

namespace vantile {
namespace {

using automation::Variant;

TEST(ParseVersion, NumbersAndTexts) {
    const std::pair<Variant, int> cases[] = {
        {Variant("16.0"), 16},
        {Variant("12.0"), 12},
        {Variant("9.0"), 9},
        {Variant("8.0"), 8},
        {Variant("11.0"), 11},
        {Variant(12.0), 12},
        {Variant(9), 9},
        {Variant(160), 16},
        {Variant("1.2.3"), 0},
        {Variant("abc"), 0},
        {Variant(""), 0},
        {Variant::null(), 0},
        {Variant("99999999999999999999"), 0},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(TzrWordOle::ParseVersion(value), expected) << test::describe(value);
}

class WordOleTest : public test::ConversionTest {
  protected:
    void SetUp() override {
        ConversionTest::SetUp();
        m_batch = preparedBatch();
        m_conv = std::make_shared<TzrVANTILE>(m_batch.get(), 1, TzrNodeEvent{});
        m_source = m_src.write("in put ü.doc", "doc").string();
    }
    void TearDown() override {
        m_conv->CloseDocument();
        m_conv->QuitServer();
        ConversionTest::TearDown();
    }
    std::string openCall() {
        for (const auto& line : m_office->log())
            if (line.rfind("Documents.Open(", 0) == 0)
                return line;
        return {};
    }
    std::shared_ptr<test::FakeOffice> m_office = std::make_shared<test::FakeOffice>();
    std::unique_ptr<TzrBatch> m_batch;
    std::shared_ptr<TzrVANTILE> m_conv;
    std::string m_source;
};

TEST_F(WordOleTest, OpenArgumentsFollowTheOptions) {
    test::FakeServers servers(m_office);
    const std::pair<std::pair<const char*, const char*>, std::string> cases[] = {
        {{"0", "0"}, ",missing,False)"},
        {{"0", "True"}, ",missing,True)"},
        {{"1", "0"}, ",missing,False,missing," + std::to_string(kDummyPassword) + ")"},
    };
    for (const auto& [options, tail] : cases) {
        set("SkipPassword", options.first);
        set("ReadOnly", options.second);
        m_conv->CloseDocument();
        const auto before = m_office->log().size();
        m_conv->OpenDocument(m_source);
        const auto log = m_office->log();
        std::string open;
        for (auto i = before; i < log.size(); ++i)
            if (log[i].rfind("Documents.Open(", 0) == 0)
                open = log[i];
        EXPECT_EQ(open, "Documents.Open(\"" + m_source + "\"" + tail);
    }
    EXPECT_GE(kDummyPassword, 10);
    EXPECT_LE(kDummyPassword, 99);
    EXPECT_EQ(m_office->wordInstances, 1);  // one server for every document of the worker
}

TEST_F(WordOleTest, ServerStartSequence) {
    test::FakeServers servers(m_office);
    set("AppVisible", "True");
    m_office->version = "12.0";
    m_conv->OpenDocument(m_source);
    EXPECT_EQ(m_conv->FServerVersion, 12);
    const auto log = m_office->log();
    const std::vector<std::string> start(log.begin(), log.begin() + 8);
    EXPECT_EQ(start, (std::vector<std::string>{"Word.Version", "Word.Visible=True", "Word.WindowState=2",
                                               "Word.DisplayAlerts=0", "Word.Documents", openCall(),
                                               "Word.Options", "Options.UpdateFieldsAtPrint=False"}));
    m_conv->CloseDocument();
    m_conv->QuitServer();
    const auto end = m_office->log();
    EXPECT_EQ(std::vector<std::string>(end.end() - 2, end.end()),
              (std::vector<std::string>{"Document.Close(False)", "Word.Quit(False)"}));
    EXPECT_TRUE(m_conv->FApp.isNull());
    EXPECT_TRUE(m_conv->FDoc.isNull());
}

TEST_F(WordOleTest, UnreadableVersionIsIgnoredFailingVisibilityFailsTheTaskOnly) {
    test::FakeServers servers(m_office);
    m_office->versionFails = true;
    m_office->visibleError = "Cannot show the window";
    set("AppVisible", "1");
    try {
        m_conv->OpenDocument(m_source);
        ADD_FAILURE() << "no error";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Cannot show the window");
    }
    EXPECT_EQ(m_conv->FServerVersion, 0);
    EXPECT_FALSE(m_conv->FApp.isNull());  // the server stays in use
    set("AppVisible", "0");
    m_conv->OpenDocument(m_source);
    EXPECT_FALSE(m_conv->FDoc.isNull());
    EXPECT_EQ(m_office->wordInstances, 1);
}

TEST_F(WordOleTest, FallsBackToWps) {
    test::FakeServers servers(m_office, "WPS.Application");
    m_conv->OpenDocument(m_source);
    EXPECT_EQ(m_office->wordInstances, 1);
    EXPECT_FALSE(m_conv->FDoc.isNull());
}

TEST_F(WordOleTest, NoWordProcessorFailsWithTheFallbackError) {
    test::FakeServers servers(m_office, "");
    try {
        m_conv->OpenDocument(m_source);
        ADD_FAILURE() << "no error";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Class not registered, ProgID: \"WPS.Application\"");
    }
}

TEST_F(WordOleTest, SourceThatIsNoRegularFileFailsNamingIt) {
    test::FakeServers servers(m_office);
    const std::string folder = m_src.str() + "folder.doc";
    const std::string fifo = m_src.str() + "pipe.doc";
    std::filesystem::create_directory(folder);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {m_src.str() + "gone.doc", folder, fifo}) {
        try {
            m_conv->OpenDocument(path);
            ADD_FAILURE() << "no error for " << path;
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
    }
    for (const auto& line : m_office->log())
        EXPECT_EQ(line.rfind("Documents.", 0), std::string::npos) << line;
    EXPECT_TRUE(m_conv->FDoc.isNull());
}

TEST_F(WordOleTest, MacroTestNeedsVersion12) {
    test::FakeServers servers(m_office);
    m_office->version = "11.0";
    m_conv->OpenDocument(m_source);
    EXPECT_TRUE(m_conv->IsMacroEnabled());  // too old to ask
    m_conv->FServerVersion = 16;
    EXPECT_TRUE(m_conv->IsMacroEnabled());  // the fake document cannot answer: assume macros
}

}  // namespace
}  // namespace vantile
