// LibreOffice Calc as a second, independent reader of the workbooks.

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

const char* kSoffice = "/usr/bin/soffice";
const char* kCalcLibrary = "/usr/lib/libreoffice/program/libsclo.so";

TEST(LibreOfficeReads, EverySheetWithItsValues) {
    if (!fs::exists(kSoffice) || !fs::exists(kCalcLibrary)) {
        GTEST_SKIP() << "LibreOffice Calc is not installed (" << kSoffice << ", " << kCalcLibrary << ")";
    }
    vantile::test::TempDir dir;
    Variant app{CreateExcelApplication()};
    Variant book = app.get("Workbooks").call("Add", {Variant::missing()});
    Variant sheets = book.get("Worksheets");
    Variant first = sheets.get("Item", {1});
    Variant second = sheets.get("Item", {2});
    second.put("Name", "Übersicht");
    second.call("Select", {Variant::missing()});
    second.put("Cells", std::string(9000, 'n'), {1, 1});
    first.put("Name", 1);
    first.call("Select", {Variant::missing()});
    const char* row1[] = {"text", "12", "-3.5", "007", "1/2", "12%"};
    for (int j = 0; j < 6; ++j)
        first.put("Cells", row1[j], {1, j + 1});
    first.put("Cells", "Grüße €", {2, 1});
    first.put("Cells", "a\r\nb", {2, 2});
    const fs::path file = dir.path() / "book.xls";
    book.call("SaveAs", {file.string()});
    app.call("Quit");

    // All sheets as UTF-8 CSV, each cell as shown; a private profile keeps
    // this instance apart from any other one running.
    const std::string command =
        std::string(kSoffice) + " -env:UserInstallation=file://" + dir.path().string() +
        "/profile --headless --convert-to "
        "'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1' "
        "--outdir '" +
        dir.path().string() + "/out' '" + file.string() + "' 2>&1";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    if (pipe)
        pclose(pipe);

    const fs::path one = dir.path() / "out" / "book-1.csv";
    const fs::path two = dir.path() / "out" / "book-Übersicht.csv";
    ASSERT_TRUE(fs::exists(one) && fs::exists(two)) << output;
    EXPECT_EQ(vantile::test::readFile(one), "text,12,-3.5,007,1/2,12%\nGrüße €,\"a\nb\",,,,\n");
    EXPECT_EQ(vantile::test::readFile(two), std::string(9000, 'n') + "\n");
}

}  // namespace
}  // namespace vantile::office::excel
