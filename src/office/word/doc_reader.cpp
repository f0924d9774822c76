#include "office/word/doc_reader.h"

#include <algorithm>
#include <array>
#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "office/word/doc_format.h"
#include "platform/unicode.h"

namespace vantile::office::word {
namespace {

using doc::Bytes;

// Windows-1252 for 0x80..0x9F; the five undefined bytes keep their C1 code points.
constexpr std::array<char16_t, 32> kCp1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr std::uint16_t kSprmPFInTable = 0x2416;
constexpr std::uint16_t kSprmPFTtp = 0x2417;
constexpr std::uint16_t kSprmPFInnerTableCell = 0x244B;
constexpr std::uint16_t kSprmPFInnerTtp = 0x244C;
constexpr std::uint16_t kSprmPItap = 0x6649;
constexpr std::uint16_t kSprmPDtap = 0x664A;
constexpr std::uint16_t kSprmPHugePapx = 0x6646;
constexpr std::uint16_t kSprmCFRMarkDel = 0x0800;
constexpr std::uint16_t kSprmCFVanish = 0x083C;
constexpr std::uint16_t kSprmCSymbol = 0x6A09;
constexpr std::uint16_t kSprmCIstd = 0x4A30;
constexpr std::uint16_t kSprmTDefTable = 0xD608;
constexpr std::uint16_t kSprmTVertMerge = 0xD62B;
constexpr std::uint16_t kSprmTMerge = 0x5624;
constexpr std::uint16_t kSprmTSplit = 0x5625;
constexpr std::uint16_t kSprmTInsert = 0x7621;
constexpr std::uint16_t kSprmTDelete = 0x5622;
constexpr std::uint16_t kSprmTDxaCol = 0x7623;
constexpr std::uint16_t kSprmTPc = 0x360D;
constexpr std::uint16_t kSprmTDxaAbs = 0x940E;
constexpr std::uint16_t kSprmTDyaAbs = 0x940F;

constexpr std::size_t kMaxCellsPerRow = 1024;  // far above Word's 63, a bound for hostile edits
constexpr std::uint64_t kWorkLimit = std::uint64_t{1} << 28;  // property bytes and cell edits per document

std::int32_t i32(Bytes b) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
        (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24));
}

std::int16_t i16(Bytes b, std::size_t at) {
    return static_cast<std::int16_t>(b[at] | (b[at + 1] << 8));
}

struct CellDef {
    bool firstMerged = false;  // legacy horizontal merge: first of a merged run
    bool merged = false;       // legacy horizontal merge: joined to the cell before
    VerticalMerge vMerge = VerticalMerge::None;
};

// A row's geometry: boundaries in twips (left edge, then each cell's right edge).
struct RowDef {
    std::vector<std::int64_t> edges;
    std::vector<CellDef> cells;

    std::size_t cellCount() const { return edges.empty() ? 0 : edges.size() - 1; }
};

VerticalMerge verticalMerge(unsigned bits) {
    // Bit 0: part of a vertical merge; bit 1: its first cell.
    if ((bits & 3u) == 3u)
        return VerticalMerge::Restart;
    if ((bits & 3u) == 1u)
        return VerticalMerge::Continue;
    return VerticalMerge::None;
}

