#include "office/excel/cell_value.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace vantile::office::excel {
namespace {

struct NumberCase {
    const char* text;
    std::optional<double> number;
};

class PlainDecimal : public testing::TestWithParam<NumberCase> {};

TEST_P(PlainDecimal, BecomesANumberOnlyWhenTheNumberShowsTheSameText) {
    EXPECT_EQ(ParsePlainDecimal(GetParam().text), GetParam().number) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PlainDecimal,
    testing::Values(
        NumberCase{"0", 0.0}, NumberCase{"12", 12.0}, NumberCase{"-12", -12.0}, NumberCase{"3.25", 3.25},
        NumberCase{"0.5", 0.5}, NumberCase{"-0.001", -0.001},
        NumberCase{"123456789012345", 123456789012345.0},
        NumberCase{"0.000000123456789012345", 0.000000123456789012345},
        NumberCase{"12345678901234.5", 12345678901234.5},
        // Texts whose characters a number would not keep.
        NumberCase{"007", std::nullopt}, NumberCase{"00", std::nullopt}, NumberCase{"-0", std::nullopt},
        NumberCase{"1.50", std::nullopt}, NumberCase{"1.", std::nullopt}, NumberCase{".5", std::nullopt},
        NumberCase{"+1", std::nullopt}, NumberCase{" 1", std::nullopt}, NumberCase{"1 ", std::nullopt},
        NumberCase{"1e5", std::nullopt}, NumberCase{"1/2", std::nullopt}, NumberCase{"12%", std::nullopt},
        NumberCase{"1,000", std::nullopt}, NumberCase{"1234567890123456", std::nullopt},
        NumberCase{"12345678901234567890", std::nullopt}, NumberCase{"1.234567890123456", std::nullopt},
        NumberCase{"-", std::nullopt}, NumberCase{"", std::nullopt}, NumberCase{"0x10", std::nullopt},
        NumberCase{"inf", std::nullopt}, NumberCase{"١٢", std::nullopt}));

TEST(CellValueFromText, NumbersTextsAndEmptiness) {
    EXPECT_EQ(CellValueFromText("").kind, CellValue::Kind::Empty);
    const CellValue number = CellValueFromText("-42.5");
    EXPECT_EQ(number.kind, CellValue::Kind::Number);
    EXPECT_EQ(number.number, -42.5);
    const CellValue text = CellValueFromText("007");
    EXPECT_EQ(text.kind, CellValue::Kind::Text);
    EXPECT_EQ(text.text, u"007");
    EXPECT_FALSE(text.wrap);
    EXPECT_EQ(CellValueFromText("Grüße €").text, u"Grüße €");
    EXPECT_EQ(CellValueFromText("\xF0\x9F\x98\x80").text, u"\U0001F600");
    EXPECT_EQ(CellValueFromText("a\xFF"
                                "b")
                  .text,
              u"a\uFFFDb");  // invalid UTF-8 is marked, not dropped
}

TEST(CellValueFromText, LineBreaksBecomeLineFeedsAndWrap) {
    const CellValue v = CellValueFromText("a\r\nb\rc\vd\ne");
    EXPECT_EQ(v.text, u"a\nb\nc\nd\ne");
    EXPECT_TRUE(v.wrap);
    EXPECT_FALSE(CellValueFromText("a\tb").wrap);
}

TEST(CellValueFromText, LongTextsKeepTheirFirst32767Units) {
    const CellValue v = CellValueFromText(std::string(40000, 'x'));
    EXPECT_EQ(v.text, std::u16string(kMaxCellTextUnits, u'x'));
    // A surrogate pair across the limit is dropped whole.
    std::string paired(kMaxCellTextUnits - 1, 'y');
    paired += "\xF0\x9F\x98\x80";
    EXPECT_EQ(CellValueFromText(paired).text, std::u16string(kMaxCellTextUnits - 1, u'y'));
    // Breaks are counted after they are made single line feeds.
    std::string breaks;
    for (std::size_t i = 0; i < kMaxCellTextUnits; ++i)
        breaks += "\r\n";
    EXPECT_EQ(CellValueFromText(breaks).text.size(), kMaxCellTextUnits);
}

}  // namespace
}  // namespace vantile::office::excel
