#pragma once
// WordprocessingML (.docx, .docm) reader.

#include <cstdint>
#include <span>

#include "office/word/document.h"

namespace vantile::office::word {

// Reads the tables of a WordprocessingML package held in memory; raises DocumentError.
Document ReadDocx(std::span<const std::uint8_t> package);

}  // namespace vantile::office::word