void applyTableSprm(const doc::Sprm& s, std::optional<RowDef>& def) {
    const Bytes op = s.operand;
    if (s.opcode == kSprmTDefTable) {
        def.emplace();
        if (op.empty())
            return;
        std::size_t columns = op[0];
        const std::size_t edgeRoom = (op.size() - 1) / 2;
        if (edgeRoom == 0)
            return;
        columns = std::min(columns, edgeRoom - 1);
        for (std::size_t i = 0; i <= columns; ++i)
            def->edges.push_back(i16(op, 1 + 2 * i));
        def->cells.resize(columns);
        const std::size_t tcAt = 1 + 2 * (columns + 1);
        const std::size_t tcs = std::min(columns, (op.size() - tcAt) / 20);
        for (std::size_t k = 0; k < tcs; ++k) {
            const unsigned flags = static_cast<unsigned>(op[tcAt + 20 * k] | (op[tcAt + 20 * k + 1] << 8));
            CellDef& c = def->cells[k];
            c.firstMerged = (flags & 0x0001u) != 0;
            c.merged = (flags & 0x0002u) != 0;
            c.vMerge = verticalMerge(flags >> 5);
        }
        return;
    }
    if (!def)
        return;
    const std::size_t n = def->cellCount();
    switch (s.opcode) {
        case kSprmTVertMerge:
            if (op.size() >= 2 && op[0] < n)
                def->cells[op[0]].vMerge = verticalMerge(op[1]);
            break;
        case kSprmTMerge:
        case kSprmTSplit: {
            if (op.size() < 2)
                break;
            const std::size_t first = op[0];
            const std::size_t lim = std::min<std::size_t>(op[1], n);
            for (std::size_t i = first; i < lim; ++i) {
                def->cells[i].firstMerged = s.opcode == kSprmTMerge && i == first;
                def->cells[i].merged = s.opcode == kSprmTMerge && i != first;
            }
            break;
        }
        case kSprmTInsert: {
            if (op.size() < 4 || def->edges.empty())
                break;
            const std::size_t at = std::min<std::size_t>(op[0], n);
            const std::size_t count =
                std::min<std::size_t>(op[1], kMaxCellsPerRow - std::min(n, kMaxCellsPerRow));
            const std::int64_t width = i16(op, 2);
            for (std::size_t j = at + 1; j < def->edges.size(); ++j)
                def->edges[j] += width * static_cast<std::int64_t>(count);
            std::vector<std::int64_t> added;
            for (std::size_t k = 1; k <= count; ++k)
                added.push_back(def->edges[at] + width * static_cast<std::int64_t>(k));
            def->edges.insert(def->edges.begin() + static_cast<std::ptrdiff_t>(at) + 1, added.begin(),
                              added.end());
            def->cells.insert(def->cells.begin() + static_cast<std::ptrdiff_t>(at), count, CellDef{});
            break;
        }
        case kSprmTDelete: {
            if (op.size() < 2)
                break;
            const std::size_t first = std::min<std::size_t>(op[0], n);
            const std::size_t lim = std::clamp<std::size_t>(op[1], first, n);
            if (first == lim)
                break;
            const std::int64_t width = def->edges[lim] - def->edges[first];
            for (std::size_t j = lim + 1; j < def->edges.size(); ++j)
                def->edges[j] -= width;
            def->edges.erase(def->edges.begin() + static_cast<std::ptrdiff_t>(first) + 1,
                             def->edges.begin() + static_cast<std::ptrdiff_t>(lim) + 1);
            def->cells.erase(def->cells.begin() + static_cast<std::ptrdiff_t>(first),
                             def->cells.begin() + static_cast<std::ptrdiff_t>(lim));
            break;
        }
        case kSprmTDxaCol: {
            if (op.size() < 4)
                break;
            // Cells first..lim-1 get the width; the boundaries after them move along (one pass,
            // so that long lists of such edits stay linear).
            const std::size_t first = op[0];
            const std::size_t lim = std::min<std::size_t>(op[1], n);
            if (first >= lim)
                break;
            const std::int64_t width = i16(op, 2);
            std::int64_t shift = 0;
            std::int64_t previous = def->edges[first];
            for (std::size_t j = first + 1; j < def->edges.size(); ++j) {
                const std::int64_t original = def->edges[j];
                if (j <= lim)
                    shift += width - (original - previous);
                previous = original;
                def->edges[j] = original + shift;
            }
            break;
        }
        default:
            break;
    }
}

