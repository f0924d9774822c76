#pragma once
// Builds small Word 97 binary documents in memory for the .doc reader tests:
// one piece and one paragraph-property run per paragraph, so each test states
// exactly the text, piece kind and properties it needs.

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "office/container/cfb_writer.h"

namespace vantile::office::word::testdoc {

using Bytes = std::vector<std::uint8_t>;

struct Paragraph {
    std::u16string text;      // including its final mark (u'\r', or u'\a' for cell and row ends)
    bool compressed = false;  // one byte per character; the characters are Windows-1252 bytes
    Bytes grpprl;             // direct paragraph properties
    std::uint16_t prm = 0;    // the piece's property modifier
};

struct DocStreams {
    Bytes wordDocument;
    Bytes table;  // "1Table"
    Bytes data;   // "Data", written when not empty
};

inline void put16(Bytes& b, std::size_t at, std::uint16_t v) {
    std::memcpy(b.data() + at, &v, 2);
}
inline void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    std::memcpy(b.data() + at, &v, 4);
}
inline void add16(Bytes& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void add32(Bytes& b, std::uint32_t v) {
    add16(b, static_cast<std::uint16_t>(v));
    add16(b, static_cast<std::uint16_t>(v >> 16));
}

// Property lists.
inline Bytes& sprm8(Bytes& g, std::uint16_t opcode, std::uint8_t v) {
    add16(g, opcode);
    g.push_back(v);
    return g;
}
inline Bytes& sprm32(Bytes& g, std::uint16_t opcode, std::uint32_t v) {
    add16(g, opcode);
    add32(g, v);
    return g;
}
// The row definition: cell boundaries in twips and each cell's TC80 flags.
inline Bytes& tableDefinition(Bytes& g, const std::vector<std::int16_t>& edges,
                              const std::vector<std::uint16_t>& flags = {}) {
    Bytes op;
    op.push_back(static_cast<std::uint8_t>(edges.size() - 1));
    for (const std::int16_t e : edges)
        add16(op, static_cast<std::uint16_t>(e));
    for (const std::uint16_t f : flags) {
        add16(op, f);
        op.resize(op.size() + 18, 0);
    }
    add16(g, 0xD608);
    add16(g, static_cast<std::uint16_t>(op.size() + 1));
    g.insert(g.end(), op.begin(), op.end());
    return g;
}

inline Bytes inTable() {
    Bytes g;
    return sprm8(g, 0x2416, 1);
}
inline Bytes rowEnd(const std::vector<std::int16_t>& edges, const std::vector<std::uint16_t>& flags = {}) {
    Bytes g = inTable();
    sprm8(g, 0x2417, 1);
    return tableDefinition(g, edges, flags);
}

constexpr std::size_t kFibSize = 0x384;
constexpr std::size_t kTextStart = 0x400;

inline DocStreams buildDoc(const std::vector<Paragraph>& paragraphs, const std::vector<Bytes>& prcs = {}) {
    DocStreams s;
    Bytes& wd = s.wordDocument;
    wd.assign(kTextStart, 0);
    put16(wd, 0x00, 0xA5EC);
    put16(wd, 0x02, 0x00C1);
    put16(wd, 0x0A, 0x0200);  // the table stream is "1Table"
    put16(wd, 0x20, 14);
    put16(wd, 0x3E, 22);
    put16(wd, 0x98, 93);

    std::vector<std::uint32_t> cps{0};
    std::vector<std::uint32_t> fcs;
    std::vector<std::uint32_t> pcdFc;
    for (const Paragraph& p : paragraphs) {
        fcs.push_back(static_cast<std::uint32_t>(wd.size()));
        pcdFc.push_back(p.compressed ? (static_cast<std::uint32_t>(wd.size()) * 2) | 0x40000000u
                                     : static_cast<std::uint32_t>(wd.size()));
        for (const char16_t c : p.text) {
            if (p.compressed)
                wd.push_back(static_cast<std::uint8_t>(c));
            else
                add16(wd, c);
        }
        cps.push_back(cps.back() + static_cast<std::uint32_t>(p.text.size()));
    }
    fcs.push_back(static_cast<std::uint32_t>(wd.size()));
    put32(wd, 0x4C, cps.back());  // ccpText

    // One paragraph-property page; property lists are stored from its end downwards.
    wd.resize((wd.size() + 511) / 512 * 512, 0);
    const auto pn = static_cast<std::uint32_t>(wd.size() / 512);
    Bytes page(512, 0);
    const std::size_t n = paragraphs.size();
    std::size_t free = 511;
    for (std::size_t k = 0; k <= n; ++k)
        put32(page, 4 * k, fcs[k]);
    for (std::size_t k = 0; k < n; ++k) {
        Bytes papx{0, 0};  // style 0
        papx.insert(papx.end(), paragraphs[k].grpprl.begin(), paragraphs[k].grpprl.end());
        if (papx.size() % 2)
            papx.push_back(0);
        const std::size_t need = 2 + papx.size();
        if (free < need + 4 * (n + 1) + 13 * n)
            throw std::length_error("too many paragraph properties for one page");
        free = (free - need) & ~std::size_t{1};
        page[free] = 0;
        page[free + 1] = static_cast<std::uint8_t>(papx.size() / 2);
        std::memcpy(page.data() + free + 2, papx.data(), papx.size());
        page[4 * (n + 1) + 13 * k] = static_cast<std::uint8_t>(free / 2);
    }
    page[511] = static_cast<std::uint8_t>(n);
    wd.insert(wd.end(), page.begin(), page.end());

    // Table stream: the Clx (property lists, then the piece table), then the page index.
    Bytes& t = s.table;
    for (const Bytes& prc : prcs) {
        t.push_back(0x01);
        add16(t, static_cast<std::uint16_t>(prc.size()));
        t.insert(t.end(), prc.begin(), prc.end());
    }
    t.push_back(0x02);
    add32(t, static_cast<std::uint32_t>(4 * (n + 1) + 8 * n));
    for (const std::uint32_t cp : cps)
        add32(t, cp);
    for (std::size_t k = 0; k < n; ++k) {
        add16(t, 0);
        add32(t, pcdFc[k]);
        add16(t, paragraphs[k].prm);
    }
    const auto clxSize = static_cast<std::uint32_t>(t.size());
    add32(t, fcs.front());
    add32(t, fcs.back());
    add32(t, pn);
    put32(wd, 0x9A + 8 * 13, clxSize);  // PlcBtePapx
    put32(wd, 0x9A + 8 * 13 + 4, 12);
    put32(wd, 0x9A + 8 * 33, 0);  // Clx
    put32(wd, 0x9A + 8 * 33 + 4, clxSize);
    return s;
}

// With macros, the file also holds a "Macros" storage (an empty one).
inline Bytes pack(const DocStreams& s, bool macros = false) {
    const Bytes placeholder(8, 0);
    std::vector<container::CompoundFileStream> streams{{u"WordDocument", s.wordDocument},
                                                       {u"1Table", s.table}};
    if (!s.data.empty())
        streams.push_back({u"Data", s.data});
    if (macros)
        streams.push_back({u"Macros", placeholder});
    Bytes file = container::WriteCompoundFile(streams);
    if (macros) {
        // Turn the placeholder stream's directory entry into a storage.
        const std::u16string name = u"Macros";
        for (std::size_t at = 512; at + 128 <= file.size(); at += 128) {
            if (file[at + 0x40] == 2 * (name.size() + 1) &&
                std::memcmp(file.data() + at, name.data(), 2 * name.size()) == 0) {
                file[at + 0x42] = 1;
                put32(file, at + 0x74, 0);
                put32(file, at + 0x78, 0);
            }
        }
    }
    return file;
}

}  // namespace vantile::office::word::testdoc
