#pragma once
// Writes a version-3 compound file (512-byte sectors) holding streams at the
// root storage. Streams of 4096 bytes and more occupy consecutive ordinary
// sectors in the order given, the first one from sector 0; shorter streams go
// to the mini stream. Files beyond 109 FAT sectors (about 6.8 MB) get DIFAT
// sectors. The output depends only on the input (all times are zero).

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vantile::office::container {

struct CompoundFileStream {
    std::u16string name;  // 1 to 31 UTF-16 units, none of / \ : !
    std::span<const std::uint8_t> data;
};

// Raises std::invalid_argument for a bad or duplicate name (compared without
// regard to case) and for a stream of 4 GiB or more.
std::vector<std::uint8_t> WriteCompoundFile(std::span<const CompoundFileStream> streams);

// The same file for one stream of at least 4096 bytes, built around it without
// a copy: on entry `file` holds 512 bytes of room for the header followed by
// the stream's data; on return it holds the whole file.
void WriteSingleStreamCompoundFile(std::vector<std::uint8_t>& file, std::u16string name);

}  // namespace vantile::office::container