struct ParagraphProps {
    bool inTable = false;
    bool rowEnd = false;
    bool innerCell = false;
    bool innerRowEnd = false;
    std::optional<std::int32_t> itap;
    std::int32_t dtap = 0;
    // The property lists that applied, in order, for reading a row's geometry.
    std::array<Bytes, 2> lists;

    std::int64_t depth() const {
        std::int64_t d = itap ? *itap : (inTable ? 1 : 0);
        d += dtap;
        if (rowEnd && d < 1)
            d = 1;
        return std::max<std::int64_t>(d, 0);
    }
};

struct CharProps {
    int vanish = -1;  // the hidden-text operand (0, 1, or 0x80/0x81 relative to the style); -1 absent
    std::optional<std::uint16_t> style;
    bool deleted = false;  // a tracked deletion
    char16_t symbol = 0;   // the real character behind a symbol-font placeholder
};

bool toggleOn(std::uint8_t value) {
    return value == 1 || value == 0x81;
}

void applyCharacterSprms(Bytes grpprl, CharProps& props) {
    for (std::size_t at = 0; auto s = doc::nextSprm(grpprl, at);) {
        if (s->opcode == kSprmCFVanish)
            props.vanish = s->operand[0];
        else if (s->opcode == kSprmCIstd)
            props.style = static_cast<std::uint16_t>(s->operand[0] | (s->operand[1] << 8));
        else if (s->opcode == kSprmCFRMarkDel)
            props.deleted = toggleOn(s->operand[0]);
        else if (s->opcode == kSprmCSymbol)
            props.symbol = static_cast<char16_t>(s->operand[2] | (s->operand[3] << 8));
    }
}

// Where a floating table is anchored (sprmTPc, sprmTDxaAbs, sprmTDyaAbs); all
// absent for a table in the text flow.
using RowPosition = std::array<std::int64_t, 3>;
constexpr std::int64_t kAbsent = INT64_MIN;

struct PendingRow {
    std::vector<std::string> cells;
    std::optional<RowDef> def;
    RowPosition position{kAbsent, kAbsent, kAbsent};
};

std::size_t gridIndex(const std::vector<std::int64_t>& edges, std::int64_t x) {
    return static_cast<std::size_t>(std::lower_bound(edges.begin(), edges.end(), x) - edges.begin());
}

// The grid of a table is the union of its rows' cell boundaries.
Table buildTable(std::vector<PendingRow>& rows) {
    std::vector<std::int64_t> edges;
    for (const PendingRow& r : rows)
        if (r.def)
            edges.insert(edges.end(), r.def->edges.begin(), r.def->edges.end());
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

    Table table;
    for (std::size_t i = 0; i + 1 < edges.size(); ++i)
        table.gridTwips.emplace_back(
            static_cast<std::uint32_t>(std::min<std::int64_t>(edges[i + 1] - edges[i], 0xFFFFFFFF)));
    table.rows.reserve(rows.size());
    for (PendingRow& pending : rows) {
        TableRow row;
        const RowDef* def = pending.def && !pending.def->edges.empty() ? &*pending.def : nullptr;
        if (def)
            row.gridBefore = static_cast<std::uint32_t>(gridIndex(edges, def->edges.front()));
        row.cells.reserve(pending.cells.size());
        for (std::size_t k = 0; k < pending.cells.size(); ++k) {
            TableCell cell;
            cell.text = std::move(pending.cells[k]);
            CellDef flags;
            if (def && k < def->cellCount()) {
                const auto left = static_cast<std::int64_t>(gridIndex(edges, def->edges[k]));
                const auto right = static_cast<std::int64_t>(gridIndex(edges, def->edges[k + 1]));
                cell.gridSpan = static_cast<std::uint32_t>(std::max<std::int64_t>(1, right - left));
                flags = def->cells[k];
            }
            cell.vMerge = flags.vMerge;
            if (flags.merged && !flags.firstMerged && !row.cells.empty()) {
                // A legacy horizontal merge shows as one cell holding the texts of the run.
                TableCell& into = row.cells.back();
                into.gridSpan += cell.gridSpan;
                if (!cell.text.empty())
                    into.text += (into.text.empty() ? "" : "\r") + cell.text;
                continue;
            }
            row.cells.push_back(std::move(cell));
        }
        table.rows.push_back(std::move(row));
    }
    return table;
}

