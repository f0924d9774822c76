#include "conversion/fake_office.h"

#include <sstream>
#include <stdexcept>

#include "platform/files.h"

namespace vantile::test {

using automation::Args;
using automation::AutomationError;
using automation::Object;
using automation::sameName;

std::vector<std::string> FakeOffice::log() const {
    std::lock_guard lock(mutex);
    std::vector<std::string> out;
    for (const auto& [excel, line] : m_log)
        out.push_back(line);
    return out;
}

std::vector<std::string> FakeOffice::excelLog() const {
    std::lock_guard lock(mutex);
    std::vector<std::string> out;
    for (const auto& [excel, line] : m_log)
        if (excel)
            out.push_back(line);
    return out;
}

void FakeOffice::record(const std::string& line, bool excel) {
    std::lock_guard lock(mutex);
    m_log.emplace_back(excel, line);
}

std::string describe(const Variant& v) {
    switch (v.kind()) {
        case Variant::Kind::Missing:
            return "missing";
        case Variant::Kind::String:
            return "\"" + v.toString() + "\"";
        case Variant::Kind::Object:
            return "object";
        case Variant::Kind::Null:
            return "null";
        case Variant::Kind::Empty:
            return "empty";
        default:
            return v.toString();
    }
}

std::string describe(Args args) {
    std::string out;
    for (std::size_t i = 0; i < args.size(); ++i)
        out += (i ? "," : "") + describe(args[i]);
    return out;
}

namespace {

using Office = std::shared_ptr<FakeOffice>;

// The base of every fake object: logs as "<Name>.<member>...".
class Fake : public Object {
  public:
    Fake(Office office, std::string name, bool excel) : o(std::move(office)), n(std::move(name)), x(excel) {}

  protected:
    void logGet(std::string_view m, Args a) { o->record(n + "." + std::string(m) + index(a), x); }
    void logPut(std::string_view m, const Variant& v, Args a) {
        o->record(n + "." + std::string(m) + index(a) + "=" + describe(v), x);
    }
    void logCall(std::string_view m, Args a) {
        o->record(n + "." + std::string(m) + "(" + describe(a) + ")", x);
    }
    static std::string index(Args a) { return a.empty() ? "" : "[" + describe(a) + "]"; }
    static Variant obj(std::shared_ptr<Object> p) { return Variant(std::move(p)); }
    Office o;
    std::string n;
    bool x;
};

// --- word processor ----------------------------------------------------------------

class WordRange : public Fake {
  public:
    WordRange(Office of, std::string text) : Fake(std::move(of), "Range", false), t(std::move(text)) {}
    Variant get(std::string_view m, Args a) override {
        logGet(m, a);
        if (sameName(m, "Text"))
            return t;
        unknownMember(m);
    }
    std::string t;
};

class WordCell : public Fake {
  public:
    WordCell(Office of, std::string text) : Fake(std::move(of), "Cell", false), t(std::move(text)) {}
    Variant get(std::string_view m, Args a) override {
        logGet(m, a);
        if (sameName(m, "Range"))
            return obj(std::make_shared<WordRange>(o, t));
        unknownMember(m);
    }
    std::string t;
};

class WordCount : public Fake {
  public:
    WordCount(Office of, std::string name, int count, bool fail, const FakeTable* table)
        : Fake(std::move(of), std::move(name), false), c(count), f(fail), tb(table) {}
    Variant get(std::string_view m, Args a) override {
        logGet(m, a);
        if (sameName(m, "Count")) {
            if (f)
                throw AutomationError("The table's size cannot be read");
            return c;
        }
        unknownMember(m);
    }
    Variant call(std::string_view m, Args a) override {
        logCall(m, a);
        if (sameName(m, "Item") && tb) {
            const auto j = static_cast<std::size_t>(automation::argAt(a, 0).toInt());
            if (j < 1 || j > tb->widths.size())
                throw AutomationError("The requested member of the collection does not exist");
            return obj(std::make_shared<WordColumn>(o, tb->widths[j - 1]));
        }
        unknownMember(m);
    }

