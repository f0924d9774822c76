#include "office/word/docx_tables.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "office/word/docx_reader.h"
#include "office/word/docx_xml.h"
#include "platform/unicode.h"

namespace vantile::office::word::docx {
namespace {

constexpr std::string_view kMarkupCompatibilityNs =
    "http://schemas.openxmlformats.org/markup-compatibility/2006";
constexpr std::string_view kMathNs = "http://schemas.openxmlformats.org/officeDocument/2006/math";
constexpr std::string_view kMathStrictNs = "http://purl.oclc.org/ooxml/officeDocument/math";
constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
// Deeper field nesting than this is only counted, not remembered.
constexpr std::size_t kMaxFieldDepth = 64;

enum class Tok : std::uint8_t {
    Other,
    Skip,  // content that is no part of the main text: left out with all it holds
    Document,
    Tbl,
    TblGrid,
    GridCol,
    Tr,
    TrPr,
    GridBefore,
    Tc,
    TcPr,
    GridSpan,
    VMerge,
    HMerge,
    TcW,
    P,
    PPr,
    R,
    RPr,
    T,
    Tab,
    Br,
    Cr,
    NoBreakHyphen,
    Sym,
    FldChar,
    Del,
    Vanish,
    AlternateContent,
    Choice,
    Fallback,
};

// The WordprocessingML elements this reader acts on; every other one is looked through.
// Skipped: field codes, deleted text, ruby annotations, the properties of content controls
// and custom XML (placeholder text lives there), drawings and text boxes (stories of their
// own), and the former properties kept by tracked changes (their old grid is no grid).
// w:del and w:moveFrom wrap deleted content; as run properties they mark a deleted paragraph mark.
Tok wordElement(std::string_view local) {
    switch (local.size()) {
        case 1:
            if (local == "p")
                return Tok::P;
            if (local == "r")
                return Tok::R;
            if (local == "t")
                return Tok::T;
            break;
        case 2:
            if (local == "tr")
                return Tok::Tr;
            if (local == "tc")
                return Tok::Tc;
            if (local == "br")
                return Tok::Br;
            if (local == "cr")
                return Tok::Cr;
            if (local == "rt")
                return Tok::Skip;
            break;
        case 3:
            if (local == "tbl")
                return Tok::Tbl;
            if (local == "tcW")
                return Tok::TcW;
            if (local == "pPr")
                return Tok::PPr;
            if (local == "rPr")
                return Tok::RPr;
            if (local == "tab")
                return Tok::Tab;
            if (local == "sym")
                return Tok::Sym;
            if (local == "del")
                return Tok::Del;
            break;
        case 4:
            if (local == "trPr")
                return Tok::TrPr;
            if (local == "tcPr")
                return Tok::TcPr;
            if (local == "ptab")
                return Tok::Tab;
            if (local == "pict")
                return Tok::Skip;
            break;
        case 5:
            if (local == "sdtPr")
                return Tok::Skip;
            break;
        case 6:
            if (local == "vMerge")
                return Tok::VMerge;
            if (local == "hMerge")
                return Tok::HMerge;
            if (local == "vanish")
                return Tok::Vanish;
            if (local == "object")
                return Tok::Skip;
            break;
        case 7:
            if (local == "tblGrid")
                return Tok::TblGrid;
            if (local == "gridCol")
                return Tok::GridCol;
            if (local == "fldChar")
                return Tok::FldChar;
            if (local == "delText")
                return Tok::Skip;
            if (local == "fldData")
                return Tok::Skip;
            if (local == "drawing")
                return Tok::Skip;
            break;
        case 8:
            if (local == "document")
                return Tok::Document;
            if (local == "gridSpan")
                return Tok::GridSpan;
            if (local == "moveFrom")
                return Tok::Del;
            if (local == "sdtEndPr")
                return Tok::Skip;
            break;
        case 9:
            if (local == "instrText")
                return Tok::Skip;
            if (local == "rPrChange")
                return Tok::Skip;
            if (local == "pPrChange")
                return Tok::Skip;
            break;
        case 10:
            if (local == "gridBefore")
                return Tok::GridBefore;
            if (local == "smartTagPr")
                return Tok::Skip;
            if (local == "background")
                return Tok::Skip;
            if (local == "trPrChange")
                return Tok::Skip;
            if (local == "tcPrChange")
                return Tok::Skip;
            break;
        case 11:
            if (local == "customXmlPr")
                return Tok::Skip;
            if (local == "txbxContent")
                return Tok::Skip;
            if (local == "tblPrChange")
                return Tok::Skip;
            break;
        case 12:
            if (local == "delInstrText")
                return Tok::Skip;
            if (local == "sectPrChange")
                return Tok::Skip;
            break;
        case 13:
            if (local == "noBreakHyphen")
                return Tok::NoBreakHyphen;
            if (local == "tblPrExChange")
                return Tok::Skip;
            if (local == "tblGridChange")
                return Tok::Skip;
            break;
        case 15:
            if (local == "numberingChange")
                return Tok::Skip;
            break;
        default:
            break;
    }
    return Tok::Other;
}

bool isWordNs(std::string_view ns) {
    return ns == kWordNs || ns == kWordStrictNs;
}

Tok classify(bool word, std::string_view ns, std::string_view local) {
    if (word) {
        return wordElement(local);
    }
    if (ns == kMarkupCompatibilityNs) {
        if (local == "AlternateContent")
            return Tok::AlternateContent;
        if (local == "Choice")
            return Tok::Choice;
        if (local == "Fallback")
            return Tok::Fallback;
        return Tok::Other;
    }
    if ((ns == kMathNs || ns == kMathStrictNs) && local == "t")
        return Tok::T;
    return Tok::Other;
}

// ST_OnOff: absent value means on.
bool isOn(const char* value) {
    if (!value)
        return true;
    const std::string_view v(value);
    return !(v == "0" || v == "false" || v == "off");
}

// A non-negative decimal number; a fraction is cut off, and values too large saturate.
std::optional<std::uint64_t> parseUnsigned(const char* value) {
    if (!value)
        return std::nullopt;
    std::string_view v(value);
    while (!v.empty() && v.front() == ' ')
        v.remove_prefix(1);
    if (!v.empty() && v.front() == '+')
        v.remove_prefix(1);
    std::uint64_t n = 0;
    std::size_t digits = 0;
    for (char c : v) {
        if (c < '0' || c > '9')
            break;
        n = n > (UINT64_MAX - 9) / 10 ? UINT64_MAX : n * 10 + static_cast<unsigned>(c - '0');
        ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    return n;
}

std::uint32_t clampColumns(std::uint64_t n) {
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(n, kMaxColumns));
}

std::optional<std::uint32_t> twips(const char* value) {
    return value ? ParseTwips(value) : std::nullopt;
}

// Where the grid and a row stand while a top-level table is read.
struct Frame {
    std::size_t tbl;  // element depth of the w:tbl
    std::size_t row = kNone;
    std::size_t cell = kNone;
};

class MainDocumentReader final : public XmlHandler {
  public:
    MainDocumentReader(Document& doc) : m_doc(doc) {}
    void setParser(const XmlParser* parser) { m_parser = parser; }
    bool sawRoot() const { return m_rootSeen; }

