#pragma once
// The "Word.Application" automation server: the document engine answering the
// members of the word processor's object model that the converter uses
// (Documents.Open/Add, Tables, Rows, Columns, Cell(i, j).Range.Text, ...).

#include <cstdint>

#include "automation/core/object.h"

namespace vantile::office::word {

// Documents larger than this are refused before they are read.
inline constexpr std::uint64_t kMaxDocumentBytes = 256ull << 20;

automation::ObjectPtr CreateWordApplication();

}  // namespace vantile::office::word