class DocParser {
  public:
    DocParser(Bytes wd, Bytes table, std::optional<Bytes> data, const doc::Fib& fib)
        : m_wd(wd),
          m_data(data),
          m_fib(fib),
          m_pieces(doc::readPieceTable(table, fib.clx, wd.size())),
          m_pages(wd, table, fib.plcfBtePapx),
          m_chars(wd, table, fib.plcfBteChpx),
          m_styles(table, fib.stshf) {}

    Document run() {
        for (const doc::Piece& piece : m_pieces.pieces) {
            if (piece.cpStart >= m_fib.ccpText)
                break;
            const std::uint32_t end = std::min(piece.cpEnd, m_fib.ccpText);
            const std::uint32_t count = end - piece.cpStart;
            m_pieceChars = CharProps{};
            if ((piece.prm & 1) && (piece.prm >> 1) < m_pieces.prcs.size())
                applyCharacterSprms(m_pieces.prcs[piece.prm >> 1], m_pieceChars);
            m_runStart = m_runEnd = 0;
            m_paragraphStart = m_paragraphEnd = 0;
            if (piece.compressed) {
                for (std::uint32_t i = 0; i < count; ++i) {
                    const std::uint8_t b = m_wd[piece.fc + i];
                    const char16_t c = b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b;
                    character(c, piece.fc + i, 1, piece);
                }
            } else {
                for (std::uint32_t i = 0; i < count; ++i) {
                    const std::size_t at = piece.fc + 2 * std::size_t{i};
                    const auto c = static_cast<char16_t>(m_wd[at] | (m_wd[at + 1] << 8));
                    character(c, static_cast<std::uint32_t>(at), 2, piece);
                }
            }
        }
        closeTable();
        return std::move(m_document);
    }

  private:
    // Hidden text follows the direct property, which may be relative to the styles.
    bool hidden() const {
        bool byStyle = m_styles.hides(m_paragraphStyle);
        const auto& charStyle = m_pieceChars.style ? m_pieceChars.style : m_runChars.style;
        if (charStyle)
            byStyle = m_styles.setsHidden(*charStyle).value_or(byStyle);
        const int vanish = m_pieceChars.vanish >= 0 ? m_pieceChars.vanish : m_runChars.vanish;
        switch (vanish) {
            case 0:
                return false;
            case 1:
                return true;
            case 0x81:
                return !byStyle;
            default:
                return byStyle;
        }
    }