    void startElement(std::string_view ns, std::string_view local, const XmlAttributes& atts) override {
        if (m_skip) {
            ++m_skip;
            return;
        }
        const bool word = isWord(ns);
        const Tok tok = classify(word, ns, local);
        const std::size_t depth = m_stack.size();
        if (!m_rootSeen) {
            m_rootSeen = true;
            if (tok != Tok::Document) {
                throw NotWordPackageError(
                    "Not a Word document: the main part is no WordprocessingML document");
            }
        }
        if (word)
            m_wordNs = ns == kWordStrictNs ? kWordStrictNs : kWordNs;
        switch (tok) {
            case Tok::Skip:
                m_skip = 1;
                return;
            case Tok::AlternateContent:
                m_alternates.push_back(false);
                break;
            case Tok::Choice:
            case Tok::Fallback:
                // The first branch this reader understands is taken; the others repeat the same content.
                if (m_alternates.empty() || m_alternates.back() ||
                    (tok == Tok::Choice && !understood(atts.find("Requires")))) {
                    m_skip = 1;
                    return;
                }
                m_alternates.back() = true;
                break;
            case Tok::Del: {
                const Tok parent = parentAt(depth, 1);
                if (parent == Tok::RPr && parentAt(depth, 2) == Tok::PPr) {
                    m_markDeleted = true;
                } else if (parent != Tok::RPr && parent != Tok::TrPr) {
                    // As a row property it only marks the row as a tracked deletion: the row
                    // stays, as it does in the word processor until the change is accepted.
                    m_skip = 1;
                    return;
                }
                break;
            }
            case Tok::Tbl:
                startTable(depth);
                break;
            case Tok::GridCol:
                if (m_frames.size() == 1 && !m_gridDone && parentAt(depth, 1) == Tok::TblGrid &&
                    depth == m_frames[0].tbl + 2) {
                    auto& grid = m_doc.tables.back().gridTwips;
                    if (grid.size() < kMaxColumns) {
                        const auto width = twips(attr(atts, "w"));
                        grid.push_back(width && *width > 0 ? width : std::nullopt);
                    }
                }
                break;
            case Tok::Tr:
                startRow(depth);
                break;
            case Tok::GridBefore:
                if (topRowProperty(depth)) {
                    m_doc.tables.back().rows.back().gridBefore =
                        clampColumns(parseUnsigned(attr(atts, "val")).value_or(0));
                }
                break;
            case Tok::Tc:
                startCell(depth);
                break;
            case Tok::GridSpan:
                if (topCellProperty(depth)) {
                    currentCell().gridSpan = std::max<std::uint32_t>(
                        clampColumns(parseUnsigned(attr(atts, "val")).value_or(1)), 1);
                }
                break;
            case Tok::VMerge:
                if (topCellProperty(depth)) {
                    const char* val = attr(atts, "val");
                    currentCell().vMerge = val && std::string_view(val) == "restart"
                                               ? VerticalMerge::Restart
                                               : VerticalMerge::Continue;
                }
                break;
            case Tok::HMerge:
                if (topCellProperty(depth)) {
                    const char* val = attr(atts, "val");
                    m_cellMergesLeft = !(val && std::string_view(val) == "restart");
                }
                break;
            case Tok::TcW:
                if (topCellProperty(depth)) {
                    const char* type = attr(atts, "type");
                    if (!type || std::string_view(type) == "dxa")
                        m_cellWidth = twips(attr(atts, "w"));
                }
                break;
            case Tok::P:
                m_markDeleted = false;
                break;
            case Tok::R:
                ++m_runDepth;
                m_runHidden = false;
                break;
            case Tok::Vanish:
                if (parentAt(depth, 1) == Tok::RPr && parentAt(depth, 2) == Tok::R)
                    m_runHidden = isOn(attr(atts, "val"));
                break;
            case Tok::T:
                m_inText = true;
                break;
            case Tok::Tab:
                if (m_runDepth)
                    emit("\t");
                break;
            case Tok::Br:
                if (m_runDepth) {
                    const char* type = attr(atts, "type");
                    const std::string_view t = type ? type : "";
                    emit(t == "page" ? "\f" : t == "column" ? "\x0E" : "\v");
                }
                break;
            case Tok::Cr:
                if (m_runDepth)
                    emit("\v");
                break;
            case Tok::NoBreakHyphen:
                if (m_runDepth)
                    emit("-");
                break;
            case Tok::Sym:
                if (m_runDepth)
                    emitSymbol(attr(atts, "char"));
                break;
            case Tok::FldChar:
                fieldChar(attr(atts, "fldCharType"));
                break;
            default:
                break;
        }
        m_stack.push_back(tok);
    }

