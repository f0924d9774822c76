#include "office/excel/excel_application.h"

#include <cmath>
#include <memory>
#include <vector>

#include "office/excel/cell_value.h"
#include "office/excel/utf16.h"
#include "office/excel/workbook.h"
#include "office/excel/workbook_writer.h"
#include "platform/files.h"

namespace vantile::office::excel {
namespace {

using automation::Args;
using automation::AutomationError;
using automation::Object;
using automation::ObjectPtr;
using automation::sameName;
using automation::Variant;

constexpr std::int64_t kTemplateWorksheet = -4167;  // a new workbook with one sheet
constexpr std::size_t kDefaultSheets = 3;

struct BookState {
    explicit BookState(std::size_t sheets) : book(sheets) {}
    Workbook book;
    bool closed = false;
};

struct AppState {
    bool quit = false;
    std::vector<std::shared_ptr<BookState>> books;
};

void checkOpen(const AppState& app) {
    if (app.quit)
        throw AutomationError("The spreadsheet application has quit");
}

void checkOpen(const BookState& book) {
    if (book.closed)
        throw AutomationError("The workbook has been closed");
}

// Runs a model operation, turning its errors into automation errors.
template <typename F>
auto guarded(F&& f) {
    try {
        return f();
    } catch (const WorkbookError& e) {
        throw AutomationError(e.what());
    }
}

std::int64_t indexArg(Args args, std::size_t i, std::string_view member) {
    const Variant& v = automation::argAt(args, i);
    if (v.isMissing())
        throw AutomationError(std::string(member) + ": an index is required");
    return v.toInt();
}

void noFurtherArgs(Args args, std::size_t from, std::string_view member) {
    for (std::size_t i = from; i < args.size(); ++i) {
        if (!args[i].isMissing())
            throw AutomationError(std::string(member) + ": too many arguments");
    }
}

CellValue valueOf(const Variant& v) {
    switch (v.kind()) {
        case Variant::Kind::Empty:
        case Variant::Kind::Null:
            return {};
        case Variant::Kind::Int:
        case Variant::Kind::Double: {
            const double d = v.toDouble();
            if (!std::isfinite(d))
                throw AutomationError("A cell cannot hold an infinite number");
            CellValue value;
            value.kind = CellValue::Kind::Number;
            value.number = d;
            return value;
        }
        case Variant::Kind::Bool:
            return CellValueFromText(v.toBool() ? "TRUE" : "FALSE");
        case Variant::Kind::String:
            return CellValueFromText(v.toString());
        default:
            throw AutomationError("A cell's value must be a number or a text");
    }
}

Variant variantOf(const CellValue* value) {
    if (!value || value->kind == CellValue::Kind::Empty)
        return Variant();
    if (value->kind == CellValue::Kind::Number)
        return Variant(value->number);
    return Variant(Utf16ToUtf8(value->text));
}

class ColumnObject : public Object {
  public:
    ColumnObject(std::shared_ptr<BookState> book, Worksheet* sheet, std::uint32_t column)
        : m_book(std::move(book)), m_sheet(sheet), m_column(column) {}

    Variant get(std::string_view member, Args args) override {
        checkOpen(*m_book);
        if (sameName(member, "ColumnWidth")) {
            const auto& widths = m_sheet->columnWidths();
            auto it = widths.find(static_cast<std::uint16_t>(m_column));
            return Variant(it == widths.end() ? 8.43 : it->second);
        }
        return Object::get(member, args);
    }

    void put(std::string_view member, const Variant& value, Args args) override {
        checkOpen(*m_book);
        if (sameName(member, "ColumnWidth")) {
            const double width = value.toDouble();
            guarded([&] { m_sheet->setColumnWidth(m_column, width); });
            return;
        }
        Object::put(member, value, args);
    }

  private:
    std::shared_ptr<BookState> m_book;
    Worksheet* m_sheet;
    std::uint32_t m_column;  // zero-based
};

class CellObject : public Object {
  public:
    CellObject(std::shared_ptr<BookState> book, Worksheet* sheet, std::uint32_t row, std::uint32_t column)
        : m_book(std::move(book)), m_sheet(sheet), m_row(row), m_column(column) {}

