#include "platform/regex.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace vantile::platform {
namespace {

struct TestCase {
    const char* pattern;
    unsigned options;
    const char* text;
    bool match;
};

TEST(Regex, SearchSemanticsAndCaseOption) {
    const TestCase cases[] = {
        {"invoice", reIgnoreCase, "/docs/Invoice 12.doc", true},
        {"invoice", 0, "/docs/Invoice 12.doc", false},
        {".*\\.doc.?$", reIgnoreCase, "/docs/Report.DOCX", true},
        {".*\\.doc.?$", reIgnoreCase, "/docs/a.docxx", false},
        {"^/docs", 0, "/x/docs/a.doc", false},
        {"a$", 0, "a\n", false},            // "$" only at the very end
        {"a$", reMultiline, "a\nb", true},  // ... unless multi-line
        {"(old|new)/", 0, "/in/new/a.doc", true},
        {"\\d{2}", 0, "a12", true},
        {"ÄRGER", reIgnoreCase, "/ärger.doc", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RegexTest(c.pattern, c.options, c.text), c.match) << c.pattern << " on " << c.text;
    }
}

TEST(Regex, MalformedPatternRaisesWithReadableText) {
    for (const char* bad : {"[", "(abc", "*a", "a{2,1}", "[z-a]", "a\\"}) {
        try {
            RegexTest(bad, reIgnoreCase, "abc");
            ADD_FAILURE() << "no error for " << bad;
        } catch (const ERegexException& e) {
            EXPECT_STRNE(e.what(), "") << bad;
        }
    }
    try {
        RegexTest("[", 0, "");
        ADD_FAILURE() << "no error";
    } catch (const ERegexException& e) {
        EXPECT_STREQ(e.what(), "Expected ']' in regular expression");
    }
}

TEST(Regex, RunawayMatchIsBoundedAndRaises) {
    const std::string text = std::string(40, 'a') + "!";
    EXPECT_THROW(RegexTest("(a+)+$", 0, text), ERegexException);
}

TEST(Regex, InvalidUtf8TextDoesNotRaise) {
    EXPECT_TRUE(RegexTest("doc", 0, std::string("/\xff\xfe/a.doc")));
}

TEST(Regex, ReplaceFirstMatchOnly) {
    EXPECT_EQ(RegexReplace("^file:/*", 0, "file:///home/a.doc", ""), "home/a.doc");
    EXPECT_EQ(RegexReplace("^file:/*", 0, "FILE:///home/a.doc", ""), "FILE:///home/a.doc");
    EXPECT_EQ(RegexReplace("o", 0, "foo", "0"), "f0o");
    EXPECT_EQ(RegexReplace("(\\w+)@(\\w+)", 0, "x a@b y", "$2@$1 [$&] $$"), "x b@a [a@b] $ y");
    EXPECT_EQ(RegexReplace("b", 0, "abc", "[$`|$']"), "a[a|c]c");
    EXPECT_EQ(RegexReplace("z", 0, "abc", "q"), "abc");
}

TEST(Regex, ThreadsGiveTheSameAnswers) {
    std::vector<std::thread> threads;
    std::vector<int> hits(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t, &hits] {
            for (int i = 0; i < 500; ++i)
                hits[static_cast<std::size_t>(t)] += RegexTest("n" + std::to_string(i % 7) + "$",
                                                               reIgnoreCase, "/a/N" + std::to_string(i % 7));
        });
    for (auto& th : threads)
        th.join();
    for (int h : hits)
        EXPECT_EQ(h, 500);
}

}  // namespace
}  // namespace vantile::platform
