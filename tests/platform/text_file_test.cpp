// Reading text files in their encodings and line ends, writing UTF-8 with CR LF.

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/text_file.h"
#include "support/test_support.h"

namespace vantile::platform {
namespace {

std::string Decode(const std::string& bytes) {
    return DecodeText(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

TEST(TextFile, Encodings) {
    const struct {
        std::string bytes;
        std::string text;
    } cases[] = {
        {"plain", "plain"},
        {"\xEF\xBB\xBF"
         "caf\xC3\xA9",
         "café"},
        {"caf\xC3\xA9", "café"},                           // valid UTF-8, no mark
        {"caf\xE9 \x80\x9F\x81", "café €Ÿ\xC2\x81"},       // Windows-1252
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                  // overlong: not UTF-8
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},  // encoded surrogate
        {std::string("\xFF\xFE"
                     "a\0\xE9\0\xAC\x20",
                     8),
         "aé€"},                                                               // UTF-16 LE
        {std::string("\xFE\xFF\0a\xD8\x3D\xDE\x00", 8), "a\xF0\x9F\x98\x80"},  // UTF-16 BE, pair
        {std::string("\xFF\xFE\x3D\xD8"
                     "a\0",
                     6),
         "\xEF\xBF\xBD"
         "a"},  // lone surrogate
        {std::string("\xFF\xFE"
                     "a\0b",
                     5),
         "a\xEF\xBF\xBD"},  // odd length
        {"\xEF\xBB\xBF"
         "a\xFF",
         "a\xEF\xBF\xBD"},  // broken after mark
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Decode(c.bytes), c.text) << testing::PrintToString(c.bytes);
}

TEST(TextFile, LineEnds) {
    using L = std::vector<std::string>;
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (L{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n"), (L{"a"}));
    EXPECT_EQ(SplitLines("a\r\n\r\n"), (L{"a", ""}));
    EXPECT_EQ(SplitLines("\n\r"), (L{"", ""}));
    EXPECT_EQ(SplitLines("\r\r\n"), (L{"", ""}));
    EXPECT_EQ(SplitLines(""), L{});
    EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(JoinLines({}), "");
}

TEST(TextFile, WriteThenReadRoundTrips) {
    test::TempDir dir;
    const std::string path = dir.str() + "ü b.txt";
    const std::vector<std::string> lines = {"Source=/d/ü/*.doc?", "", "x=1"};
    WriteTextLines(path, lines);
    EXPECT_EQ(test::readFile(path), "Source=/d/ü/*.doc?\r\n\r\nx=1\r\n");
    EXPECT_EQ(ReadTextLines(path), lines);
    WriteTextLines(path, {});
    EXPECT_EQ(test::readFile(path), "");
}

TEST(TextFile, ReadFailuresRaise) {
    test::TempDir dir;
    EXPECT_THROW(ReadTextLines(dir.str() + "missing"), FileError);
    dir.write("big", std::string(100, 'a'));
    EXPECT_THROW(ReadTextLines(dir.str() + "big", 99), FileError);
    EXPECT_THROW(WriteTextLines(dir.str() + "big/x", {"a"}), FileError);
}

}  // namespace
}  // namespace vantile::platform