    void character(char16_t c, std::uint32_t fc, std::uint32_t width, const doc::Piece& piece) {
        if (fc < m_paragraphStart || fc >= m_paragraphEnd) {
            m_paragraphRun = m_pages.find(fc, width);
            m_paragraphStart = m_paragraphRun.fcStart;
            m_paragraphEnd =
                m_paragraphRun.fcEnd > m_paragraphRun.fcStart ? m_paragraphRun.fcEnd : fc + width;
            m_paragraphStyle = m_paragraphRun.istd;
            m_runEnd = 0;
        }
        // The paragraph run holding fc, as the mark at fc sees it.
        const auto here = [&] {
            auto lookup = m_paragraphRun;
            lookup.endsRun = lookup.fcEnd > lookup.fcStart && std::uint64_t{fc} + width == lookup.fcEnd;
            return lookup;
        };
        if (fc < m_runStart || fc >= m_runEnd) {
            const auto run = m_chars.find(fc);
            m_runStart = run.fcStart;
            m_runEnd = run.fcEnd > run.fcStart ? run.fcEnd : fc + width;
            m_runChars = CharProps{};
            spend(run.grpprl.size());
            applyCharacterSprms(run.grpprl, m_runChars);
            m_suppressed = hidden() || m_runChars.deleted || m_pieceChars.deleted;
            m_symbol = m_pieceChars.symbol ? m_pieceChars.symbol : m_runChars.symbol;
        }
        if (c >= 0xD800 && c < 0xDC00) {
            if (m_highSurrogate)
                visible(0xFFFD);
            m_highSurrogate = c;
            return;
        }
        if (c >= 0xDC00 && c < 0xE000) {
            visible(m_highSurrogate ? 0x10000 + ((char32_t{m_highSurrogate} - 0xD800) << 10) + (c - 0xDC00)
                                    : 0xFFFD);
            m_highSurrogate = 0;
            return;
        }
        if (m_highSurrogate) {
            visible(0xFFFD);
            m_highSurrogate = 0;
        }
        switch (c) {
            case 0x0D:
                paragraphEnd(c, here(), piece);
                return;
            case 0x07:
            case 0x0C: {
                // A cell mark or section mark counts only where its paragraph ends;
                // elsewhere 0x07 is a stray character and 0x0C a page break.
                const auto lookup = here();
                if (lookup.endsRun)
                    paragraphEnd(c, lookup, piece);
                else if (c == 0x0C)
                    visible(c);
                return;
            }
            case 0x13:
                m_fields.push_back(true);
                ++m_codeFields;
                return;
            case 0x14:
                if (!m_fields.empty() && m_fields.back()) {
                    m_fields.back() = false;
                    --m_codeFields;
                }
                return;
            case 0x15:
                if (!m_fields.empty()) {
                    if (m_fields.back())
                        --m_codeFields;
                    m_fields.pop_back();
                }
                return;
            default:
                visible(c == 0x28 && m_symbol ? m_symbol : c);
        }
    }

    void visible(char32_t c) {
        // Field codes, hidden text and tracked deletions are not part of the text.
        if (m_codeFields > 0 || m_suppressed)
            return;
        if (c < 0x20) {
            // Tabs, line, page and column breaks stay (as the .docx reader gives them); a
            // non-breaking hyphen shows as a hyphen; the anchors of pictures, drawings,
            // notes and comments and optional hyphens show no text.
            if (c == 0x09 || c == 0x0B || c == 0x0C || c == 0x0E)
                m_paragraph.push_back(static_cast<char>(c));
            else if (c == 0x1E)
                m_paragraph.push_back('-');
            return;
        }
        platform::AppendUtf8(m_paragraph, c);
    }

    // Property lists may be shared by any number of paragraphs and rows; a bound on the
    // work they cause keeps a small hostile file from running for hours.
    void spend(std::uint64_t amount) {
        m_work += amount;
        if (m_work > kWorkLimit)
            doc::damaged("its formatting is too large to process");
    }

    void apply(Bytes grpprl, ParagraphProps& props, bool allowHuge) {
        spend(grpprl.size());
        for (std::size_t at = 0; auto s = doc::nextSprm(grpprl, at);) {
            const Bytes op = s->operand;
            switch (s->opcode) {
                case kSprmPFInTable:
                    props.inTable = op[0] != 0;
                    break;
                case kSprmPFTtp:
                    props.rowEnd = op[0] != 0;
                    break;
                case kSprmPFInnerTableCell:
                    props.innerCell = op[0] != 0;
                    break;
                case kSprmPFInnerTtp:
                    props.innerRowEnd = op[0] != 0;
                    break;
                case kSprmPItap:
                    props.itap = i32(op);
                    break;
                case kSprmPDtap:
                    props.dtap = static_cast<std::int32_t>(
                        std::clamp<std::int64_t>(std::int64_t{props.dtap} + i32(op), -(1 << 20), 1 << 20));
                    break;
                case kSprmPHugePapx:
                    if (allowHuge) {
                        const Bytes huge = hugeProperties(static_cast<std::uint32_t>(i32(op)));
                        props.lists[0] = huge;
                        apply(huge, props, false);
                    }
                    break;
                default:
                    break;
            }
        }
    }

