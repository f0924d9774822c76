#include "office/excel/cell_value.h"

#include <charconv>
#include <cmath>

#include "office/excel/utf16.h"

namespace vantile::office::excel {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<double> ParsePlainDecimal(std::string_view text) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        i = 1;
    const std::size_t intStart = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    const std::size_t intDigits = i - intStart;
    if (intDigits == 0)
        return std::nullopt;
    if (intDigits > 1 && text[intStart] == '0')
        return std::nullopt;
    std::size_t fracDigits = 0;
    if (i < text.size() && text[i] == '.') {
        const std::size_t fracStart = ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i;
        fracDigits = i - fracStart;
        // "1." and "1.50" would not show again as they are written.
        if (fracDigits == 0 || text[i - 1] == '0')
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;

    std::size_t significant = 0;
    bool leading = true;
    for (std::size_t k = intStart; k < text.size(); ++k) {
        if (text[k] == '.')
            continue;
        if (leading && text[k] == '0')
            continue;
        leading = false;
        ++significant;
    }
    if (significant > 15)
        return std::nullopt;
    if (significant == 0 && negative)
        return std::nullopt;  // "-0" shows as "0"
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    if (value == 0 && significant != 0)
        return std::nullopt;  // too small for a double
    return value;
}

CellValue CellValueFromText(std::string_view utf8) {
    CellValue value;
    if (utf8.empty())
        return value;
    if (auto number = ParsePlainDecimal(utf8)) {
        value.kind = CellValue::Kind::Number;
        value.number = *number;
        return value;
    }
    value.kind = CellValue::Kind::Text;
    std::u16string units = Utf8ToUtf16(utf8);
    std::u16string& text = value.text;
    text.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        char16_t c = units[i];
        if (c == u'\r') {
            if (i + 1 < units.size() && units[i + 1] == u'\n')
                ++i;
            c = u'\n';
        } else if (c == u'\v') {
            c = u'\n';
        }
        if (c == u'\n')
            value.wrap = true;
        text.push_back(c);
    }
    if (text.size() > kMaxCellTextUnits) {
        std::size_t keep = kMaxCellTextUnits;
        if (text[keep - 1] >= 0xD800 && text[keep - 1] <= 0xDBFF)
            --keep;
        text.resize(keep);
        value.wrap = text.find(u'\n') != std::u16string::npos;
    }
    return value;
}

}  // namespace vantile::office::excel
