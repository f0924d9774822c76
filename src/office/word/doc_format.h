#pragma once
// The structures of a Word 97-2003 binary document that the table reader needs:
// the file information block, the piece table, property lists (grpprl) and the
// paragraph-property pages. Every offset read from the file is checked against
// the stream it points into; a violation raises DocumentError.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "office/word/document.h"

namespace vantile::office::word::doc {

using Bytes = std::span<const std::uint8_t>;

[[noreturn]] void damaged(const std::string& what);

struct FcLcb {
    std::uint32_t fc = 0;
    std::uint32_t lcb = 0;
};

// Which word processor wrote a WordDocument stream, judged from its FIB.
enum class WordVersion { Word97OrLater, Word95, Word6, Older, NotWord };

WordVersion classifyFib(Bytes wordDocument);

struct Fib {
    std::uint16_t nFib = 0;
    bool encrypted = false;
    bool useTable1 = false;
    std::uint32_t ccpText = 0;
    FcLcb stshf;
    FcLcb plcfBteChpx;
    FcLcb plcfBtePapx;
    FcLcb clx;
};

// Reads the FIB of a Word 97-or-later WordDocument stream.
Fib readFib(Bytes wordDocument);

struct Piece {
    std::uint32_t cpStart = 0;
    std::uint32_t cpEnd = 0;
    std::uint32_t fc = 0;     // byte offset of the first character in WordDocument
    bool compressed = false;  // one byte per character (Windows-1252) instead of UTF-16
    std::uint16_t prm = 0;
};

struct PieceTable {
    std::vector<Piece> pieces;
    std::vector<Bytes> prcs;  // property lists that Prm1 values index
};

// Parses the Clx; checks that every piece's text lies inside WordDocument.
PieceTable readPieceTable(Bytes table, FcLcb clx, std::size_t wordDocumentSize);

struct Sprm {
    std::uint16_t opcode = 0;
    Bytes operand;  // without the length prefix of variable-size operands
};

// The sprm at grpprl[at] (advancing at past it), or nullopt at the end of the
// list or at a truncated sprm.
std::optional<Sprm> nextSprm(Bytes grpprl, std::size_t& at);

// The sprm a Prm0 stands for, or 0 when it is of no interest here.
std::uint16_t prm0Sprm(std::uint8_t isprm);

// Paragraph property pages (PlcBtePapx + PapxFkp).
class ParagraphPages {
  public:
    ParagraphPages(Bytes wordDocument, Bytes table, FcLcb plcfBtePapx);

    struct Lookup {
        Bytes grpprl;            // the paragraph's direct properties (may be empty)
        bool endsRun = false;    // fc + width is where the paragraph's FC run ends
        std::uint16_t istd = 0;  // the paragraph's style
        std::uint32_t fcStart = 0;
        std::uint32_t fcEnd = 0;  // exclusive; fcStart == fcEnd when fc lies in no run
    };
    // The properties of the paragraph holding the character at fc; width is the
    // character's size in bytes.
    Lookup find(std::uint32_t fc, std::uint32_t width) const;

  private:
    Bytes m_wordDocument;
    std::vector<std::uint32_t> m_fcs;
    std::vector<std::uint32_t> m_pages;
};

// What the style sheet says about hidden text: whether each style's character
// properties, through the styles it is based on, hide text.
class StyleSheet {
  public:
    StyleSheet(Bytes table, FcLcb stshf);
    bool hides(std::uint16_t istd) const { return istd < m_hidden.size() && m_hidden[istd]; }
    // Whether the style itself (or one it is based on) sets the property; nullopt when none does.
    std::optional<bool> setsHidden(std::uint16_t istd) const {
        if (istd >= m_explicit.size() || !m_explicit[istd])
            return std::nullopt;
        return m_hidden[istd];
    }

  private:
    std::vector<bool> m_hidden;
    std::vector<bool> m_explicit;
};

// Character property pages (PlcBteChpx + ChpxFkp).
class CharacterPages {
  public:
    CharacterPages(Bytes wordDocument, Bytes table, FcLcb plcfBteChpx);

    struct Run {
        Bytes grpprl;  // the run's direct properties (may be empty)
        std::uint32_t fcStart = 0;
        std::uint32_t fcEnd = 0;  // exclusive; fcStart == fcEnd when fc lies in no run
    };
    Run find(std::uint32_t fc) const;

  private:
    Bytes m_wordDocument;
    std::vector<std::uint32_t> m_fcs;
    std::vector<std::uint32_t> m_pages;
};

}  // namespace vantile::office::word::doc
