// Gnumeric's ssconvert as a third reader: it warns about every structural fault
// it meets (sheet offsets, string table framing, cell formats, fonts), so any
// message from it fails the test.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "automation/core/object.h"
#include "office/excel/excel_application.h"
#include "support/test_support.h"

namespace vantile::office::excel {
namespace {

using automation::Variant;
namespace fs = std::filesystem;

const char* kSsconvert = "/usr/bin/ssconvert";

TEST(GnumericReads, WithoutAWarning) {
    if (!fs::exists(kSsconvert))
        GTEST_SKIP() << "Gnumeric is not installed (" << kSsconvert << ")";
    std::string wide;
    for (int i = 0; i < 5000; ++i)
        wide += "€";
    vantile::test::TempDir dir;
    Variant app{CreateExcelApplication()};
    Variant book = app.get("Workbooks").call("Add", {Variant::missing()});
    Variant sheets = book.get("Worksheets");
    Variant first = sheets.get("Item", {1});
    Variant second = sheets.get("Item", {2});
    second.put("Name", "Übersicht €");
    second.get("Columns", {1}).put("ColumnWidth", 30.0);
    second.put("Cells", wide, {1, 1});
    second.put("Cells", std::string(40000, 'x'), {2, 1});
    first.put("Name", 1);
    first.call("Select", {Variant::missing()});
    const char* row1[] = {"text", "12", "-3.5", "007"};
    for (int j = 0; j < 4; ++j)
        first.put("Cells", row1[j], {1, j + 1});
    first.put("Cells", "a\r\nb", {2, 1});
    for (int i = 0; i < 3000; ++i)
        first.put("Cells", "ячейка-" + std::to_string(i), {3 + i / 4, 1 + i % 4});
    const fs::path file = dir.path() / "book.xls";
    book.call("SaveAs", {file.string()});
    app.call("Quit");

    const std::string command = std::string(kSsconvert) + " -S '" + file.string() + "' '" +
                                dir.path().string() + "/sheet.%n.csv' 2>&1";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = pipe ? pclose(pipe) : -1;
    EXPECT_EQ(status, 0);
    EXPECT_EQ(output, "");

    std::string expected = "text,12,-3.5,007\n\"a\nb\",,,\n";
    for (int i = 0; i < 3000; ++i)
        expected += "ячейка-" + std::to_string(i) + (i % 4 == 3 ? "\n" : ",");
    // Compared without printing: the texts run to tens of thousands of characters.
    EXPECT_TRUE(vantile::test::readFile(dir.path() / "sheet.0.csv") == expected);
    EXPECT_TRUE(vantile::test::readFile(dir.path() / "sheet.1.csv") ==
                wide + "\n" + std::string(32767, 'x') + "\n");
    EXPECT_EQ(vantile::test::readFile(dir.path() / "sheet.2.csv"), "\n");  // an empty sheet
}

}  // namespace
}  // namespace vantile::office::excel
