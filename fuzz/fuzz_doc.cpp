// Feeds arbitrary bytes to the Word document reader (the format dispatch, the
// compound-file reader and the .doc reader): it must return a document or raise
// DocumentError, never crash, hang or exhaust memory.
#include <cstddef>
#include <cstdint>
#include <span>

#include "office/word/doc_reader.h"
#include "office/word/word_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantile::office::word;
    try {
        (void)ReadDoc(std::span<const std::uint8_t>(data, size));
    } catch (const DocumentError&) {
    }
    return 0;
}
