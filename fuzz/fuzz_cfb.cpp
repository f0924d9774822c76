// Feeds arbitrary bytes to the compound-file reader and reads the streams a
// Word document has: it must succeed or raise CompoundFileError.
#include <cstddef>
#include <cstdint>
#include <span>

#include "office/container/cfb_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantile::office::container;
    try {
        const CompoundFileReader reader(std::span<const std::uint8_t>(data, size));
        for (const char* path : {"WordDocument", "1Table", "0Table", "Data", "Macros/VBA/dir"})
            (void)reader.readStream(path);
        (void)reader.hasStorage("Macros");
    } catch (const CompoundFileError&) {
    }
    return 0;
}
