#include "office/word/word_reader.h"

#include <algorithm>
#include <array>
#include <string>

#include "office/word/doc_reader.h"
#include "office/word/docx_reader.h"

namespace vantile::office::word {
namespace {

constexpr std::array<std::uint8_t, 4> kZipMagic{0x50, 0x4B, 0x03, 0x04};
constexpr std::array<std::uint8_t, 8> kCompoundMagic{0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

template <std::size_t N>
bool startsWith(std::span<const std::uint8_t> bytes, const std::array<std::uint8_t, N>& magic) {
    return bytes.size() >= N && std::equal(magic.begin(), magic.end(), bytes.begin());
}

}  // namespace

Document ReadWordDocument(std::span<const std::uint8_t> bytes, std::string_view displayName) {
    if (startsWith(bytes, kZipMagic)) return ReadDocx(bytes);
    if (startsWith(bytes, kCompoundMagic)) return ReadDoc(bytes);
    throw DocumentError("Not a Word document: " + std::string(displayName));
}

}  // namespace vantile::office::word
