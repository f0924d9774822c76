#include "office/word/doc_reader.h"

namespace vantile::office::word {

Document ReadDoc(std::span<const std::uint8_t>) {
    throw DocumentError("Word 97-2003 documents (.doc) are not supported yet");
}

}  // namespace vantile::office::word
