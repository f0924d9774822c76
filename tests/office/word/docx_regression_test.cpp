// Inputs that once crashed or hung the .docx reader under fuzzing (fuzz/regressions/docx).
// As in the fuzz target, an input that is no zip archive is the main part of a package.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "office/word/docx_reader.h"
#include "office/word/table_layout.h"
#include "support/docx_writer.h"
#include "support/test_support.h"

namespace vantile::office::word {
namespace {

TEST(DocxRegressions, FuzzFindingsEndInADocumentOrAClearError) {
    const std::filesystem::path dir =
        std::filesystem::path(VANTILE_SOURCE_DIR) / "fuzz" / "regressions" / "docx";
    int inputs = 0;
    for (const auto& item : std::filesystem::directory_iterator(dir)) {
        if (!item.is_regular_file())
            continue;
        ++inputs;
        const std::string content = test::readFile(item.path());
        std::string package = content;
        if (content.rfind("PK", 0) != 0) {
            test::DocxOptions stored;
            stored.deflate = false;
            auto items = test::DocxItems("", stored);
            items[2].data = content;
            package = test::BuildZip(items);
        }
        try {
            Document doc = ReadDocx(test::Bytes(package));
            for (auto& table : doc.tables) {
                const TableLayout layout(table);
                for (std::uint32_t i = 0; i < layout.rowCount(); ++i) {
                    for (std::uint32_t j = 0; j < layout.columnCount(); ++j)
                        (void)layout.cellAt(i, j);
                }
            }
        } catch (const DocumentError& e) {
            EXPECT_NE(std::string(e.what()), "") << item.path();
        }
    }
    EXPECT_GT(inputs, 0) << "no regression inputs in " << dir;
}

}  // namespace
}  // namespace vantile::office::word