    Bytes hugeProperties(std::uint32_t offset) const {
        // Properties too large for a page live in the Data stream: a 2-byte size, then the list.
        if (!m_data || offset > m_data->size() || m_data->size() - offset < 2)
            doc::damaged("paragraph properties lie outside the data stream");
        const std::size_t cb = (*m_data)[offset] | ((*m_data)[offset + 1] << 8);
        if (m_data->size() - offset - 2 < cb)
            doc::damaged("paragraph properties lie outside the data stream");
        return m_data->subspan(offset + 2, cb);
    }

    ParagraphProps properties(const doc::ParagraphPages::Lookup& lookup, const doc::Piece& piece) {
        ParagraphProps props;
        props.lists[0] = lookup.grpprl;
        apply(lookup.grpprl, props, true);
        if (piece.prm & 1) {
            const std::size_t index = piece.prm >> 1;
            if (index < m_pieces.prcs.size()) {
                props.lists[1] = m_pieces.prcs[index];
                apply(props.lists[1], props, true);
            }
        } else {
            const std::uint16_t sprm = doc::prm0Sprm(static_cast<std::uint8_t>((piece.prm >> 1) & 0x7F));
            const bool value = (piece.prm >> 8) != 0;
            if (sprm == kSprmPFInTable)
                props.inTable = value;
            else if (sprm == kSprmPFTtp)
                props.rowEnd = value;
        }
        return props;
    }

    void paragraphEnd(char16_t mark, const doc::ParagraphPages::Lookup& lookup, const doc::Piece& piece) {
        const ParagraphProps props = properties(lookup, piece);
        const std::int64_t depth = props.depth();
        if (depth == 0) {
            closeTable();
        } else if (depth == 1) {
            m_inTable = true;
            if (props.rowEnd || (mark == 0x0D && props.innerRowEnd)) {
                rowEnd(props);
            } else if (mark == 0x07 || (mark == 0x0D && props.innerCell)) {
                m_cellText += m_paragraph;
                m_cells.push_back(std::move(m_cellText));
                m_cellText.clear();
                resetFields();
            } else {
                m_cellText += m_paragraph;
                m_cellText += '\r';
            }
        } else {
            // Nested tables stay in the text of the enclosing cell, with their marks.
            m_inTable = true;
            m_cellText += m_paragraph;
            m_cellText += (props.innerCell || props.innerRowEnd || mark == 0x07) ? "\r\a" : "\r";
        }
        m_paragraph.clear();
    }

    void rowEnd(const ParagraphProps& props) {
        PendingRow row;
        for (const Bytes list : props.lists) {
            for (std::size_t at = 0; auto s = doc::nextSprm(list, at);) {
                spend(1 + (row.def ? row.def->cellCount() : 0));
                applyTableSprm(*s, row.def);
                if (s->opcode == kSprmTPc)
                    row.position[0] = s->operand[0];
                else if (s->opcode == kSprmTDxaAbs)
                    row.position[1] = i16(s->operand, 0);
                else if (s->opcode == kSprmTDyaAbs)
                    row.position[2] = i16(s->operand, 0);
            }
        }
        // Rows placed differently belong to different tables, as in the word processor.
        if (!m_rows.empty() && m_rows.back().position != row.position) {
            m_document.tables.push_back(buildTable(m_rows));
            m_rows.clear();
        }
        if (!m_cellText.empty())
            m_cells.push_back(std::move(m_cellText));
        m_cellText.clear();
        // Only the boundaries of cells that exist matter; keeping no more bounds memory by the text.
        if (row.def && row.def->cellCount() > m_cells.size()) {
            row.def->edges.resize(m_cells.size() + 1);
            row.def->cells.resize(m_cells.size());
        }
        row.cells = std::move(m_cells);
        m_cells.clear();
        m_rows.push_back(std::move(row));
        resetFields();
    }

