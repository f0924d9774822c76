#include "office/word/word_application.h"

#include <memory>
#include <string>
#include <vector>

#include "office/word/docx_reader.h"
#include "office/word/table_layout.h"
#include "office/word/word_reader.h"
#include "platform/files.h"

namespace vantile::office::word {
namespace {

using automation::argAt;
using automation::Args;
using automation::AutomationError;
using automation::Object;
using automation::ObjectPtr;
using automation::sameName;
using automation::Variant;

constexpr const char* kNoSuchMember = "The requested member of the collection does not exist.";

// One open document as the objects below share it; they stay usable only while it is open.
struct DocumentState {
    Document doc;
    std::vector<TableLayout> layouts;
    std::string fullName;  // path, or "Document<n>" for a new document
    bool readOnly = false;
    bool open = true;

    void ensureOpen() const {
        if (!open)
            throw AutomationError("Object has been deleted.");
    }
};
using StatePtr = std::shared_ptr<DocumentState>;

// A one-based index argument: the position within 1..count, or the collection error.
std::size_t indexArg(Args args, std::size_t i, std::size_t count) {
    const Variant& v = argAt(args, i);
    if (v.isMissing() || v.isEmpty())
        throw AutomationError("Argument not optional.");
    const std::int64_t k = v.toInt();
    if (k < 1 || static_cast<std::uint64_t>(k) > count)
        throw AutomationError(kNoSuchMember);
    return static_cast<std::size_t>(k - 1);
}

class RangeObject final : public Object {
  public:
    RangeObject(StatePtr state, const TableCell* cell) : m_state(std::move(state)), m_cell(cell) {}
    Variant get(std::string_view member, Args args) override {
        m_state->ensureOpen();
        // The cell's text ends with the end-of-cell mark, CR + BEL.
        if (sameName(member, "Text")) {
            std::string text;
            text.reserve(m_cell->text.size() + 2);
            text += m_cell->text;
            text += "\r\a";
            return Variant(std::move(text));
        }
        return Object::get(member, args);
    }

  private:
    StatePtr m_state;
    const TableCell* m_cell;
};

class CellObject final : public Object {
  public:
    CellObject(StatePtr state, const TableCell* cell, std::int64_t row, std::int64_t column)
        : m_state(std::move(state)), m_cell(cell), m_row(row), m_column(column) {}
    Variant get(std::string_view member, Args args) override {
        m_state->ensureOpen();
        if (sameName(member, "Range"))
            return Variant(std::make_shared<RangeObject>(m_state, m_cell));
        if (sameName(member, "RowIndex"))
            return Variant(m_row);
        if (sameName(member, "ColumnIndex"))
            return Variant(m_column);
        return Object::get(member, args);
    }

  private:
    StatePtr m_state;
    const TableCell* m_cell;
    std::int64_t m_row;
    std::int64_t m_column;
};

class ColumnObject final : public Object {
  public:
    ColumnObject(StatePtr state, const Table* table, std::size_t index)
        : m_state(std::move(state)), m_table(table), m_index(index) {}
    Variant get(std::string_view member, Args args) override {
        m_state->ensureOpen();
        if (sameName(member, "Width")) {
            // Points; the grid gives twips.
            if (m_index < m_table->gridTwips.size() && m_table->gridTwips[m_index]) {
                return Variant(static_cast<double>(*m_table->gridTwips[m_index]) / 20.0);
            }
            throw AutomationError("The document gives no width for column " + std::to_string(m_index + 1) +
                                  ".");
        }
        if (sameName(member, "Index"))
            return Variant(static_cast<std::int64_t>(m_index + 1));
        return Object::get(member, args);
    }

  private:
    StatePtr m_state;
    const Table* m_table;
    std::size_t m_index;
};

class ColumnsObject final : public Object {
  public:
    ColumnsObject(StatePtr state, std::size_t table) : m_state(std::move(state)), m_table(table) {}
    Variant get(std::string_view member, Args args) override {
        m_state->ensureOpen();
        const std::size_t count = m_state->layouts[m_table].columnCount();
        if (sameName(member, "Count"))
            return Variant(static_cast<std::int64_t>(count));
        if (sameName(member, "Item")) {
            return Variant(std::make_shared<ColumnObject>(m_state, &m_state->doc.tables[m_table],
                                                          indexArg(args, 0, count)));
        }
        return Object::get(member, args);
    }

  private:
    StatePtr m_state;
    std::size_t m_table;
};

class RowsObject final : public Object {
  public:
    RowsObject(StatePtr state, std::size_t table) : m_state(std::move(state)), m_table(table) {}
    Variant get(std::string_view member, Args args) override {
        m_state->ensureOpen();
        if (sameName(member, "Count")) {
            return Variant(static_cast<std::int64_t>(m_state->layouts[m_table].rowCount()));
        }
        return Object::get(member, args);
    }

