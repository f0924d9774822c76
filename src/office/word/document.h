#pragma once
// The document model that the .docx and .doc readers produce and the
// "Word.Application" server answers from: the top-level tables of the main
// text, nothing else of the document.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vantile::office::word {

// A document that cannot be read; the message is shown to the user as the
// task's result, so it says what is wrong in plain words.
class DocumentError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

enum class VerticalMerge : std::uint8_t { None, Restart, Continue };

struct TableCell {
    // The cell's text as the word processor gives it, UTF-8, without the
    // end-of-cell mark: paragraphs separated by CR, tabs as TAB, manual line
    // breaks as VT (11); a nested table's text inline with its own CR+BEL marks.
    std::string text;
    std::uint32_t gridSpan = 1;  // grid columns the cell covers (at least 1)
    VerticalMerge vMerge = VerticalMerge::None;
};

struct TableRow {
    std::uint32_t gridBefore = 0;  // grid columns skipped before the first cell
    std::vector<TableCell> cells;
};

struct Table {
    // Width of each grid column in twips; empty when the document gives no grid.
    // An entry is nullopt when that column's width is unknown.
    std::vector<std::optional<std::uint32_t>> gridTwips;
    std::vector<TableRow> rows;

    // Number of grid columns: the grid's size, or the widest row when that is wider.
    std::uint32_t columnCount() const;
};

struct Document {
    std::vector<Table> tables;  // top-level tables of the main text, in document order
    bool hasVBProject = false;  // the document carries a macro project
};

}  // namespace vantile::office::word
