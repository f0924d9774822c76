#include "platform/text_file.h"

#include <array>

#include "platform/files.h"
#include "platform/unicode.h"

namespace vantile::platform {

namespace {

constexpr char32_t Replacement = 0xFFFD;

// Length of the well-formed UTF-8 sequence at i, or 0 (overlongs, surrogates
// and values above U+10FFFF are ill-formed).
std::size_t Utf8SequenceLength(std::span<const std::uint8_t> b, std::size_t i) {
    const std::uint8_t c = b[i];
    if (c < 0x80)
        return 1;
    std::size_t len;
    std::uint8_t lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        if (c == 0xE0)
            lo = 0xA0;
        if (c == 0xED)
            hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        if (c == 0xF0)
            lo = 0x90;
        if (c == 0xF4)
            hi = 0x8F;
    } else {
        return 0;
    }
    if (i + len > b.size())
        return 0;
    if (b[i + 1] < lo || b[i + 1] > hi)
        return 0;
    for (std::size_t k = 2; k < len; ++k)
        if (b[i + k] < 0x80 || b[i + k] > 0xBF)
            return 0;
    return len;
}

bool IsValidUtf8(std::span<const std::uint8_t> b) {
    for (std::size_t i = 0; i < b.size();) {
        const std::size_t n = Utf8SequenceLength(b, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::string Utf8Lenient(std::span<const std::uint8_t> b) {
    std::string out;
    out.reserve(b.size());
    for (std::size_t i = 0; i < b.size();) {
        const std::size_t n = Utf8SequenceLength(b, i);
        if (n == 0) {
            AppendUtf8(out, Replacement);
            ++i;
        } else {
            out.append(reinterpret_cast<const char*>(b.data() + i), n);
            i += n;
        }
    }
    return out;
}

std::string Utf16(std::span<const std::uint8_t> b, bool bigEndian) {
    std::string out;
    out.reserve(b.size());
    const std::size_t units = b.size() / 2;
    auto unit = [&](std::size_t k) -> char32_t {
        return bigEndian ? char32_t(b[2 * k] << 8 | b[2 * k + 1]) : char32_t(b[2 * k + 1] << 8 | b[2 * k]);
    };
    for (std::size_t k = 0; k < units; ++k) {
        const char32_t u = unit(k);
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
            const char32_t v = unit(k + 1);
            if (v >= 0xDC00 && v <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00));
                ++k;
                continue;
            }
        }
        AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? Replacement : u);
    }
    if (b.size() % 2 != 0)
        AppendUtf8(out, Replacement);
    return out;
}

// Windows-1252 positions 0x80..0x9F; the five unassigned ones map to the C1
// controls of the same value, as the original platform's conversion does.
constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string Cp1252(std::span<const std::uint8_t> b) {
    std::string out;
    out.reserve(b.size() * 2);
    for (std::uint8_t c : b) {
        if (c >= 0x80 && c <= 0x9F)
            AppendUtf8(out, Cp1252High[c - 0x80]);
        else
            AppendUtf8(out, c);
    }
    return out;
}

}  // namespace

std::string DecodeText(std::span<const std::uint8_t> Bytes) {
    if (Bytes.size() >= 3 && Bytes[0] == 0xEF && Bytes[1] == 0xBB && Bytes[2] == 0xBF)
        return Utf8Lenient(Bytes.subspan(3));
    if (Bytes.size() >= 2 && Bytes[0] == 0xFF && Bytes[1] == 0xFE)
        return Utf16(Bytes.subspan(2), false);
    if (Bytes.size() >= 2 && Bytes[0] == 0xFE && Bytes[1] == 0xFF)
        return Utf16(Bytes.subspan(2), true);
    if (IsValidUtf8(Bytes))
        return std::string(reinterpret_cast<const char*>(Bytes.data()), Bytes.size());
    return Cp1252(Bytes);
}

std::vector<std::string> SplitLines(const std::string& Text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.push_back(Text.substr(start, i - start));
        if (c == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < Text.size())
        lines.push_back(Text.substr(start));
    return lines;
}

std::string JoinLines(const std::vector<std::string>& Lines) {
    // Sized once: a long result list is written at the end of a run, when doubling
    // growth would hold several copies of it at once.
    std::size_t size = 0;
    for (const auto& line : Lines)
        size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const auto& line : Lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::vector<std::string> ReadTextLines(const std::string& Path, std::uint64_t MaxBytes) {
    const auto bytes = ReadFileBytes(Path, MaxBytes);
    return SplitLines(DecodeText(bytes));
}

void WriteTextLines(const std::string& Path, const std::vector<std::string>& Lines) {
    const std::string text = JoinLines(Lines);
    WriteFileAtomically(Path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace vantile::platform
