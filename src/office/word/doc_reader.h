#pragma once
// Word 97-2003 binary (.doc) reader.

#include <cstdint>
#include <span>
#include <string_view>

#include "office/container/cfb_reader.h"
#include "office/word/document.h"

namespace vantile::office::word {

// Reads the tables of a Word binary document held in a compound file in memory;
// raises DocumentError.
Document ReadDoc(std::span<const std::uint8_t> compoundFile);

// The same for a compound file already opened; displayName names the file in the
// message about a compound file that holds no Word document.
Document ReadDoc(const container::CompoundFileReader& file, std::string_view displayName);

}  // namespace vantile::office::word
