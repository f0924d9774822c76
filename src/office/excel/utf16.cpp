#include "office/excel/utf16.h"

namespace vantile::office::excel {

char16_t FoldCase(char16_t c) {
    if (c < 0x80)
        return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<char16_t>(c - 32);
    if (c == 0xFF)
        return 0x178;
    // Latin Extended-A pairs capital and small letters as even/odd neighbours,
    // shifted by one between U+0139 and U+0148 and between U+0179 and U+017E.
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return static_cast<char16_t>(c & ~1u);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
        return (c & 1u) ? c : static_cast<char16_t>(c - 1);
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2)
        return static_cast<char16_t>(c - 32);
    if (c == 0x3C2)
        return 0x3A3;  // final sigma
    if (c == 0x3AC)
        return 0x386;  // Greek letters with tonos
    if (c >= 0x3AD && c <= 0x3AF)
        return static_cast<char16_t>(c - 37);
    if (c == 0x3CC)
        return 0x38C;
    if (c == 0x3CD || c == 0x3CE)
        return static_cast<char16_t>(c - 63);
    if (c >= 0x430 && c <= 0x44F)
        return static_cast<char16_t>(c - 32);
    if (c >= 0x450 && c <= 0x45F)
        return static_cast<char16_t>(c - 80);
    return c;
}

bool SameTextIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    }
    return true;
}

}  // namespace vantile::office::excel