    Variant get(std::string_view member, Args args) override {
        checkOpen(*m_book);
        if (sameName(member, "Value"))
            return variantOf(m_sheet->cell(m_row, m_column));
        return Object::get(member, args);
    }

    void put(std::string_view member, const Variant& value, Args args) override {
        checkOpen(*m_book);
        if (sameName(member, "Value")) {
            CellValue cell = valueOf(value);
            guarded([&] { m_sheet->setCell(m_row, m_column, std::move(cell)); });
            return;
        }
        Object::put(member, value, args);
    }

  private:
    std::shared_ptr<BookState> m_book;
    Worksheet* m_sheet;
    std::uint32_t m_row;  // zero-based
    std::uint32_t m_column;
};

// Validates 1-based row and column and makes them zero-based.
std::pair<std::uint32_t, std::uint32_t> cellPosition(Args args) {
    const std::int64_t row = indexArg(args, 0, "Cells");
    const std::int64_t column = indexArg(args, 1, "Cells");
    noFurtherArgs(args, 2, "Cells");
    if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns) {
        throw AutomationError("The cell (" + std::to_string(row) + ", " + std::to_string(column) +
                              ") lies outside the sheet: rows go from 1 to 65536, columns from 1 to 256");
    }
    return {static_cast<std::uint32_t>(row - 1), static_cast<std::uint32_t>(column - 1)};
}

class SheetObject : public Object {
  public:
    SheetObject(std::shared_ptr<BookState> book, Worksheet* sheet)
        : m_book(std::move(book)), m_sheet(sheet) {}

    Variant get(std::string_view member, Args args) override {
        checkOpen(*m_book);
        if (sameName(member, "Name"))
            return Variant(Utf16ToUtf8(m_sheet->name()));
        if (sameName(member, "Index"))
            return Variant(static_cast<std::int64_t>(m_book->book.indexOf(*m_sheet) + 1));
        if (sameName(member, "Columns")) {
            const std::int64_t column = indexArg(args, 0, "Columns");
            noFurtherArgs(args, 1, "Columns");
            if (column < 1 || column > kMaxColumns) {
                throw AutomationError("The column " + std::to_string(column) +
                                      " lies outside the sheet: columns go from 1 to 256");
            }
            return Variant(
                std::make_shared<ColumnObject>(m_book, m_sheet, static_cast<std::uint32_t>(column - 1)));
        }
        if (sameName(member, "Cells")) {
            const auto [row, column] = cellPosition(args);
            return Variant(std::make_shared<CellObject>(m_book, m_sheet, row, column));
        }
        return Object::get(member, args);
    }

    void put(std::string_view member, const Variant& value, Args args) override {
        checkOpen(*m_book);
        if (sameName(member, "Name")) {
            const std::string name = value.toString();
            guarded([&] { m_book->book.renameSheet(*m_sheet, name); });
            return;
        }
        if (sameName(member, "Cells")) {
            const auto position = cellPosition(args);
            CellValue cell = valueOf(value);
            guarded([&] { m_sheet->setCell(position.first, position.second, std::move(cell)); });
            return;
        }
        Object::put(member, value, args);
    }

    Variant call(std::string_view member, Args args) override {
        checkOpen(*m_book);
        if (sameName(member, "Select")) {
            const Variant& replace = automation::argAt(args, 0);
            noFurtherArgs(args, 1, "Select");
            m_book->book.select(*m_sheet, replace.isMissing() || replace.toBool());
            return Variant();
        }
        if (sameName(member, "Activate")) {
            noFurtherArgs(args, 0, "Activate");
            // Activating a sheet outside the selection makes it the only selected sheet.
            const std::size_t index = m_book->book.indexOf(*m_sheet);
            m_book->book.select(*m_sheet, !m_book->book.isSelected(index));
            return Variant();
        }
        return Object::call(member, args);
    }

    Worksheet* sheet() const { return m_sheet; }
    const BookState* owner() const { return m_book.get(); }