  private:
    StatePtr m_state;
    std::size_t m_table;
};

class TableObject final : public Object {
  public:
    TableObject(StatePtr state, std::size_t table) : m_state(std::move(state)), m_table(table) {}
    Variant get(std::string_view member, Args args) override {
        m_state->ensureOpen();
        if (sameName(member, "Cell")) {
            const TableLayout& layout = m_state->layouts[m_table];
            const Variant& row = argAt(args, 0);
            const Variant& column = argAt(args, 1);
            if (row.isMissing() || column.isMissing())
                throw AutomationError("Argument not optional.");
            const std::int64_t i = row.toInt();
            const std::int64_t j = column.toInt();
            const TableCell* cell = nullptr;
            if (i >= 1 && j >= 1 && i <= layout.rowCount() && j <= layout.columnCount()) {
                cell = layout.cellAt(static_cast<std::uint32_t>(i - 1), static_cast<std::uint32_t>(j - 1));
            }
            if (!cell)
                throw AutomationError(kNoSuchMember);
            return Variant(std::make_shared<CellObject>(m_state, cell, i, j));
        }
        if (sameName(member, "Rows"))
            return Variant(std::make_shared<RowsObject>(m_state, m_table));
        if (sameName(member, "Columns"))
            return Variant(std::make_shared<ColumnsObject>(m_state, m_table));
        if (sameName(member, "NestingLevel"))
            return Variant(1);
        return Object::get(member, args);
    }

  private:
    StatePtr m_state;
    std::size_t m_table;
};

class TablesObject final : public Object {
  public:
    explicit TablesObject(StatePtr state) : m_state(std::move(state)) {}
    Variant get(std::string_view member, Args args) override {
        m_state->ensureOpen();
        const std::size_t count = m_state->doc.tables.size();
        if (sameName(member, "Count"))
            return Variant(static_cast<std::int64_t>(count));
        if (sameName(member, "Item"))
            return Variant(std::make_shared<TableObject>(m_state, indexArg(args, 0, count)));
        return Object::get(member, args);
    }

  private:
    StatePtr m_state;
};

class DocumentObject;

// What the application and its Documents collection share.
struct Server {
    bool quit = false;
    std::vector<std::shared_ptr<DocumentObject>> open;
    unsigned created = 0;

    void ensureRunning() const {
        if (quit)
            throw AutomationError("The word processor has quit.");
    }
};

class DocumentObject final : public Object {
  public:
    DocumentObject(StatePtr state, std::weak_ptr<Server> server)
        : m_state(std::move(state)), m_server(server) {}

    Variant get(std::string_view member, Args args) override {
        m_state->ensureOpen();
        if (sameName(member, "Tables"))
            return Variant(std::make_shared<TablesObject>(m_state));
        if (sameName(member, "HasVBProject"))
            return Variant(m_state->doc.hasVBProject);
        if (sameName(member, "FullName"))
            return Variant(m_state->fullName);
        if (sameName(member, "Name"))
            return Variant(platform::ExtractFileName(m_state->fullName));
        if (sameName(member, "Path")) {
            std::string folder = platform::ExtractFilePath(m_state->fullName);
            if (folder.size() > 1)
                folder.pop_back();
            return Variant(folder);
        }
        if (sameName(member, "ReadOnly"))
            return Variant(m_state->readOnly);
        if (sameName(member, "Saved"))
            return Variant(true);
        return Object::get(member, args);
    }

    Variant call(std::string_view member, Args args) override {
        // Close(SaveChanges): the engine never changes a document, so there is nothing to save.
        if (sameName(member, "Close")) {
            m_state->ensureOpen();
            close();
            return {};
        }
        return get(member, args);
    }

    void close() {
        m_state->open = false;
        // The document's memory goes as soon as the last object using it is released.
        m_state->doc = Document{};
        m_state->layouts.clear();
        if (const auto server = m_server.lock()) {
            auto& docs = server->open;
            for (auto it = docs.begin(); it != docs.end(); ++it) {
                if (it->get() == this) {
                    docs.erase(it);
                    break;
                }
            }
        }
    }

  private:
    StatePtr m_state;
    std::weak_ptr<Server> m_server;
};

std::shared_ptr<DocumentState> loadDocument(const std::string& path) {
    if (!platform::FileExists(path))
        throw AutomationError("The file could not be found: " + path);
    std::vector<std::uint8_t> bytes;
    try {
        bytes = platform::ReadFileBytes(path, kMaxDocumentBytes);
    } catch (const platform::FileError& e) {
        throw AutomationError(e.what());
    }
    auto state = std::make_shared<DocumentState>();
    try {
        state->doc = ReadWordDocument(bytes, path);
    } catch (const NotWordPackageError&) {
        throw AutomationError("Not a Word document: " + path);
    } catch (const DocumentError& e) {
        throw AutomationError(e.what());
    }
    state->fullName = path;
    return state;
}

void buildLayouts(DocumentState& state) {
    state.layouts.reserve(state.doc.tables.size());
    for (auto& table : state.doc.tables)
        state.layouts.emplace_back(table);
}

class DocumentsObject final : public Object {
  public:
    explicit DocumentsObject(std::shared_ptr<Server> server) : m_server(std::move(server)) {}

