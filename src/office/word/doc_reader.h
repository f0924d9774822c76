#pragma once
// Word 97-2003 binary (.doc) reader.

#include <cstdint>
#include <span>

#include "office/word/document.h"

namespace vantile::office::word {

// Reads the tables of a Word binary document held in a compound file in memory;
// raises DocumentError.
Document ReadDoc(std::span<const std::uint8_t> compoundFile);

}  // namespace vantile::office::word
