#include "office/excel/excel_application.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "automation/core/object.h"
#include "office/container/cfb_constants.h"
#include "office/excel/xlrd_reader.h"
#include "support/test_support.h"

namespace vantile::office::excel {
namespace {

using automation::AutomationError;
using automation::Variant;
namespace fs = std::filesystem;

const Variant kMissing = Variant::missing();

struct Session {
    Variant app{CreateExcelApplication()};
    Variant book = app.get("Workbooks").call("Add", {kMissing});
    Variant sheets = book.get("Worksheets");

    Variant sheet(int k) const { return sheets.get("Item", {k}); }
    void save(const fs::path& path) const {
        book.call("SaveAs", {path.string()});
        book.call("Close", {kMissing});
        app.call("Quit");
    }
};

std::string messageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const AutomationError& e) {
        return e.what();
    }
    return "no error";
}

// The converter's sequence: enough sheets, then from the last table to the
// first: name, select, widths with the first row, cells.
TEST(ExcelApplication, ConverterSequenceGivesNamedSheetsTheFirstActive) {
    vantile::test::TempDir dir;
    Session s;
    EXPECT_EQ(s.sheets.get("Count").toInt(), 3);
    for (int i = 0; i < 2; ++i)
        s.sheets.call("Add", {kMissing});
    ASSERT_EQ(s.sheets.get("Count").toInt(), 5);
    for (int k = 5; k >= 1; --k) {
        Variant sheet = s.sheet(k);
        sheet.put("Name", k);
        sheet.call("Select", {kMissing});
        sheet.get("Columns", {1}).put("ColumnWidth", 108 / 5.4);
        sheet.get("Columns", {2}).put("ColumnWidth", 8.43);
        sheet.put("Cells", "table " + std::to_string(k), {1, 1});
        sheet.put("Cells", std::to_string(k * 10), {1, 2});
    }
    const fs::path file = dir.path() / "out.xls";
    s.save(file);

    READ_WITH_XLRD(book, file);
    ASSERT_EQ(book.sheets.size(), 5u);
    for (int k = 1; k <= 5; ++k) {
        const auto& sheet = book.sheets[k - 1];
        SCOPED_TRACE(k);
        EXPECT_EQ(sheet.name, std::to_string(k));
        EXPECT_EQ(sheet.selected, k == 1);
        EXPECT_EQ(sheet.active, k == 1);
        EXPECT_EQ(sheet.cells.at({0, 0}).value, "table " + std::to_string(k));
        EXPECT_EQ(sheet.cells.at({0, 1}).type, "number");
        EXPECT_EQ(sheet.cells.at({0, 1}).value, std::to_string(k * 10) + ".0");
        EXPECT_EQ(sheet.widths, (std::map<int, int>{{0, 5302}, {1, 2340}}));
    }
}

TEST(ExcelApplication, NewWorkbookSavedUnchangedHasItsDefaultSheets) {
    vantile::test::TempDir dir;
    Session s;
    s.save(dir.path() / "empty.xls");
    READ_WITH_XLRD(book, dir.path() / "empty.xls");
    ASSERT_EQ(book.sheets.size(), 3u);
    EXPECT_EQ(book.sheets[0].name, "Sheet1");
    EXPECT_EQ(book.sheets[2].name, "Sheet3");
    EXPECT_TRUE(book.sheets[0].active);
    EXPECT_FALSE(book.sheets[1].selected);
    EXPECT_EQ(book.sheets[1].rows, 0);
}

TEST(ExcelApplication, NumbersOnlyWhereNothingIsLost) {
    struct Case {
        const char* text;
        const char* type;
        const char* value;
    };
    const Case cases[] = {{"12", "number", "12.0"},
                          {"-3.5", "number", "-3.5"},
                          {"0.25", "number", "0.25"},
                          {"123456789012345", "number", "123456789012345.0"},
                          {"0.1", "number", "0.1"},
                          {"1234567.123", "number", "1234567.123"},
                          {"007", "text", "007"},
                          {"1/2", "text", "1/2"},
                          {"1e5", "text", "1e5"},
                          {"12%", "text", "12%"},
                          {"1.50", "text", "1.50"},
                          {"-0", "text", "-0"},
                          {"12345678901234567890", "text", "12345678901234567890"},
                          {"1,5", "text", "1,5"},
                          {"TRUE", "text", "TRUE"}};
    vantile::test::TempDir dir;
    Session s;
    int row = 1;
    for (const auto& c : cases)
        s.sheet(1).put("Cells", c.text, {row++, 3});
    s.save(dir.path() / "values.xls");
    READ_WITH_XLRD(book, dir.path() / "values.xls");
    row = 0;
    for (const auto& c : cases) {
        const auto& cell = book.sheets[0].cells.at({row++, 2});
        EXPECT_EQ(cell.type, c.type) << c.text;
        EXPECT_EQ(cell.value, c.value) << c.text;
    }
}

