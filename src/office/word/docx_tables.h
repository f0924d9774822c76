#pragma once
// Extraction of the top-level tables from the main part of a WordprocessingML
// package, in one streaming pass: only the tables' text and geometry are kept.

#include <cstdint>
#include <optional>
#include <string_view>

#include "office/container/zip_reader.h"
#include "office/word/document.h"

namespace vantile::office::word::docx {

// Grid columns beyond what a worksheet holds are not kept.
inline constexpr std::uint32_t kMaxColumns = 256;

inline constexpr std::string_view kWordNs = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
inline constexpr std::string_view kWordStrictNs = "http://purl.oclc.org/ooxml/wordprocessingml/main";

// Appends the tables of the main document part to doc. Raises DocumentError, and
// NotWordPackageError when the part is no WordprocessingML document.
void ReadMainDocument(const container::ZipArchive& zip, const container::ZipEntry& part, Document& doc);

// A measure in twips: a plain (decimal) number of twips, or a number with one of
// the units mm, cm, in, pt, pc, pi as Strict documents may write it.
std::optional<std::uint32_t> ParseTwips(std::string_view text);

}  // namespace vantile::office::word::docx