  private:
    std::shared_ptr<BookState> m_book;
    Worksheet* m_sheet;
};

class SheetsObject : public Object {
  public:
    explicit SheetsObject(std::shared_ptr<BookState> book) : m_book(std::move(book)) {}

    Variant get(std::string_view member, Args args) override {
        checkOpen(*m_book);
        Workbook& book = m_book->book;
        if (sameName(member, "Count"))
            return Variant(static_cast<std::int64_t>(book.sheetCount()));
        if (sameName(member, "Item")) {
            const Variant& key = automation::argAt(args, 0);
            noFurtherArgs(args, 1, "Item");
            std::size_t index = book.sheetCount();
            if (key.kind() == Variant::Kind::String) {
                index = book.find(Utf8ToUtf16(key.toString()));
            } else if (!key.isMissing()) {
                const std::int64_t k = key.toInt();
                if (k >= 1 && static_cast<std::uint64_t>(k) <= book.sheetCount())
                    index = static_cast<std::size_t>(k - 1);
            }
            if (index >= book.sheetCount()) {
                throw AutomationError("Subscript out of range: the workbook has no sheet " +
                                      (key.isMissing() ? std::string("without an index") : key.toString()));
            }
            return sheetObject(index);
        }
        return Object::get(member, args);
    }

    Variant call(std::string_view member, Args args) override {
        checkOpen(*m_book);
        if (sameName(member, "Add"))
            return add(args);
        return Object::call(member, args);
    }

  private:
    Variant sheetObject(std::size_t index) {
        return Variant(std::make_shared<SheetObject>(m_book, &m_book->book.sheet(index)));
    }

    std::size_t positionOf(const Variant& v, std::string_view what) {
        auto sheet = std::dynamic_pointer_cast<SheetObject>(v.toObject());
        if (!sheet || sheet->owner() != m_book.get()) {
            throw AutomationError(std::string("Add: ") + std::string(what) +
                                  " must be a sheet of this workbook");
        }
        return m_book->book.indexOf(*sheet->sheet());
    }

    // As the application does: without Before or After the new sheets go
    // before the active sheet, and the last one added becomes active.
    Variant add(Args args) {
        Workbook& book = m_book->book;
        const Variant& before = automation::argAt(args, 0);
        const Variant& after = automation::argAt(args, 1);
        const Variant& count = automation::argAt(args, 2);
        const Variant& type = automation::argAt(args, 3);
        noFurtherArgs(args, 4, "Add");
        if (!before.isMissing() && !after.isMissing())
            throw AutomationError("Add: give Before or After, not both");
        if (!type.isMissing() && type.toInt() != kTemplateWorksheet) {
            throw AutomationError("Add: only worksheets can be added");
        }
        const std::int64_t n = count.isMissing() ? 1 : count.toInt();
        if (n < 1 || n > 255)
            throw AutomationError("Add: the count must be from 1 to 255");
        std::size_t position = book.activeSheet();
        if (!before.isMissing())
            position = positionOf(before, "Before");
        if (!after.isMissing())
            position = positionOf(after, "After") + 1;
        Worksheet* added = nullptr;
        for (std::int64_t i = 0; i < n; ++i)
            added = &book.insertSheet(position);
        book.select(*added, true);
        return Variant(std::make_shared<SheetObject>(m_book, added));
    }

    std::shared_ptr<BookState> m_book;
};

class BookObject : public Object {
  public:
    explicit BookObject(std::shared_ptr<BookState> book) : m_book(std::move(book)) {}

    Variant get(std::string_view member, Args args) override {
        checkOpen(*m_book);
        if (sameName(member, "Worksheets") || sameName(member, "Sheets")) {
            if (!args.empty())
                return Variant(std::make_shared<SheetsObject>(m_book)).get("Item", {args[0]});
            return Variant(std::make_shared<SheetsObject>(m_book));
        }
        if (sameName(member, "ActiveSheet")) {
            return Variant(
                std::make_shared<SheetObject>(m_book, &m_book->book.sheet(m_book->book.activeSheet())));
        }
        return Object::get(member, args);
    }