TEST(ExcelApplication, NonAsciiSheetNamesAndTextsAreKept) {
    const std::vector<std::string> names = {"Übersicht", "数据 2024", "€"};
    const std::vector<std::string> texts = {"Grüße", "日本語のテキスト", "😀 and ñ", "é"};
    vantile::test::TempDir dir;
    Session s;
    for (int k = 1; k <= 3; ++k) {
        s.sheet(k).put("Name", names[k - 1]);
        for (int i = 0; i < 4; ++i)
            s.sheet(k).put("Cells", texts[i], {i + 1, k});
    }
    s.save(dir.path() / "unicode.xls");
    READ_WITH_XLRD(book, dir.path() / "unicode.xls");
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(book.sheets[k - 1].name, names[k - 1]);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(book.sheets[k - 1].cells.at({i, k - 1}).value, texts[i]);
    }
}

TEST(ExcelApplication, LineBreaksWrapAndRaiseTheRow) {
    vantile::test::TempDir dir;
    Session s;
    s.sheet(1).put("Cells", "one\r\ntwo\rthree\vfour", {2, 1});
    s.sheet(1).put("Cells", "plain", {2, 2});
    s.sheet(1).put("Cells", "plain", {3, 1});
    s.save(dir.path() / "wrap.xls");
    READ_WITH_XLRD(book, dir.path() / "wrap.xls");
    const auto& sheet = book.sheets[0];
    EXPECT_EQ(sheet.cells.at({1, 0}).value, "one\ntwo\nthree\nfour");
    EXPECT_TRUE(sheet.cells.at({1, 0}).wrap);
    EXPECT_FALSE(sheet.cells.at({1, 1}).wrap);
    EXPECT_FALSE(sheet.cells.at({2, 0}).wrap);
    EXPECT_EQ(sheet.heights, (std::map<int, int>{{1, 4 * 255}}));
}

TEST(ExcelApplication, LongTextsSpanContinueRecordsAndStopAt32767Characters) {
    std::string wide;
    for (int i = 0; i < 5000; ++i)
        wide += "€";  // 10,000 bytes as UTF-16
    const std::string narrow(9000, 'n');
    std::string tooLong;
    for (int i = 0; i < 40000; ++i)
        tooLong += static_cast<char>('a' + i % 26);
    vantile::test::TempDir dir;
    Session s;
    s.sheet(1).put("Cells", wide, {1, 1});
    s.sheet(1).put("Cells", narrow, {2, 1});
    s.sheet(1).put("Cells", tooLong, {3, 1});
    s.sheet(1).put("Cells", "after", {4, 1});
    s.save(dir.path() / "long.xls");
    READ_WITH_XLRD(book, dir.path() / "long.xls");
    const auto& cells = book.sheets[0].cells;
    EXPECT_EQ(cells.at({0, 0}).value, wide);
    EXPECT_EQ(cells.at({1, 0}).value, narrow);
    EXPECT_EQ(cells.at({2, 0}).value, tooLong.substr(0, 32767));
    EXPECT_EQ(cells.at({3, 0}).value, "after");
}

TEST(ExcelApplication, ManyStringsAcrossSheetsShareOneTable) {
    vantile::test::TempDir dir;
    Session s;
    auto text = [](int k, int i) {
        // Mixed widths so that splits fall in narrow and in UTF-16 strings.
        return (i % 3 ? std::string("cell ") : std::string("ячейка ")) + std::to_string(i) +
               (i % 7 == 0 ? " repeated" : " of sheet " + std::to_string(k));
    };
    for (int k = 1; k <= 3; ++k) {
        for (int i = 0; i < 3000; ++i)
            s.sheet(k).put("Cells", text(k, i), {i / 6 + 1, i % 6 + 1});
    }
    s.save(dir.path() / "many.xls");
    READ_WITH_XLRD(book, dir.path() / "many.xls");
    for (int k = 1; k <= 3; ++k) {
        ASSERT_EQ(book.sheets[k - 1].cells.size(), 3000u);
        for (int i = 0; i < 3000; ++i)
            ASSERT_EQ(book.sheets[k - 1].cells.at({i / 6, i % 6}).value, text(k, i));
    }
}

