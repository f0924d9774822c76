// Feeds arbitrary bytes to the .doc reader (and the compound-file reader below
// it): it must return a document or raise DocumentError, never crash, hang or
// exhaust memory.
#include <cstddef>
#include <cstdint>
#include <span>

#include "office/word/doc_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantile::office::word;
    try {
        (void)ReadDoc(std::span<const std::uint8_t>(data, size));
    } catch (const DocumentError&) {
    }
    return 0;
}