    void endElement(std::string_view, std::string_view) override {
        if (m_skip) {
            --m_skip;
            return;
        }
        const Tok tok = m_stack.back();
        m_stack.pop_back();
        const std::size_t depth = m_stack.size();
        switch (tok) {
            case Tok::AlternateContent:
                m_alternates.pop_back();
                break;
            case Tok::T:
                m_inText = false;
                break;
            case Tok::R:
                --m_runDepth;
                m_runHidden = false;
                break;
            case Tok::P:
                if (m_text && !m_markDeleted) {
                    m_text->push_back('\r');
                    m_lastParagraphEnd = true;
                }
                m_markDeleted = false;
                break;
            case Tok::Tc:
                if (!m_frames.empty() && m_frames.back().cell == depth)
                    endCell();
                break;
            case Tok::Tr:
                if (!m_frames.empty() && m_frames.back().row == depth)
                    endRow();
                break;
            case Tok::Tbl:
                if (!m_frames.empty() && m_frames.back().tbl == depth)
                    endTable();
                break;
            default:
                break;
        }
    }

    void characters(std::string_view text) override {
        if (m_inText && !m_skip)
            emit(text);
    }

  private:
    // Whether ns is a WordprocessingML namespace, remembered for the namespace text last seen.
    bool isWord(std::string_view ns) {
        if (m_parser && ns.data() == m_lastNs.data() && ns.size() == m_lastNs.size() &&
            m_parser->generation() == m_lastGeneration)
            return m_lastWasWord;
        m_lastNs = ns;
        m_lastGeneration = m_parser ? m_parser->generation() : 0;
        m_lastWasWord = isWordNs(ns);
        return m_lastWasWord;
    }

    const char* attr(const XmlAttributes& atts, std::string_view local) const {
        return atts.find(m_wordNs, local);
    }

    Tok parentAt(std::size_t depth, std::size_t up) const {
        return depth >= up ? m_stack[depth - up] : Tok::Other;
    }

