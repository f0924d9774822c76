#pragma once
// WordprocessingML (.docx, .docm) reader.

#include <cstdint>
#include <span>

#include "office/word/document.h"

namespace vantile::office::word {

// A readable zip archive that holds no WordprocessingML document (a workbook,
// a presentation, any other zip). Its message does not name the file; callers
// that know the name say "Not a Word document: <name>".
class NotWordPackageError : public DocumentError {
  public:
    using DocumentError::DocumentError;
};

// Reads the tables of a WordprocessingML package held in memory; raises DocumentError.
Document ReadDocx(std::span<const std::uint8_t> package);

}  // namespace vantile::office::word
