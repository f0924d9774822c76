// The format dispatch recognises Word binary documents by content and gives
// look-alike inputs a message that says what they are.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "office/container/cfb_writer.h"
#include "office/word/doc_test_file.h"
#include "office/word/word_reader.h"

namespace vantile::office::word {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes text(const std::string& s) {
    return {s.begin(), s.end()};
}

Bytes compound(const std::vector<std::u16string>& names) {
    const Bytes content(100, 0x41);
    std::vector<container::CompoundFileStream> streams;
    for (const auto& n : names)
        streams.push_back({n, content});
    return container::WriteCompoundFile(streams);
}

struct LookAlike {
    const char* name;
    Bytes bytes;
    const char* message;
};

class WordReaderDispatch : public testing::TestWithParam<LookAlike> {};

TEST_P(WordReaderDispatch, NamesWhatTheInputIs) {
    try {
        ReadWordDocument(GetParam().bytes, "in/file.doc");
        FAIL() << "read a look-alike";
    } catch (const DocumentError& e) {
        EXPECT_EQ(std::string(e.what()), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, WordReaderDispatch,
    testing::Values(
        LookAlike{"Rtf", text("{\\rtf1\\ansi hello}"), "Not a Word document: in/file.doc is an RTF document"},
        LookAlike{"Html", text("\r\n<!DOCTYPE html><html><body>x</body></html>"),
                  "Not a Word document: in/file.doc is an HTML document"},
        LookAlike{"WordXml",
                  text("\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<?mso-application progid=\"Word.Document\"?>"
                       "<w:wordDocument/>"),
                  "Not a Word document: in/file.doc is a Word 2003 XML document"},
        LookAlike{"WordPerfect", text("\xFFWPC\x10\x00\x00\x00"),
                  "Not a Word document: in/file.doc is a WordPerfect document"},
        LookAlike{"Word2", Bytes{0xDB, 0xA5, 0x2D, 0x00, 0, 0, 0, 0}, "Word 2.0 documents are not supported"},
        LookAlike{"Unknown", text("just some text"), "Not a Word document: in/file.doc"},
        LookAlike{"Empty", Bytes{}, "Not a Word document: in/file.doc"},
        LookAlike{"Workbook", compound({u"Workbook"}),
                  "Not a Word document: in/file.doc is an Excel workbook"},
        LookAlike{"EncryptedPackage", compound({u"EncryptionInfo", u"EncryptedPackage"}),
                  "The document is password-protected"},
        LookAlike{"OtherCompound", compound({u"Contents"}),
                  "Not a Word document: in/file.doc is a compound file without a Word document"},
        LookAlike{"BrokenCompound", Bytes{0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1, 0, 0},
                  "The compound file is damaged: the header is truncated (in/file.doc)"}),
    [](const testing::TestParamInfo<LookAlike>& p) { return std::string(p.param.name); });

TEST(WordReaderDispatch, ReadsWordBinaryDocumentsWhateverTheirName) {
    testdoc::Paragraph cell{u"x\a", false, testdoc::inTable()};
    testdoc::Paragraph row{u"\a", false, testdoc::rowEnd({0, 100})};
    const Document doc = ReadWordDocument(testdoc::pack(testdoc::buildDoc({cell, row})), "report.docx");
    ASSERT_EQ(doc.tables.size(), 1u);
    EXPECT_EQ(doc.tables[0].rows[0].cells[0].text, "x");
}

}  // namespace
}  // namespace vantile::office::word