    Variant call(std::string_view member, Args args) override {
        checkOpen(*m_book);
        if (sameName(member, "SaveAs")) {
            const Variant& name = automation::argAt(args, 0);
            noFurtherArgs(args, 1, "SaveAs");
            if (name.isMissing() || name.toString().empty())
                throw AutomationError("SaveAs: a file name is required");
            save(name.toString());
            return Variant();
        }
        if (sameName(member, "Close")) {
            const Variant& saveChanges = automation::argAt(args, 0);
            const Variant& fileName = automation::argAt(args, 1);
            noFurtherArgs(args, 2, "Close");
            if (!saveChanges.isMissing() && saveChanges.toBool()) {
                if (fileName.isMissing())
                    throw AutomationError("Close: saving needs a file name");
                save(fileName.toString());
            }
            m_book->closed = true;
            return Variant();
        }
        return Object::call(member, args);
    }

  private:
    void save(const std::string& path) {
        std::vector<std::uint8_t> bytes;
        try {
            bytes = WriteWorkbookFile(m_book->book);
        } catch (const std::exception& e) {
            throw AutomationError("Cannot save the workbook \"" + path + "\": " + e.what());
        }
        try {
            platform::WriteFileAtomically(path, bytes);
        } catch (const platform::FileError& e) {
            throw AutomationError(e.what());
        }
    }

    std::shared_ptr<BookState> m_book;
};

class BooksObject : public Object {
  public:
    explicit BooksObject(std::shared_ptr<AppState> app) : m_app(std::move(app)) {}

    Variant get(std::string_view member, Args args) override {
        checkOpen(*m_app);
        std::erase_if(m_app->books, [](const auto& b) { return b->closed; });
        if (sameName(member, "Count"))
            return Variant(static_cast<std::int64_t>(m_app->books.size()));
        if (sameName(member, "Item")) {
            const std::int64_t k = indexArg(args, 0, "Item");
            noFurtherArgs(args, 1, "Item");
            if (k < 1 || static_cast<std::uint64_t>(k) > m_app->books.size()) {
                throw AutomationError("Subscript out of range: there is no workbook " + std::to_string(k));
            }
            return Variant(std::make_shared<BookObject>(m_app->books[static_cast<std::size_t>(k - 1)]));
        }
        return Object::get(member, args);
    }

    Variant call(std::string_view member, Args args) override {
        checkOpen(*m_app);
        if (sameName(member, "Add")) {
            const Variant& templ = automation::argAt(args, 0);
            noFurtherArgs(args, 1, "Add");
            std::size_t sheets = kDefaultSheets;
            if (!templ.isMissing()) {
                if (templ.kind() == Variant::Kind::String || templ.toInt() != kTemplateWorksheet) {
                    throw AutomationError("Workbooks.Add: templates are not supported");
                }
                sheets = 1;
            }
            auto state = std::make_shared<BookState>(sheets);
            m_app->books.push_back(state);
            return Variant(std::make_shared<BookObject>(std::move(state)));
        }
        return Object::call(member, args);
    }

  private:
    std::shared_ptr<AppState> m_app;
};

class ApplicationObject : public Object {
  public:
    Variant get(std::string_view member, Args args) override {
        checkOpen(*m_app);
        if (sameName(member, "Workbooks"))
            return Variant(std::make_shared<BooksObject>(m_app));
        return Object::get(member, args);
    }

    Variant call(std::string_view member, Args args) override {
        if (sameName(member, "Quit")) {
            noFurtherArgs(args, 0, "Quit");
            // Unsaved workbooks are discarded, as with alerts turned off.
            for (auto& book : m_app->books)
                book->closed = true;
            m_app->books.clear();
            m_app->quit = true;
            return Variant();
        }
        checkOpen(*m_app);
        return Object::call(member, args);
    }

  private:
    std::shared_ptr<AppState> m_app = std::make_shared<AppState>();
};

}  // namespace

automation::ObjectPtr CreateExcelApplication() {
    return std::make_shared<ApplicationObject>();
}

}  // namespace vantile::office::excel
