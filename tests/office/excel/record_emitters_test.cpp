#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "office/excel/biff8_records.h"
#include "office/excel/globals_writer.h"
#include "office/excel/record_stream.h"
#include "office/excel/sheet_writer.h"
#include "office/excel/sst_writer.h"

namespace vantile::office::excel {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes emitted(const std::function<void(RecordStream&)>& emit) {
    RecordStream out;
    emit(out);
    return out.bytes();
}

TEST(RecordEmitters, WriteTheExactBytes) {
    struct Case {
        const char* name;
        std::function<void(RecordStream&)> emit;
        Bytes bytes;
    };
    const std::vector<Case> cases = {
        {"BOF of a worksheet",
         [](RecordStream& o) { WriteBof(o, biff8::kBofWorksheet); },
         {0x09, 0x08, 16, 0, 0x00, 0x06, 0x10, 0x00, 0xBB, 0x0D, 0xCC, 0x07, 0, 0, 0, 0, 6, 0, 0, 0}},
        {"EOF", [](RecordStream& o) { WriteEof(o); }, {0x0A, 0x00, 0, 0}},
        {"LABELSST",
         [](RecordStream& o) { WriteLabelSst(o, 2, 3, 16, 0x01020304); },
         {0xFD, 0x00, 10, 0, 2, 0, 3, 0, 16, 0, 0x04, 0x03, 0x02, 0x01}},
        {"RK of an integer",
         [](RecordStream& o) { WriteNumberCell(o, 1, 0, -3); },
         {0x7E, 0x02, 10, 0, 1, 0, 0, 0, 15, 0, 0xF6, 0xFF, 0xFF, 0xFF}},
        {"NUMBER",
         [](RecordStream& o) { WriteNumberCell(o, 0, 1, 0.123); },
         {0x03, 0x02, 14, 0, 0, 0, 1, 0, 15, 0, 0xB0, 0x72, 0x68, 0x91, 0xED, 0x7C, 0xBF, 0x3F}},
        {"COLINFO",
         [](RecordStream& o) { WriteColInfo(o, 2, 4, 5302); },
         {0x7D, 0x00, 12, 0, 2, 0, 4, 0, 0xB6, 0x14, 15, 0, 2, 0, 0, 0}},
        {"DIMENSIONS",
         [](RecordStream& o) { WriteDimensions(o, 0, 30, 0, 6); },
         {0x00, 0x02, 14, 0, 0, 0, 0, 0, 30, 0, 0, 0, 0, 0, 6, 0, 0, 0}},
        {"ROW",
         [](RecordStream& o) { WriteRow(o, 7, 0, 6, 510); },
         {0x08, 0x02, 16, 0, 7, 0, 0, 0, 6, 0, 0xFE, 0x01, 0, 0, 0, 0, 0x00, 0x01, 15, 0}},
        {"WINDOW2 of the active sheet",
         [](RecordStream& o) { WriteWindow2(o, true, true); },
         {0x3E, 0x02, 18, 0, 0xB6, 0x06, 0, 0, 0, 0, 64, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"WINDOW2 of another sheet",
         [](RecordStream& o) { WriteWindow2(o, false, false); },
         {0x3E, 0x02, 18, 0, 0xB6, 0x00, 0, 0, 0, 0, 64, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"BOUNDSHEET with a Latin-1 name",
         [](RecordStream& o) { WriteBoundSheet(o, u"Bé"); },
         {0x85, 0x00, 10, 0, 0, 0, 0, 0, 0, 0, 2, 0, 'B', 0xE9}},
        {"BOUNDSHEET with a UTF-16 name",
         [](RecordStream& o) { WriteBoundSheet(o, u"€1"); },
         {0x85, 0x00, 12, 0, 0, 0, 0, 0, 0, 0, 2, 1, 0xAC, 0x20, '1', 0}},
        {"WINDOW1",
         [](RecordStream& o) { WriteWindow1(o, 2, 1); },
         {0x3D, 0x00, 18, 0, 0xE0, 0x01, 0x5A, 0x00, 0xCF, 0x3F, 0x4E,
          0x2A, 0x38, 0,  2, 0,    0,    0,    1,    0,    0x58, 0x02}},
        {"XF for wrapped text",
         [](RecordStream& o) { WriteXf(o, false, true); },
         {0xE0, 0x00, 20, 0, 0, 0, 0, 0, 0x01, 0x00, 0x28, 0, 0, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0x20}},
        {"FONT",
         [](RecordStream& o) { WriteFont(o, u"Arial", 200); },
         {0x31, 0x00, 21, 0, 200, 0, 0, 0,   0xFF, 0x7F, 0x90, 0x01, 0,
          0,    0,    0,  0, 0,   5, 0, 'A', 'r',  'i',  'a',  'l'}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(emitted(c.emit), c.bytes) << c.name;
}

TEST(RecordEmitters, RkFormsAreExactOrAbsent) {
    EXPECT_EQ(EncodeRk(0), 2u);
    EXPECT_EQ(EncodeRk(1), 6u);
    EXPECT_EQ(EncodeRk(536870911), 0x7FFFFFFEu);
    EXPECT_EQ(EncodeRk(-536870912), 0x80000002u);
    EXPECT_EQ(EncodeRk(1.25), 0x3FF40000u);  // a double with 34 zero low bits
    EXPECT_EQ(EncodeRk(0.5), 0x3FE00000u);
    EXPECT_EQ(EncodeRk(-0.07), (static_cast<std::uint32_t>(-7) << 2) | 3);  // -7 / 100
    EXPECT_EQ(EncodeRk(536870912), 0x41C00000u);  // a power of two has the short double form
    EXPECT_EQ(EncodeRk(536870913), std::nullopt);
    EXPECT_EQ(EncodeRk(0.1), (10u << 2) | 3);
    EXPECT_EQ(EncodeRk(0.123), std::nullopt);
    EXPECT_EQ(EncodeRk(1234567.123), std::nullopt);
    EXPECT_EQ(EncodeRk(123456789012345.0), std::nullopt);  // its hundredths have no short form either
}

TEST(RecordEmitters, ColumnWidthsIncludeThePaddingOfWholePixels) {
    EXPECT_EQ(ColumnWidthUnits(8.43), 2340);  // the application's default column
    EXPECT_EQ(ColumnWidthUnits(20), 5302);    // 145 pixels
    EXPECT_EQ(ColumnWidthUnits(1), 438);      // 12 pixels
    EXPECT_EQ(ColumnWidthUnits(0.5), 219);    // 6 pixels, no padding below one character
    EXPECT_EQ(ColumnWidthUnits(0), 0);
    EXPECT_EQ(ColumnWidthUnits(255), 65462);
    EXPECT_EQ(ColumnWidthUnits(1000), 65462);
}

// Splits the records of a stream: (type, data).
std::vector<std::pair<std::uint16_t, Bytes>> records(const Bytes& b) {
    std::vector<std::pair<std::uint16_t, Bytes>> out;
    for (std::size_t i = 0; i + 4 <= b.size();) {
        const std::uint16_t type = static_cast<std::uint16_t>(b[i] | (b[i + 1] << 8));
        const std::size_t size = b[i + 2] | (b[i + 3] << 8);
        out.push_back({type, Bytes(b.begin() + i + 4, b.begin() + i + 4 + size)});
        i += 4 + size;
    }
    return out;
}

TEST(SharedStrings, LongStringsContinueWithAFreshFlagsByteAndWholeCharacters) {
    // 8224 - 8 (counts) - 3 (string header) = 8213 bytes for the first part: an
    // odd number, so a UTF-16 string must stop one byte short of the limit.
    const std::u16string wide(5000, u'€');
    const std::u16string narrow(9000, u'n');
    SharedStrings strings;
    EXPECT_EQ(strings.add(wide), 0u);
    EXPECT_EQ(strings.add(narrow), 1u);
    EXPECT_EQ(strings.add(wide), 0u);
    RecordStream out;
    strings.write(out);
    const auto r = records(out.bytes());
    ASSERT_EQ(r.size(), 4u);  // SST, CONTINUE, CONTINUE, EXTSST
    EXPECT_EQ(r[0].first, biff8::kSst);
    EXPECT_EQ(r[0].second.size(), 8u + 3 + 2 * 4106);
    EXPECT_EQ(Bytes(r[0].second.begin(), r[0].second.begin() + 11),
              (Bytes{3, 0, 0, 0, 2, 0, 0, 0, 0x88, 0x13, 1}));
    EXPECT_EQ(r[1].first, biff8::kContinue);
    // Rest of the wide string behind its own flags byte, then the narrow one's start.
    EXPECT_EQ(r[1].second[0], 1);
    EXPECT_EQ(r[1].second[1], 0xAC);
    const std::size_t narrowAt = 1 + 2 * (5000 - 4106);
    EXPECT_EQ(Bytes(r[1].second.begin() + narrowAt, r[1].second.begin() + narrowAt + 3),
              (Bytes{0x28, 0x23, 0}));
    EXPECT_EQ(r[1].second.size(), 8224u);
    EXPECT_EQ(r[2].first, biff8::kContinue);
    EXPECT_EQ(r[2].second[0], 0);  // compressed characters go on
    EXPECT_EQ(r[2].second.size(), 1 + 9000 - (8224 - narrowAt - 3));
    EXPECT_EQ(r[3].first, biff8::kExtSst);
    // One bucket: 8 strings per bucket, the first at stream offset 12, 12 bytes into its record.
    EXPECT_EQ(r[3].second, (Bytes{8, 0, 12, 0, 0, 0, 12, 0, 0, 0}));
}

TEST(SharedStrings, AStringHeaderNeverEndsARecord) {
    // Fill the SST so that 2 bytes are left: the next string must start in a CONTINUE.
    const std::u16string filler(8224 - 8 - 3 - 2, u'a');
    SharedStrings strings;
    strings.add(filler);
    strings.add(u"bc");
    RecordStream out;
    strings.write(out);
    const auto r = records(out.bytes());
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].second.size(), 8224u - 2);
    EXPECT_EQ(r[1].first, biff8::kContinue);
    EXPECT_EQ(r[1].second, (Bytes{2, 0, 0, 'b', 'c'}));
}

TEST(SharedStrings, ExtSstPointsAtEveryBucketsFirstString) {
    std::vector<std::u16string> texts;
    for (int i = 0; i < 2000; ++i) {
        texts.emplace_back(100 + i % 300, static_cast<char16_t>(i % 2 ? u'a' + i % 26 : 0x400 + i % 32));
    }
    SharedStrings strings;
    for (const auto& t : texts)
        strings.add(t);
    RecordStream out;
    strings.write(out);
    const Bytes b = out.bytes();
    const auto r = records(b);
    ASSERT_GT(r.size(), 30u);  // many CONTINUE records
    const Bytes& ext = r.back().second;
    ASSERT_EQ(r.back().first, biff8::kExtSst);
    const std::size_t perBucket = ext[0] | (ext[1] << 8);
    EXPECT_EQ(perBucket, 2000u / 128 + 1);
    const std::size_t buckets = (ext.size() - 2) / 8;
    ASSERT_EQ(buckets, (2000 + perBucket - 1) / perBucket);
    for (std::size_t k = 0; k < buckets; ++k) {
        SCOPED_TRACE(k);
        const std::size_t at = ext[2 + 8 * k] | (ext[3 + 8 * k] << 8) | (ext[4 + 8 * k] << 16);
        const std::size_t offset = ext[6 + 8 * k] | (ext[7 + 8 * k] << 8);
        // The string's count and flags at that position...
        const std::u16string& first = texts[k * perBucket];
        EXPECT_EQ(b[at] | (b[at + 1] << 8), static_cast<int>(first.size()));
        EXPECT_EQ(b[at + 2], first[0] > 0xFF ? 1 : 0);
        // ...inside the SST or CONTINUE record that begins `offset` bytes earlier.
        const std::size_t recordAt = at - offset;
        const int type = b[recordAt] | (b[recordAt + 1] << 8);
        EXPECT_TRUE(type == biff8::kSst || type == biff8::kContinue) << type;
        EXPECT_LT(at, recordAt + 4 + (b[recordAt + 2] | (b[recordAt + 3] << 8)));
    }
}

}  // namespace
}  // namespace vantile::office::excel
