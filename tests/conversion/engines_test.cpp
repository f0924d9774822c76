// The converter driving the program's own document and workbook engines.

#include <gtest/gtest.h>
#include <filesystem>

#include "automation/registry.h"
#include "conversion/conversion_fixture.h"
#include "office/excel/excel_application.h"
#include "office/word/word_application.h"
#include "platform/files.h"
#include "support/docx_writer.h"

namespace vantile {
namespace {

namespace fs = std::filesystem;

class EnginesTest : public test::ConversionTest {
  protected:
    automation::ScopedServer m_word{"Word.Application", [] { return office::word::CreateWordApplication(); }};
    automation::ScopedServer m_excel{"Excel.Application",
                                     [] { return office::excel::CreateExcelApplication(); }};
};

TEST_F(EnginesTest, ConsoleStyleRunWritesWorkbooksAndRecordsFailures) {
    using test::Cell;
    using test::Row;
    using test::Tbl;
    const std::string table =
        Tbl({Row({Cell("Name"), Cell("Ort")}), Row({Cell("Zoë"), Cell("Köln")})}, {2160, 1440});
    m_src.write("a dir/rep 1.docx", test::BuildDocx(table + test::Para("between") + table));
    m_src.write("damaged.docx", "PK\x03\x04 not really a package");
    m_src.write("~$rep 1.docx", "owner file");
    SkipOwnerFiles = true;
    set("ThreadsCount", "2");

    TzrBatch batch;
    batch.Prepare(m_src.str() + "*.doc?", m_out.str(), true);
    auto head = TzrConvertor::CreateConvertors(&batch, m_out.str(), {});
    ConvertorsAlive = head->FCount;
    head->ResumeAll();
    head.reset();
    WaitForWorkerThreads();
    SkipOwnerFiles = false;

    EXPECT_EQ(ConvertorsAlive.load(), 0);
    ASSERT_EQ(batch.Count(), 2);
    EXPECT_EQ(batch.SuccessCount(), 1);
    EXPECT_EQ(batch.ErrorCount(), 1);
    const std::string target = m_out.str() + "a dir/rep 1.xls";
    auto& tasks = batch.LockTasks();
    for (auto& n : tasks) {
        if (n->FileName.ends_with("damaged.docx")) {
            EXPECT_EQ(n->Status, 2);
            EXPECT_FALSE(n->ResultText.empty());
        } else {
            EXPECT_EQ(n->Status, 1) << n->ResultText;
            EXPECT_EQ(n->ResultText, target);
        }
    }
    batch.UnlockTasks();
    const auto bytes = platform::ReadFileBytes(target, 1 << 24);
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(bytes[0], 0xD0);  // a compound file, as Excel 97-2003 writes
    EXPECT_EQ(bytes[1], 0xCF);
    EXPECT_FALSE(fs::exists(m_out.path() / "damaged.xls"));
}

}  // namespace
}  // namespace vantile