  private:
    class WordColumn : public Fake {
      public:
        WordColumn(Office of, double w) : Fake(std::move(of), "Column", false), width(w) {}
        Variant get(std::string_view m, Args a) override {
            logGet(m, a);
            if (sameName(m, "Width"))
                return width;
            unknownMember(m);
        }
        double width;
    };
    int c;
    bool f;
    const FakeTable* tb;
};

class WordTable : public Fake {
  public:
    WordTable(Office of, const FakeTable* table, int k)
        : Fake(std::move(of), "Table" + std::to_string(k), false), t(table) {}
    Variant get(std::string_view m, Args a) override {
        logGet(m, a);
        if (sameName(m, "Columns"))
            return obj(std::make_shared<WordCount>(o, n + ".Columns", t->cols, false, t));
        if (sameName(m, "Rows"))
            return obj(std::make_shared<WordCount>(o, n + ".Rows", t->rows, t->failSize, nullptr));
        unknownMember(m);
    }
    Variant call(std::string_view m, Args a) override {
        logCall(m, a);
        if (sameName(m, "Cell")) {
            auto it = t->cells.find({static_cast<int>(automation::argAt(a, 0).toInt()),
                                     static_cast<int>(automation::argAt(a, 1).toInt())});
            if (it == t->cells.end())
                throw AutomationError("The requested member of the collection does not exist");
            return obj(std::make_shared<WordCell>(o, it->second));
        }
        unknownMember(m);
    }
    const FakeTable* t;
};

class WordTables : public Fake {
  public:
    explicit WordTables(Office of) : Fake(std::move(of), "Tables", false) {}
    Variant get(std::string_view m, Args a) override {
        logGet(m, a);
        if (sameName(m, "Count"))
            return static_cast<int>(o->tables.size());
        unknownMember(m);
    }
    Variant call(std::string_view m, Args a) override {
        logCall(m, a);
        if (sameName(m, "Item")) {
            const auto k = static_cast<std::size_t>(automation::argAt(a, 0).toInt());
            return obj(std::make_shared<WordTable>(o, &o->tables.at(k - 1), static_cast<int>(k)));
        }
        unknownMember(m);
    }
};

class WordDocument : public Fake {
  public:
    explicit WordDocument(Office of) : Fake(std::move(of), "Document", false) {}
    Variant get(std::string_view m, Args a) override {
        logGet(m, a);
        if (sameName(m, "Tables"))
            return obj(std::make_shared<WordTables>(o));
        unknownMember(m);
    }
    Variant call(std::string_view m, Args a) override {
        logCall(m, a);
        if (sameName(m, "Close"))
            return {};
        unknownMember(m);
    }
};

class WordSimple : public Fake {
  public:
    using Fake::Fake;
    Variant call(std::string_view m, Args a) override {
        logCall(m, a);
        if (sameName(m, "Open")) {
            if (o->openError)
                throw AutomationError(*o->openError);
            return obj(std::make_shared<WordDocument>(o));
        }
        if (sameName(m, "Add"))
            return obj(std::make_shared<WordDocument>(o));
        unknownMember(m);
    }
    void put(std::string_view m, const Variant& v, Args a) override { logPut(m, v, a); }
};

class WordApp : public Fake {
  public:
    explicit WordApp(Office of) : Fake(std::move(of), "Word", false) {}
    void put(std::string_view m, const Variant& v, Args a) override {
        logPut(m, v, a);
        if (sameName(m, "Visible") && o->visibleError)
            throw AutomationError(*o->visibleError);
    }
    Variant get(std::string_view m, Args a) override {
        logGet(m, a);
        if (sameName(m, "Version")) {
            if (o->versionFails)
                throw AutomationError("Version unavailable");
            return o->version;
        }
        if (sameName(m, "Documents"))
            return obj(std::make_shared<WordSimple>(o, "Documents", false));
        if (sameName(m, "Options"))
            return obj(std::make_shared<WordSimple>(o, "Options", false));
        unknownMember(m);
    }
    Variant call(std::string_view m, Args a) override {
        logCall(m, a);
        if (sameName(m, "Quit")) {
            std::lock_guard lock(o->mutex);
            ++o->wordQuits;
            return {};
        }
        unknownMember(m);
    }
};

// --- spreadsheet -----------------------------------------------------------------------

struct SheetModel {
    std::string name;
    std::map<std::pair<int, int>, std::string> cells;
    std::map<int, double> widths;
};

class ExcelColumn : public Fake {
  public:
    ExcelColumn(Office of, SheetModel* s, int j) : Fake(std::move(of), "Column", true), sh(s), col(j) {}
    void put(std::string_view m, const Variant& v, Args a) override {
        logPut(m, v, a);
        if (!sameName(m, "ColumnWidth"))
            unknownMember(m);
        sh->widths[col] = v.toDouble();
    }
    SheetModel* sh;
    int col;
};

class ExcelSheet : public Fake {
  public:
    ExcelSheet(Office of, std::shared_ptr<SheetModel> s)
        : Fake(std::move(of), "Sheet", true), sh(std::move(s)) {}
    Variant get(std::string_view m, Args a) override {
        logGet(m, a);
        if (sameName(m, "Columns"))
            return obj(std::make_shared<ExcelColumn>(o, sh.get(),
                                                     static_cast<int>(automation::argAt(a, 0).toInt())));
        unknownMember(m);
    }
    void put(std::string_view m, const Variant& v, Args a) override {
        logPut(m, v, a);
        if (sameName(m, "Name"))
            sh->name = v.toString();
        else if (sameName(m, "Cells"))
            sh->cells[{static_cast<int>(automation::argAt(a, 0).toInt()),
                       static_cast<int>(automation::argAt(a, 1).toInt())}] = v.toString();
        else
            unknownMember(m);
    }
    Variant call(std::string_view m, Args a) override {
        logCall(m, a);
        if (sameName(m, "Select"))
            return {};
        unknownMember(m);
    }
    std::shared_ptr<SheetModel> sh;
};

using Sheets = std::vector<std::shared_ptr<SheetModel>>;

class ExcelSheets : public Fake {
  public:
    ExcelSheets(Office of, std::shared_ptr<Sheets> sheets)
        : Fake(std::move(of), "Worksheets", true), s(std::move(sheets)) {}
    Variant get(std::string_view m, Args a) override {
        logGet(m, a);
        if (sameName(m, "Count"))
            return static_cast<int>(s->size());
        if (sameName(m, "Item"))
            return obj(std::make_shared<ExcelSheet>(
                o, s->at(static_cast<std::size_t>(automation::argAt(a, 0).toInt()) - 1)));
        unknownMember(m);
    }
    Variant call(std::string_view m, Args a) override {
        logCall(m, a);
        if (sameName(m, "Add")) {
            s->push_back(
                std::make_shared<SheetModel>(SheetModel{"Sheet" + std::to_string(s->size() + 1), {}, {}}));
            return {};
        }
        unknownMember(m);
    }
    std::shared_ptr<Sheets> s;
};

class ExcelBook : public Fake {
  public:
    ExcelBook(Office of, int sheets) : Fake(std::move(of), "Workbook", true), s(std::make_shared<Sheets>()) {
        for (int i = 1; i <= sheets; ++i)
            s->push_back(std::make_shared<SheetModel>(SheetModel{"Sheet" + std::to_string(i), {}, {}}));
    }
    Variant get(std::string_view m, Args a) override {
        logGet(m, a);
        if (sameName(m, "Worksheets"))
            return obj(std::make_shared<ExcelSheets>(o, s));
        unknownMember(m);
    }
    Variant call(std::string_view m, Args a) override {
        logCall(m, a);
        if (sameName(m, "SaveAs")) {
            const std::string path = automation::argAt(a, 0).toString();
            {
                std::lock_guard lock(o->mutex);
                o->targetExistedAtSave.push_back(platform::FileExists(path));
            }
            if (o->saveError)
                throw AutomationError(*o->saveError);
            std::ostringstream out;
            for (const auto& sheet : *s) {
                out << "[" << sheet->name << "]\n";
                for (const auto& [col, w] : sheet->widths)
                    out << "width " << col << "=" << w << "\n";
                for (const auto& [pos, text] : sheet->cells)
                    out << pos.first << "," << pos.second << "=" << text << "\n";
            }
            const std::string bytes = out.str();
            platform::WriteFileAtomically(
                path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
            return {};
        }
        if (sameName(m, "Close"))
            return {};
        unknownMember(m);
    }
    std::shared_ptr<Sheets> s;
};

class ExcelBooks : public Fake {
  public:
    explicit ExcelBooks(Office of) : Fake(std::move(of), "Workbooks", true) {}
    Variant call(std::string_view m, Args a) override {
        logCall(m, a);
        if (sameName(m, "Add")) {
            if (o->addBookError)
                throw AutomationError(*o->addBookError);
            return obj(std::make_shared<ExcelBook>(o, o->defaultSheets));
        }
        unknownMember(m);
    }
};

class ExcelApp : public Fake {
  public:
    explicit ExcelApp(Office of) : Fake(std::move(of), "Excel", true) {}
    Variant get(std::string_view m, Args a) override {
        logGet(m, a);
        if (sameName(m, "Workbooks"))
            return obj(std::make_shared<ExcelBooks>(o));
        unknownMember(m);
    }
    Variant call(std::string_view m, Args a) override {
        logCall(m, a);
        if (sameName(m, "Quit")) {
            std::lock_guard lock(o->mutex);
            ++o->excelQuits;
            return {};
        }
        unknownMember(m);
    }
};

}  // namespace

FakeServers::FakeServers(std::shared_ptr<FakeOffice> o, const std::string& wordProgId, bool excel)
    : office(std::move(o)) {
    auto shared = office;
    if (!wordProgId.empty())
        m_word.emplace(wordProgId, [shared]() -> automation::ObjectPtr {
            {
                std::lock_guard lock(shared->mutex);
                ++shared->wordInstances;
            }
            return std::make_shared<WordApp>(shared);
        });
    if (excel)
        m_excel.emplace("Excel.Application", [shared]() -> automation::ObjectPtr {
            {
                std::lock_guard lock(shared->mutex);
                ++shared->excelInstances;
            }
            return std::make_shared<ExcelApp>(shared);
        });
}

FakeTable simpleTable(int rows, int cols, const std::string& prefix) {
    FakeTable t;
    t.rows = rows;
    t.cols = cols;
    t.widths.assign(static_cast<std::size_t>(cols), 54.0);
    for (int i = 1; i <= rows; ++i)
        for (int j = 1; j <= cols; ++j)
            t.cells[{i, j}] = prefix + "r" + std::to_string(i) + "c" + std::to_string(j) + "\r\a";
    return t;
}

}  // namespace vantile::test
