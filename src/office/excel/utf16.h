#pragma once
// UTF-8 <-> UTF-16 for the texts the workbook stores (the format counts
// characters in UTF-16 units).

#include <string>
#include <string_view>

#include "platform/unicode.h"

namespace vantile::office::excel {

using platform::Utf16ToUtf8;
using platform::Utf8ToUtf16;

// Upper-cases a UTF-16 unit for name comparisons without regard to case
// (ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic letters).
char16_t FoldCase(char16_t c);
bool SameTextIgnoringCase(std::u16string_view a, std::u16string_view b);

}  // namespace vantile::office::excel
