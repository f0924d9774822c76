#pragma once
// Recording fakes of the word processor and the spreadsheet for the converter
// tests: the word processor's document holds the tables a test describes, the
// spreadsheet builds a small workbook model and writes it as text on SaveAs, and
// both record every member call with its arguments in one shared log.

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "automation/registry.h"

namespace vantile::test {

using automation::Variant;

// One table of the fake document.
struct FakeTable {
    int rows = 0;
    int cols = 0;
    std::vector<double> widths;                        // points, one per column
    std::map<std::pair<int, int>, std::string> cells;  // (row, column) -> raw text; absent: Cell raises
    bool failSize = false;                             // reading Rows.Count raises
};

struct FakeOffice {
    // What the tests set up.
    std::vector<FakeTable> tables;
    std::string version = "16.0";
    std::optional<std::string> openError;     // Documents.Open raises this
    std::optional<std::string> visibleError;  // writing Visible raises this
    bool versionFails = false;                // reading Version raises
    std::optional<std::string> saveError;     // SaveAs raises this
    std::optional<std::string> addBookError;  // Workbooks.Add raises this
    int defaultSheets = 3;

    // What the fakes recorded.
    std::vector<std::string> log() const;
    std::vector<std::string> excelLog() const;  // only the spreadsheet's calls
    int wordInstances = 0, wordQuits = 0, excelInstances = 0, excelQuits = 0;
    // Whether the target existed when SaveAs ran.
    std::vector<bool> targetExistedAtSave;

    void record(const std::string& line, bool excel);
    mutable std::mutex mutex;

  private:
    std::vector<std::pair<bool, std::string>> m_log;
};

// Text form of arguments in the log: "missing", quoted texts, True/False, numbers.
std::string describe(const Variant& v);
std::string describe(automation::Args args);

// Registers the fakes as the word processor (under wordProgId; none when it is
// empty) and as "Excel.Application" for the lifetime of the object.
class FakeServers {
  public:
    explicit FakeServers(std::shared_ptr<FakeOffice> office,
                         const std::string& wordProgId = "Word.Application", bool excel = true);
    std::shared_ptr<FakeOffice> office;

  private:
    std::optional<automation::ScopedServer> m_word, m_excel;
};

// A table with rows x cols cells "r<i>c<j>" and every column 54 points wide.
FakeTable simpleTable(int rows, int cols, const std::string& prefix = "");

}  // namespace vantile::test