TEST(ExcelApplication, LargeWorkbookNeedsDifatSectors) {
    // The corpus's biggest document: 2304 rows of 63 columns.
    vantile::test::TempDir dir;
    Session s;
    auto text = [](int r, int c) {
        return "row " + std::to_string(r) + " column " + std::to_string(c) + " with a few more words in it";
    };
    Variant sheet = s.sheet(1);
    for (int r = 1; r <= 2304; ++r) {
        for (int c = 1; c <= 63; ++c) {
            if (c % 9 == 0) {
                sheet.put("Cells", std::to_string(r * 100 + c), {r, c});
            } else {
                sheet.put("Cells", text(r, c), {r, c});
            }
        }
    }
    const fs::path file = dir.path() / "large.xls";
    s.save(file);
    const std::string bytes = vantile::test::readFile(file);
    // 109 FAT sectors in the header cover 109 * 128 sectors of 512 bytes.
    ASSERT_GT(bytes.size(), 109u * 128 * 512);
    EXPECT_NE(bytes[container::cfb::header::kDifatSectorCount], 0);

    READ_WITH_XLRD(book, file);
    const auto& cells = book.sheets[0].cells;
    ASSERT_EQ(cells.size(), 2304u * 63);
    for (int r = 1; r <= 2304; ++r) {
        for (int c = 1; c <= 63; ++c) {
            const auto& cell = cells.at({r - 1, c - 1});
            if (c % 9 == 0) {
                ASSERT_EQ(cell.value, std::to_string(r * 100 + c) + ".0");
            } else {
                ASSERT_EQ(cell.value, text(r, c));
            }
        }
    }
}

TEST(ExcelApplication, BadRequestsRaiseReadableErrorsAndChangeNothing) {
    vantile::test::TempDir dir;
    Session s;
    Variant sheet = s.sheet(1);
    const std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {[&] { sheet.put("Name", ""); }, "1 to 31 characters"},
        {[&] { sheet.put("Name", std::string(32, 'x')); }, "1 to 31 characters"},
        {[&] { sheet.put("Name", "a/b"); }, "cannot contain"},
        {[&] { sheet.put("Name", "[x]"); }, "cannot contain"},
        {[&] { sheet.put("Name", "sheet2"); }, "already taken"},
        {[&] {
             sheet.put("Cells", "x", {0, 1});
         },
         "outside the sheet"},
        {[&] {
             sheet.put("Cells", "x", {65537, 1});
         },
         "outside the sheet"},
        {[&] {
             sheet.put("Cells", "x", {1, 257});
         },
         "outside the sheet"},
        {[&] { sheet.get("Columns", {257}); }, "outside the sheet"},
        {[&] { sheet.get("Columns", {1}).put("ColumnWidth", -2.0); }, "column width"},
        {[&] { s.sheets.get("Item", {4}); }, "Subscript out of range"},
        {[&] { s.sheets.get("Item", {"nosuch"}); }, "Subscript out of range"},
        {[&] { s.book.call("SaveAs", {""}); }, "file name"},
    };
    for (const auto& [call, expected] : cases) {
        const std::string message = messageOf(call);
        EXPECT_NE(message.find(expected), std::string::npos) << message;
    }
    sheet.put("Cells", "corner", {65536, 256});
    sheet.put("Name", "SHEET1");  // its own name in another case
    s.save(dir.path() / "after-errors.xls");
    READ_WITH_XLRD(book, dir.path() / "after-errors.xls");
    EXPECT_EQ(book.sheets[0].name, "SHEET1");
    EXPECT_EQ(book.sheets[0].cells.size(), 1u);
    EXPECT_EQ(book.sheets[0].cells.at({65535, 255}).value, "corner");
}

TEST(ExcelApplication, AddedSheetsGoBeforeTheActiveOneAndBecomeActive) {
    Session s;
    s.sheet(2).call("Select", {kMissing});
    Variant added = s.sheets.call("Add", {kMissing});
    EXPECT_EQ(added.get("Name").toString(), "Sheet4");
    EXPECT_EQ(added.get("Index").toInt(), 2);
    EXPECT_EQ(s.book.get("ActiveSheet").get("Name").toString(), "Sheet4");
    Variant after = s.sheets.call("Add", {kMissing, s.sheet(4)});
    EXPECT_EQ(after.get("Index").toInt(), 5);
    EXPECT_EQ(s.sheets.get("Item", {"sheet3"}).get("Index").toInt(), 4);
    s.sheet(1).put("Cells", "7", {2, 3});
    EXPECT_EQ(s.sheet(1).get("Cells", {2, 3}).get("Value"), Variant(7.0));
}

