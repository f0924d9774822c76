#pragma once
// Reads a Word document of any supported kind; the kind is recognised from the
// content, never from the file name.

#include <cstdint>
#include <span>
#include <string_view>

#include "office/word/document.h"

namespace vantile::office::word {

// Raises DocumentError with a message a user can act on; displayName (usually
// the file's path) is named in messages about inputs that are no Word document.
Document ReadWordDocument(std::span<const std::uint8_t> bytes, std::string_view displayName);

}  // namespace vantile::office::word
