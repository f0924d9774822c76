#pragma once
// How the text assigned to a cell becomes the cell's value. Nothing is lost: a
// text becomes a number only when the number shows exactly that text again.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantile::office::excel {

// The most characters (UTF-16 units) a cell holds.
inline constexpr std::size_t kMaxCellTextUnits = 32767;

struct CellValue {
    enum class Kind : std::uint8_t { Empty, Number, Text };
    Kind kind = Kind::Empty;
    bool wrap = false;  // the text has line breaks and wraps in its cell
    double number = 0;
    std::u16string text;  // line breaks are LF

    bool operator==(const CellValue&) const = default;
};

// A plain decimal number: optional "-", digits without a leading zero (except
// a lone "0"), optional "." with digits not ending in "0", at most 15
// significant digits, and not "-0". Anything else (exponents, "+", blanks,
// "007", "1.50", "12%") is no number, so its characters are kept as text.
std::optional<double> ParsePlainDecimal(std::string_view text);

// The value of a cell given a text: empty text empties the cell; a plain
// decimal number becomes a number; any other text stays text with CR LF, CR and
// VT turned into LF (and the cell wrapping when there is one), cut to the first
// kMaxCellTextUnits units without splitting a surrogate pair.
CellValue CellValueFromText(std::string_view utf8);

}  // namespace vantile::office::excel