    Variant get(std::string_view member, Args args) override {
        m_server->ensureRunning();
        const auto& open = m_server->open;
        if (sameName(member, "Count"))
            return Variant(static_cast<std::int64_t>(open.size()));
        if (sameName(member, "Item"))
            return Variant(ObjectPtr(open[indexArg(args, 0, open.size())]));
        return Object::get(member, args);
    }

    Variant call(std::string_view member, Args args) override {
        m_server->ensureRunning();
        // Open(FileName, ConfirmConversions, ReadOnly, AddToRecentFiles, PasswordDocument, ...).
        // The engine never asks for a password: a protected document fails to open whatever is given.
        if (sameName(member, "Open")) {
            const Variant& name = argAt(args, 0);
            if (name.isMissing() || name.isEmpty())
                throw AutomationError("Argument not optional.");
            auto state = loadDocument(name.toString());
            const Variant& readOnly = argAt(args, 2);
            state->readOnly = !readOnly.isMissing() && readOnly.toBool();
            return add(std::move(state));
        }
        // Add(Template, NewTemplate, DocumentType, Visible): a new, empty document.
        if (sameName(member, "Add")) {
            auto state = std::make_shared<DocumentState>();
            state->fullName = "Document" + std::to_string(++m_server->created);
            return add(std::move(state));
        }
        return get(member, args);
    }

  private:
    Variant add(std::shared_ptr<DocumentState> state) {
        buildLayouts(*state);
        auto doc = std::make_shared<DocumentObject>(std::move(state), m_server);
        m_server->open.push_back(doc);
        return Variant(ObjectPtr(doc));
    }

    std::shared_ptr<Server> m_server;
};

class OptionsObject final : public Object {
  public:
    Variant get(std::string_view member, Args args) override {
        if (sameName(member, "UpdateFieldsAtPrint"))
            return Variant(m_updateFields);
        if (sameName(member, "UpdateLinksAtPrint"))
            return Variant(m_updateLinks);
        return Object::get(member, args);
    }
    // Accepted and kept; the engine neither prints nor updates fields.
    void put(std::string_view member, const Variant& value, Args args) override {
        if (sameName(member, "UpdateFieldsAtPrint")) {
            m_updateFields = value.toBool();
        } else if (sameName(member, "UpdateLinksAtPrint")) {
            m_updateLinks = value.toBool();
        } else {
            Object::put(member, value, args);
        }
    }

  private:
    bool m_updateFields = true;
    bool m_updateLinks = true;
};

class ApplicationObject final : public Object {
  public:
    ApplicationObject()
        : m_server(std::make_shared<Server>()),
          m_documents(std::make_shared<DocumentsObject>(m_server)),
          m_options(std::make_shared<OptionsObject>()) {}
    ~ApplicationObject() override { closeAll(); }

    Variant get(std::string_view member, Args args) override {
        m_server->ensureRunning();
        if (sameName(member, "Documents"))
            return Variant(ObjectPtr(m_documents));
        if (sameName(member, "Options"))
            return Variant(ObjectPtr(m_options));
        if (sameName(member, "Version"))
            return Variant("16.0");
        if (sameName(member, "Name"))
            return Variant("Microsoft Word");
        if (sameName(member, "Visible"))
            return Variant(m_visible);
        if (sameName(member, "WindowState"))
            return Variant(m_windowState);
        if (sameName(member, "DisplayAlerts"))
            return Variant(m_displayAlerts);
        if (sameName(member, "Path"))
            return Variant(programFolder());
        return Object::get(member, args);
    }

    // The engine has no window: the settings are kept and read back, nothing else.
    void put(std::string_view member, const Variant& value, Args args) override {
        m_server->ensureRunning();
        if (sameName(member, "Visible")) {
            m_visible = value.toBool();
        } else if (sameName(member, "WindowState")) {
            m_windowState = value.toInt();
        } else if (sameName(member, "DisplayAlerts")) {
            m_displayAlerts = value.toInt();
        } else {
            Object::put(member, value, args);
        }
    }

    Variant call(std::string_view member, Args args) override {
        // Quit(SaveChanges): documents are never changed, so all are closed unsaved.
        if (sameName(member, "Quit")) {
            m_server->ensureRunning();
            closeAll();
            m_server->quit = true;
            return {};
        }
        return get(member, args);
    }

  private:
    void closeAll() {
        const auto docs = std::move(m_server->open);
        m_server->open.clear();
        for (const auto& doc : docs)
            doc->close();
    }

    static std::string programFolder() {
        std::string folder = platform::ExtractFilePath(platform::ExecutablePath());
        if (folder.size() > 1)
            folder.pop_back();
        return folder;
    }

    std::shared_ptr<Server> m_server;
    std::shared_ptr<DocumentsObject> m_documents;
    std::shared_ptr<OptionsObject> m_options;
    bool m_visible = false;
    std::int64_t m_windowState = 0;     // wdWindowStateNormal
    std::int64_t m_displayAlerts = -1;  // wdAlertsAll
};

}  // namespace

automation::ObjectPtr CreateWordApplication() {
    return std::make_shared<ApplicationObject>();
}

}  // namespace vantile::office::word