    void closeTable() {
        if (!m_inTable)
            return;
        if (!m_cellText.empty())
            m_cells.push_back(std::move(m_cellText));
        if (!m_cells.empty())
            m_rows.push_back(PendingRow{std::move(m_cells), std::nullopt});
        if (!m_rows.empty())
            m_document.tables.push_back(buildTable(m_rows));
        m_rows.clear();
        m_cells.clear();
        m_cellText.clear();
        m_inTable = false;
    }

    void resetFields() {
        m_fields.clear();
        m_codeFields = 0;
    }

    Bytes m_wd;
    std::optional<Bytes> m_data;
    const doc::Fib& m_fib;
    doc::PieceTable m_pieces;
    doc::ParagraphPages m_pages;
    doc::CharacterPages m_chars;
    doc::StyleSheet m_styles;
    Document m_document;
    std::uint64_t m_work = 0;

    std::uint32_t m_paragraphStart = 0;
    std::uint32_t m_paragraphEnd = 0;
    std::uint16_t m_paragraphStyle = 0;
    doc::ParagraphPages::Lookup m_paragraphRun;  // the paragraph run of the current character

    CharProps m_pieceChars;
    CharProps m_runChars;
    std::uint32_t m_runStart = 0;
    std::uint32_t m_runEnd = 0;
    bool m_suppressed = false;
    char16_t m_symbol = 0;

    std::string m_paragraph;
    std::vector<bool> m_fields;  // open fields; true while in the field code
    std::size_t m_codeFields = 0;
    char16_t m_highSurrogate = 0;

    bool m_inTable = false;
    std::vector<PendingRow> m_rows;
    std::vector<std::string> m_cells;
    std::string m_cellText;
};

Document readDoc(const container::CompoundFileReader& file, std::string_view displayName) {
    const auto wordDocument = file.readStream("WordDocument");
    if (!wordDocument)
        throw DocumentError("Not a Word document: " + std::string(displayName));
    const Bytes wd(*wordDocument);
    switch (doc::classifyFib(wd)) {
        case doc::WordVersion::NotWord:
            throw DocumentError("Not a Word document: " + std::string(displayName));
        case doc::WordVersion::Older:
            throw DocumentError("Word documents older than Word 6.0 are not supported");
        case doc::WordVersion::Word6:
            throw DocumentError("Word 6.0/95 documents are not supported (this one is Word 6.0)");
        case doc::WordVersion::Word95:
            throw DocumentError("Word 6.0/95 documents are not supported (this one is Word 95)");
        case doc::WordVersion::Word97OrLater:
            break;
    }
    const doc::Fib fib = doc::readFib(wd);
    if (fib.encrypted)
        throw DocumentError("The document is password-protected");
    const auto table = file.readStream(fib.useTable1 ? "1Table" : "0Table");
    if (!table)
        doc::damaged("its table stream is missing");
    const auto data = file.readStream("Data");
    std::optional<Bytes> dataBytes;
    if (data)
        dataBytes = Bytes(*data);
    Document document = DocParser(wd, Bytes(*table), dataBytes, fib).run();
    document.hasVBProject = file.hasStorage("Macros");
    return document;
}

}  // namespace

Document ReadDoc(const container::CompoundFileReader& file, std::string_view displayName) {
    try {
        return readDoc(file, displayName);
    } catch (const container::CompoundFileError& e) {
        throw DocumentError(e.what());
    }
}

Document ReadDoc(std::span<const std::uint8_t> compoundFile) {
    try {
        const container::CompoundFileReader file(compoundFile);
        return readDoc(file, "the compound file");
    } catch (const container::CompoundFileError& e) {
        throw DocumentError(e.what());
    }
}

}  // namespace vantile::office::word