TEST(ExcelApplication, SelectWithoutReplaceJoinsTheSelection) {
    vantile::test::TempDir dir;
    Session s;
    s.sheet(3).call("Select", {kMissing});
    s.sheet(2).call("Select", {false});
    s.save(dir.path() / "group.xls");
    READ_WITH_XLRD(book, dir.path() / "group.xls");
    EXPECT_FALSE(book.sheets[0].selected);
    EXPECT_TRUE(book.sheets[1].selected && book.sheets[1].active);
    EXPECT_TRUE(book.sheets[2].selected);
    EXPECT_FALSE(book.sheets[2].active);
}

TEST(ExcelApplication, WorksheetTemplateGivesOneSheet) {
    Variant app{CreateExcelApplication()};
    Variant book = app.get("Workbooks").call("Add", {-4167});
    EXPECT_EQ(book.get("Worksheets").get("Count").toInt(), 1);
    EXPECT_EQ(app.get("Workbooks").get("Count").toInt(), 1);
    EXPECT_NE(messageOf([&] { app.get("Workbooks").call("Add", {"C:\\template.xlt"}); }), "no error");
}

TEST(ExcelApplication, ValuesOfEveryVariantKind) {
    Session s;
    Variant sheet = s.sheet(1);
    const std::vector<std::pair<Variant, Variant>> cases = {
        {Variant(42), Variant(42.0)},     {Variant(2.5), Variant(2.5)},
        {Variant("2.5"), Variant(2.5)},   {Variant("2.50"), Variant("2.50")},
        {Variant(true), Variant("TRUE")}, {Variant("a\vb"), Variant("a\nb")},
        {Variant(), Variant()},           {Variant(""), Variant()},
    };
    for (const auto& [written, read] : cases) {
        sheet.put("Cells", "old", {1, 1});
        sheet.put("Cells", written, {1, 1});
        EXPECT_EQ(sheet.get("Cells", {1, 1}).get("Value"), read) << written.toString();
    }
    EXPECT_NE(messageOf([&] { sheet.put("Cells", Variant(sheet), {1, 1}); }), "no error");
}

TEST(ExcelApplication, ClosedWorkbooksAndAQuitApplicationRefuseCalls) {
    Session s;
    s.book.call("Close", {kMissing});
    EXPECT_NE(messageOf([&] { s.sheets.get("Count"); }).find("closed"), std::string::npos);
    EXPECT_EQ(s.app.get("Workbooks").get("Count").toInt(), 0);
    s.app.call("Quit");
    EXPECT_NE(messageOf([&] { s.app.get("Workbooks"); }).find("quit"), std::string::npos);
}

std::vector<std::string> folderEntries(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ExcelApplication, SaveReplacesAnExistingFileWhole) {
    vantile::test::TempDir dir;
    const fs::path file = dir.write("out.xls", std::string(100000, 'o'));
    Session s;
    s.sheet(1).put("Cells", "new", {1, 1});
    s.save(file);
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"out.xls"});
    READ_WITH_XLRD(book, file);
    EXPECT_EQ(book.sheets[0].cells.at({0, 0}).value, "new");
}

TEST(ExcelApplication, FailedSaveKeepsWhatWasThereAndLeavesNoTemporaryFile) {
    vantile::test::TempDir dir;
    // The target is a folder with content: the final rename must fail.
    const fs::path kept = dir.write("busy.xls/keep.txt", "previous");
    Session s;
    const std::string busy = (dir.path() / "busy.xls").string();
    EXPECT_NE(messageOf([&] { s.book.call("SaveAs", {busy}); }).find("busy.xls"), std::string::npos);
    EXPECT_EQ(vantile::test::readFile(kept), "previous");
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"busy.xls"});

    const std::string missing = (dir.path() / "no folder" / "out.xls").string();
    EXPECT_NE(messageOf([&] { s.book.call("SaveAs", {missing}); }).find("out.xls"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.path() / "no folder"));

    // A read-only folder holding the previous result. The superuser writes
    // there anyway, so then the save runs in a child with an ordinary user's rights.
    const fs::path old = dir.write("ro/out.xls", "old result");
    const fs::path ro = dir.path() / "ro";
    fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                            fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    auto saveFails = [&] { return messageOf([&] { s.book.call("SaveAs", {old.string()}); }) != "no error"; };
    if (geteuid() == 0) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const bool failed = setgid(65534) == 0 && setuid(65534) == 0 && saveFails();
            _exit(failed ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "the save into a read-only folder succeeded";
    } else {
        EXPECT_TRUE(saveFails());
    }
    fs::permissions(ro, fs::perms::owner_all);
    EXPECT_EQ(vantile::test::readFile(old), "old result");
    EXPECT_EQ(folderEntries(ro), std::vector<std::string>{"out.xls"});
}

}  // namespace
}  // namespace vantile::office::excel