    // A child of w:trPr of the current top-level row.
    bool topRowProperty(std::size_t depth) const {
        return m_frames.size() == 1 && m_frames[0].row != kNone && m_frames[0].cell == kNone &&
               depth == m_frames[0].row + 2 && parentAt(depth, 1) == Tok::TrPr;
    }
    // A child of w:tcPr of the current top-level cell.
    bool topCellProperty(std::size_t depth) const {
        return m_frames.size() == 1 && m_frames[0].cell != kNone && depth == m_frames[0].cell + 2 &&
               parentAt(depth, 1) == Tok::TcPr;
    }

    TableCell& currentCell() { return m_doc.tables.back().rows.back().cells.back(); }

    bool understood(const char* required) const {
        if (!required || !m_parser)
            return false;
        std::string_view list(required);
        bool any = false;
        while (!list.empty()) {
            const auto cut = list.find(' ');
            const std::string_view prefix = list.substr(0, cut);
            list = cut == std::string_view::npos ? std::string_view() : list.substr(cut + 1);
            if (prefix.empty())
                continue;
            const std::string_view ns = m_parser->namespaceOf(prefix);
            if (!isWordNs(ns) && ns != kMathNs && ns != kMathStrictNs)
                return false;
            any = true;
        }
        return any;
    }

    void emit(std::string_view text) {
        if (!m_text || m_instructionDepth || m_runHidden)
            return;
        m_text->append(text);
        m_lastParagraphEnd = false;
    }

    void emitSymbol(const char* hex) {
        if (!hex)
            return;
        std::uint32_t cp = 0;
        const std::string_view v(hex);
        const auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), cp, 16);
        if (ec != std::errc() || ptr != v.data() + v.size())
            return;
        if (cp < 0x20 || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            return;
        std::string utf8;
        platform::AppendUtf8(utf8, cp);
        emit(utf8);
    }

    // Field results are text; instructions (between begin and separate) are not.
    void fieldChar(const char* type) {
        if (!type)
            return;
        const std::string_view t(type);
        if (t == "begin") {
            ++m_fieldDepth;
            ++m_instructionDepth;
            if (m_fieldDepth <= kMaxFieldDepth)
                m_inInstruction.push_back(true);
        } else if (t == "separate") {
            if (m_fieldDepth == 0)
                return;
            if (m_fieldDepth <= kMaxFieldDepth) {
                if (!m_inInstruction.back())
                    return;
                m_inInstruction.back() = false;
            }
            if (m_instructionDepth)
                --m_instructionDepth;
        } else if (t == "end") {
            if (m_fieldDepth == 0)
                return;
            const bool inInstruction = m_fieldDepth > kMaxFieldDepth || m_inInstruction.back();
            if (m_fieldDepth <= kMaxFieldDepth)
                m_inInstruction.pop_back();
            if (inInstruction && m_instructionDepth)
                --m_instructionDepth;
            --m_fieldDepth;
        }
    }

    void startTable(std::size_t depth) {
        if (m_frames.empty()) {
            m_doc.tables.emplace_back();
            m_gridDone = false;
            m_widths.clear();
        } else if (m_frames.size() == 1 && m_frames[0].cell == kNone) {
            // A table where only rows may stand: its grid is not this table's.
            m_gridDone = true;
        }
        m_frames.push_back(Frame{depth});
    }

    void startRow(std::size_t depth) {
        if (m_frames.empty() || m_frames.back().row != kNone)
            return;
        m_frames.back().row = depth;
        if (m_frames.size() == 1) {
            // The grid comes before the first row; a later w:tblGrid is no grid.
            m_gridDone = true;
            m_doc.tables.back().rows.emplace_back();
            m_rowColumn = 0;
        }
    }

    void startCell(std::size_t depth) {
        if (m_frames.empty() || m_frames.back().row == kNone || m_frames.back().cell != kNone)
            return;
        m_frames.back().cell = depth;
        if (m_frames.size() == 1) {
            auto& row = m_doc.tables.back().rows.back();
            if (row.cells.empty())
                m_rowColumn = row.gridBefore;
            row.cells.emplace_back();
            m_text = &row.cells.back().text;
            m_lastParagraphEnd = false;
            m_cellMergesLeft = false;
            m_cellWidth.reset();
        }
    }

