#include "office/word/doc_format.h"

#include <algorithm>
#include <optional>

namespace vantile::office::word::doc {
namespace {

constexpr std::uint16_t kWordIdent = 0xA5EC;
constexpr std::uint16_t kWord6Ident = 0xA5DC;
constexpr std::size_t kFkpSize = 512;

std::uint16_t u16(Bytes b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t u32(Bytes b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

bool fits(std::size_t size, std::uint64_t offset, std::uint64_t length) {
    return offset <= size && length <= size - offset;
}

// The formatted disk page whose run range starts at or before fc, from a bin
// table's starts and page numbers. A page that is missing or lies outside the
// stream leaves its text without properties, as other readers do, instead of
// failing the whole document.
std::optional<Bytes> findFkpPage(Bytes wordDocument, const std::vector<std::uint32_t>& fcs,
                                 const std::vector<std::uint32_t>& pages, std::uint32_t fc) {
    const auto it = std::upper_bound(fcs.begin(), fcs.end(), fc);
    if (it == fcs.begin())
        return std::nullopt;
    const auto j = static_cast<std::size_t>(it - fcs.begin()) - 1;
    if (j >= pages.size())
        return std::nullopt;
    const std::uint64_t pageAt = std::uint64_t{pages[j]} * kFkpSize;
    if (!fits(wordDocument.size(), pageAt, kFkpSize))
        return std::nullopt;
    return wordDocument.subspan(static_cast<std::size_t>(pageAt), kFkpSize);
}

// The run of a formatted disk page that holds fc: its index and its fc range.
// A page holds `count` run starts followed by one end.
struct FkpRun {
    std::size_t index = 0;
    std::uint32_t fcStart = 0;
    std::uint32_t fcEnd = 0;
};

std::optional<FkpRun> findFkpRun(Bytes page, std::size_t count, std::uint32_t fc) {
    // The last run start not after fc.
    std::size_t lo = 0;
    std::size_t hi = count;
    while (hi - lo > 1) {
        const std::size_t mid = (lo + hi) / 2;
        if (u32(page, 4 * mid) <= fc)
            lo = mid;
        else
            hi = mid;
    }
    FkpRun run{lo, u32(page, 4 * lo), u32(page, 4 * (lo + 1))};
    if (fc < run.fcStart || fc >= run.fcEnd)
        return std::nullopt;
    return run;
}

}  // namespace

void damaged(const std::string& what) {
    throw DocumentError("The document is damaged: " + what);
}

WordVersion classifyFib(Bytes wd) {
    if (wd.size() < 0x20)
        return WordVersion::NotWord;
    const std::uint16_t ident = u16(wd, 0);
    if (ident != kWordIdent && ident != kWord6Ident)
        return WordVersion::NotWord;
    const std::uint16_t nFib = u16(wd, 2);
    if (nFib < 101)
        return WordVersion::Older;
    if (nFib <= 102)
        return WordVersion::Word6;
    if (nFib <= 105)
        return WordVersion::Word95;
    return ident == kWordIdent ? WordVersion::Word97OrLater : WordVersion::NotWord;
}

Fib readFib(Bytes wd) {
    Fib fib;
    if (wd.size() < 0x22)
        damaged("the file information block is truncated");
    fib.nFib = u16(wd, 2);
    const std::uint16_t flags = u16(wd, 0x0A);
    fib.encrypted = (flags & 0x0100) != 0;
    fib.useTable1 = (flags & 0x0200) != 0;

    // Each array of the FIB is preceded by its count; positions follow from the counts.
    const std::size_t csw = u16(wd, 0x20);
    const std::size_t lwCountAt = 0x22 + 2 * csw;
    if (!fits(wd.size(), lwCountAt, 2))
        damaged("the file information block is truncated");
    const std::size_t cslw = u16(wd, lwCountAt);
    const std::size_t lwAt = lwCountAt + 2;
    const std::size_t fcLcbCountAt = lwAt + 4 * cslw;
    if (cslw < 4 || !fits(wd.size(), fcLcbCountAt, 2))
        damaged("the file information block is truncated");
    fib.ccpText = u32(wd, lwAt + 12);
    const std::size_t pairs = u16(wd, fcLcbCountAt);
    const std::size_t pairsAt = fcLcbCountAt + 2;
    const auto pair = [&](std::size_t i) {
        FcLcb p;
        if (i < pairs && fits(wd.size(), pairsAt + 8 * i, 8)) {
            p.fc = u32(wd, pairsAt + 8 * i);
            p.lcb = u32(wd, pairsAt + 8 * i + 4);
        }
        return p;
    };
    fib.stshf = pair(1);
    fib.plcfBteChpx = pair(12);
    fib.plcfBtePapx = pair(13);
    fib.clx = pair(33);
    return fib;
}

PieceTable readPieceTable(Bytes table, FcLcb clx, std::size_t wordDocumentSize) {
    if (clx.lcb == 0 || !fits(table.size(), clx.fc, clx.lcb))
        damaged("the piece table lies outside the table stream");
    const Bytes b = table.subspan(clx.fc, clx.lcb);
    PieceTable result;
    std::size_t at = 0;
    while (true) {
        if (at >= b.size())
            damaged("the piece table is missing");
        if (b[at] == 0x01) {
            if (!fits(b.size(), at + 1, 2))
                damaged("a property list of the piece table is truncated");
            const auto cb = static_cast<std::int16_t>(u16(b, at + 1));
            if (cb < 0 || !fits(b.size(), at + 3, static_cast<std::size_t>(cb)))
                damaged("a property list of the piece table is truncated");
            result.prcs.push_back(b.subspan(at + 3, static_cast<std::size_t>(cb)));
            at += 3 + static_cast<std::size_t>(cb);
        } else if (b[at] == 0x02) {
            break;
        } else {
            damaged("the piece table is malformed");
        }
    }
    if (!fits(b.size(), at + 1, 4))
        damaged("the piece table is truncated");
    const std::uint32_t lcb = u32(b, at + 1);
    if (lcb < 4 || !fits(b.size(), at + 5, lcb))
        damaged("the piece table is truncated");
    const Bytes plc = b.subspan(at + 5, lcb);
    const std::size_t n = (lcb - 4) / 12;
    result.pieces.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        Piece p;
        p.cpStart = u32(plc, 4 * i);
        p.cpEnd = u32(plc, 4 * (i + 1));
        if (p.cpEnd <= p.cpStart)
            damaged("the piece table is out of order");
        const std::size_t pcd = 4 * (n + 1) + 8 * i;
        const std::uint32_t fcCompressed = u32(plc, pcd + 2);
        p.compressed = (fcCompressed & 0x40000000u) != 0;
        const std::uint32_t fc = fcCompressed & 0x3FFFFFFFu;
        p.fc = p.compressed ? fc / 2 : fc;
        p.prm = u16(plc, pcd + 6);
        const std::uint64_t bytes = std::uint64_t{p.cpEnd - p.cpStart} * (p.compressed ? 1 : 2);
        if (!fits(wordDocumentSize, p.fc, bytes))
            damaged("a piece of text lies outside the document stream");
        result.pieces.push_back(p);
    }
    return result;
}

std::optional<Sprm> nextSprm(Bytes g, std::size_t& at) {
    if (!fits(g.size(), at, 2))
        return std::nullopt;
    Sprm s;
    s.opcode = u16(g, at);
    std::size_t start = at + 2;
    std::size_t length = 0;
    switch (s.opcode >> 13) {
        case 0:
        case 1:
            length = 1;
            break;
        case 2:
        case 4:
        case 5:
            length = 2;
            break;
        case 3:
            length = 4;
            break;
        case 7:
            length = 3;
            break;
        default:
            if (s.opcode == 0xD608 || s.opcode == 0xD606) {
                // The table definition's size is 2 bytes and counts itself minus one.
                if (!fits(g.size(), start, 2))
                    return std::nullopt;
                const std::size_t cb = u16(g, start);
                start += 2;
                length = cb > 0 ? cb - 1 : 0;
            } else {
                if (!fits(g.size(), start, 1))
                    return std::nullopt;
                length = g[start];
                if (s.opcode == 0xC615 && length == 255) {
                    // Tab changes with deletions to close: the size follows from the two counts.
                    const std::size_t deletions = start + 1;
                    if (!fits(g.size(), deletions, 1))
                        return std::nullopt;
                    const std::size_t additions = deletions + 1 + 4 * std::size_t{g[deletions]};
                    if (!fits(g.size(), additions, 1))
                        return std::nullopt;
                    length = (additions - start - 1) + 1 + 3 * std::size_t{g[additions]};
                }
                start += 1;
            }
            break;
    }
    if (!fits(g.size(), start, length))
        return std::nullopt;
    s.operand = g.subspan(start, length);
    at = start + length;
    return s;
}

std::uint16_t prm0Sprm(std::uint8_t isprm) {
    switch (isprm) {
        case 0x18:
            return 0x2416;  // in table
        case 0x19:
            return 0x2417;  // row end
        default:
            return 0;
    }
}

ParagraphPages::ParagraphPages(Bytes wordDocument, Bytes table, FcLcb bte) : m_wordDocument(wordDocument) {
    if (bte.lcb == 0)
        return;
    if (bte.lcb < 4 || !fits(table.size(), bte.fc, bte.lcb))
        damaged("the paragraph index lies outside the table stream");
    const Bytes plc = table.subspan(bte.fc, bte.lcb);
    const std::size_t n = (bte.lcb - 4) / 8;
    m_fcs.resize(n + 1);
    m_pages.resize(n);
    for (std::size_t i = 0; i <= n; ++i)
        m_fcs[i] = u32(plc, 4 * i);
    for (std::size_t i = 0; i < n; ++i)
        m_pages[i] = u32(plc, 4 * (n + 1) + 4 * i) & 0x3FFFFF;
}

ParagraphPages::Lookup ParagraphPages::find(std::uint32_t fc, std::uint32_t width) const {
    Lookup result;
    const auto located = findFkpPage(m_wordDocument, m_fcs, m_pages, fc);
    if (!located)
        return result;
    const Bytes page = *located;
    const std::size_t cpara = page[kFkpSize - 1];
    const std::size_t bxAt = 4 * (cpara + 1);
    if (cpara == 0 || bxAt + 13 * cpara > kFkpSize - 1)
        return result;
    const auto found = findFkpRun(page, cpara, fc);
    if (!found)
        return result;
    result.endsRun = std::uint64_t{fc} + width == found->fcEnd;
    result.fcStart = found->fcStart;
    result.fcEnd = found->fcEnd;
    const std::size_t offset = 2 * std::size_t{page[bxAt + 13 * found->index]};
    if (offset == 0 || offset + 1 >= kFkpSize - 1)
        return result;
    std::size_t start = offset + 1;
    std::size_t length = 2 * std::size_t{page[offset]};
    if (length == 0) {
        length = 2 * std::size_t{page[offset + 1]};
        start = offset + 2;
    } else {
        length -= 1;
    }
    length = std::min(length, kFkpSize - 1 - std::min(start, kFkpSize - 1));
    // The style index (2 bytes) precedes the property list.
    if (length >= 2)
        result.istd = u16(page, start);
    if (length > 2)
        result.grpprl = page.subspan(start + 2, length - 2);
    return result;
}

StyleSheet::StyleSheet(Bytes table, FcLcb stshf) {
    // A damaged style sheet only loses what it says about hidden text.
    if (stshf.lcb < 2 || !fits(table.size(), stshf.fc, stshf.lcb))
        return;
    const Bytes b = table.subspan(stshf.fc, stshf.lcb);
    const std::size_t infoSize = u16(b, 0);
    if (infoSize < 4 || !fits(b.size(), 2, infoSize))
        return;
    const std::size_t count = u16(b, 2);
    const std::size_t baseSize = u16(b, 4);
    constexpr std::uint16_t kNoBase = 0x0FFF;
    std::vector<std::uint16_t> base(count, kNoBase);
    std::vector<std::int8_t> own(count, -1);  // the style's own setting: -1 none, 0/1 value, 2/3 toggle
    std::size_t at = 2 + infoSize;
    for (std::size_t i = 0; i < count && fits(b.size(), at, 2); ++i) {
        const std::size_t cb = u16(b, at);
        at += 2;
        if (!fits(b.size(), at, cb))
            break;
        const Bytes std = b.subspan(at, cb);
        at += cb;
        if (cb < baseSize || baseSize < 10 || !fits(std.size(), baseSize, 2))
            continue;
        const std::uint16_t kindAndBase = u16(std, 2);
        const unsigned kind = kindAndBase & 0x0F;  // 1 paragraph, 2 character
        base[i] = static_cast<std::uint16_t>(kindAndBase >> 4);
        // The name (count, characters, terminator), then the property lists.
        std::size_t p = baseSize + 2 + 2 * std::size_t{u16(std, baseSize)} + 2;
        if (kind == 1) {
            if (!fits(std.size(), p, 2))
                continue;
            const std::size_t cbPapx = u16(std, p);
            p += 2 + cbPapx + (cbPapx & 1);
        } else if (kind != 2) {
            continue;
        }
        if (!fits(std.size(), p, 2))
            continue;
        const std::size_t cbChpx = u16(std, p);
        if (!fits(std.size(), p + 2, cbChpx))
            continue;
        const Bytes chpx = std.subspan(p + 2, cbChpx);
        for (std::size_t k = 0; auto s = nextSprm(chpx, k);)
            if (s->opcode == 0x083C)
                own[i] = s->operand[0] == 0 ? 0 : s->operand[0] == 1 ? 1 : s->operand[0] == 0x81 ? 3 : 2;
    }
    // Resolve through the base styles once each; a base chain that loops starts from nothing.
    m_hidden.assign(count, false);
    m_explicit.assign(count, false);
    std::vector<std::uint8_t> state(count, 0);  // 0 not seen, 1 on the chain being resolved, 2 done
    std::vector<std::size_t> chain;
    for (std::size_t i = 0; i < count; ++i) {
        chain.clear();
        std::size_t s = i;
        for (; s < count && state[s] == 0; s = base[s]) {
            state[s] = 1;
            chain.push_back(s);
        }
        bool hidden = false;
        bool set = false;
        if (s < count && state[s] == 2) {
            hidden = m_hidden[s];
            set = m_explicit[s];
        }
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            if (own[*it] == 0 || own[*it] == 1) {
                hidden = own[*it] == 1;
                set = true;
            } else if (own[*it] == 3) {
                hidden = !hidden;
                set = true;
            }
            m_hidden[*it] = hidden;
            m_explicit[*it] = set;
            state[*it] = 2;
        }
    }
}

CharacterPages::CharacterPages(Bytes wordDocument, Bytes table, FcLcb bte) : m_wordDocument(wordDocument) {
    if (bte.lcb == 0)
        return;
    if (bte.lcb < 4 || !fits(table.size(), bte.fc, bte.lcb))
        damaged("the character index lies outside the table stream");
    const Bytes plc = table.subspan(bte.fc, bte.lcb);
    const std::size_t n = (bte.lcb - 4) / 8;
    m_fcs.resize(n + 1);
    m_pages.resize(n);
    for (std::size_t i = 0; i <= n; ++i)
        m_fcs[i] = u32(plc, 4 * i);
    for (std::size_t i = 0; i < n; ++i)
        m_pages[i] = u32(plc, 4 * (n + 1) + 4 * i) & 0x3FFFFF;
}

CharacterPages::Run CharacterPages::find(std::uint32_t fc) const {
    Run run;
    run.fcStart = run.fcEnd = fc;
    const auto located = findFkpPage(m_wordDocument, m_fcs, m_pages, fc);
    if (!located)
        return run;
    const Bytes page = *located;
    const std::size_t crun = page[kFkpSize - 1];
    const std::size_t offsetsAt = 4 * (crun + 1);
    if (crun == 0 || offsetsAt + crun > kFkpSize - 1)
        return run;
    const auto found = findFkpRun(page, crun, fc);
    if (!found)
        return run;
    run.fcStart = found->fcStart;
    run.fcEnd = found->fcEnd;
    const std::size_t offset = 2 * std::size_t{page[offsetsAt + found->index]};
    if (offset == 0 || offset >= kFkpSize - 1)
        return run;
    const std::size_t length = std::min<std::size_t>(page[offset], kFkpSize - 1 - (offset + 1));
    run.grpprl = page.subspan(offset + 1, length);
    return run;
}

}  // namespace vantile::office::word::doc