    void endCell() {
        m_frames.back().cell = kNone;
        if (m_frames.size() > 1) {
            // A nested cell's text stays inline in the enclosing cell, with its end-of-cell mark.
            if (m_text)
                m_text->append(m_lastParagraphEnd ? "\a" : "\r\a");
            m_lastParagraphEnd = false;
            return;
        }
        auto& row = m_doc.tables.back().rows.back();
        TableCell& cell = row.cells.back();
        // The last paragraph mark of a cell is its end-of-cell mark.
        if (m_lastParagraphEnd && !cell.text.empty())
            cell.text.pop_back();
        m_text = nullptr;
        m_lastParagraphEnd = false;
        if (m_cellMergesLeft && row.cells.size() >= 2) {
            // A legacy horizontal merge: the cell belongs to the one on its left.
            TableCell& left = row.cells[row.cells.size() - 2];
            const std::uint32_t span = std::min<std::uint32_t>(cell.gridSpan, kMaxColumns - m_rowColumn);
            if (!cell.text.empty()) {
                if (!left.text.empty())
                    left.text.push_back('\r');
                left.text += cell.text;
            }
            left.gridSpan += span;
            m_rowColumn += span;
            row.cells.pop_back();
            return;
        }
        if (m_rowColumn >= kMaxColumns) {
            row.cells.pop_back();
            return;
        }
        cell.gridSpan = std::min<std::uint32_t>(cell.gridSpan, kMaxColumns - m_rowColumn);
        if (cell.gridSpan == 1 && m_cellWidth && *m_cellWidth > 0)
            m_widths.emplace_back(m_rowColumn, *m_cellWidth);
        m_rowColumn += cell.gridSpan;
    }

    void endRow() {
        m_frames.back().row = kNone;
        if (m_frames.size() > 1) {
            if (m_text)
                m_text->append("\r\a");
            m_lastParagraphEnd = false;
            return;
        }
    }

    void endTable() {
        m_frames.pop_back();
        if (!m_frames.empty())
            return;
        Table& table = m_doc.tables.back();
        if (table.rows.empty()) {
            m_doc.tables.pop_back();
            return;
        }
        // Producers that write no grid (or a grid of zeros) still give cell widths.
        for (const auto& [column, twips] : m_widths) {
            if (column >= table.gridTwips.size()) {
                if (column >= kMaxColumns)
                    continue;
                table.gridTwips.resize(column + 1);
            }
            if (!table.gridTwips[column])
                table.gridTwips[column] = twips;
        }
    }

    Document& m_doc;
    const XmlParser* m_parser = nullptr;
    std::string_view m_wordNs = kWordNs;
    std::string_view m_lastNs;
    std::uint64_t m_lastGeneration = 0;
    bool m_lastWasWord = false;
    std::vector<Tok> m_stack;
    std::size_t m_skip = 0;
    bool m_rootSeen = false;
    std::vector<bool> m_alternates;
    std::vector<Frame> m_frames;
    // Fields.
    std::vector<bool> m_inInstruction;
    std::size_t m_fieldDepth = 0;
    std::size_t m_instructionDepth = 0;
    // Runs and paragraphs.
    std::size_t m_runDepth = 0;
    bool m_runHidden = false;
    bool m_inText = false;
    bool m_markDeleted = false;
    // The current top-level table, row and cell.
    std::string* m_text = nullptr;
    bool m_lastParagraphEnd = false;
    bool m_gridDone = false;
    std::uint32_t m_rowColumn = 0;
    bool m_cellMergesLeft = false;
    std::optional<std::uint32_t> m_cellWidth;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_widths;  // grid column, twips of one-column cells
};

}  // namespace

std::optional<std::uint32_t> ParseTwips(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || !std::isfinite(value) || value < 0)
        return std::nullopt;
    const std::string_view unit(ptr, static_cast<std::size_t>(text.data() + text.size() - ptr));
    double factor = 0;
    if (unit.empty()) {
        factor = 1;
    } else if (unit == "pt") {
        factor = 20;
    } else if (unit == "in") {
        factor = 1440;
    } else if (unit == "cm") {
        factor = 1440 / 2.54;
    } else if (unit == "mm") {
        factor = 144 / 2.54;
    } else if (unit == "pc" || unit == "pi") {
        factor = 240;
    } else {
        return std::nullopt;
    }
    const double twips = std::round(value * factor);
    if (twips > 1e9)
        return std::nullopt;
    return static_cast<std::uint32_t>(twips);
}

void ReadMainDocument(const container::ZipArchive& zip, const container::ZipEntry& part, Document& doc) {
    MainDocumentReader reader(doc);
    XmlParser parser(reader, part.name);
    reader.setParser(&parser);
    zip.stream(part, [&](std::span<const std::uint8_t> chunk) { parser.feed(chunk); });
    parser.finish();
    if (!reader.sawRoot())
        throw DocumentError("The document is damaged: its main part is empty");
}

}  // namespace vantile::office::word::docx
