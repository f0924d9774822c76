#pragma once
// Read access to a zip archive held in memory (the container of OOXML packages):
// the central directory, and entries stored or deflated, read whole or streamed
// in chunks. Every size is checked against fixed limits before anything is
// inflated, so a hostile archive fails with a ZipError instead of exhausting memory.

#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vantile::office::container {

// A damaged, unsupported or hostile archive; the message says what is wrong.
class ZipError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct ZipLimits {
    std::uint32_t maxEntries = 20000;
    // Largest uncompressed size of one entry.
    std::uint64_t maxEntryBytes = 128ull << 20;
    // Entries above ratioFloorBytes may not inflate more than maxRatio times their
    // compressed size: deflate reaches about 1000:1 only on the repetitive data
    // that decompression bombs are made of, real document parts stay far below.
    std::uint64_t maxRatio = 500;
    std::uint64_t ratioFloorBytes = 1ull << 20;
};

struct ZipEntry {
    std::string name;  // as stored, "\" turned into "/"
    std::uint16_t method = 0;
    std::uint16_t flags = 0;
    std::uint32_t crc32 = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint64_t localHeaderOffset = 0;
};

class ZipArchive {
  public:
    // Parses the central directory; raises ZipError. The bytes must outlive the archive.
    explicit ZipArchive(std::span<const std::uint8_t> bytes, ZipLimits limits = {});

    const std::vector<ZipEntry>& entries() const { return m_entries; }
    // The entry of that name, letter case ignored (as OPC part names compare); null if none.
    const ZipEntry* find(std::string_view name) const;

    // Hands the entry's content to sink in chunks of at most 64 KiB, checking the
    // size and CRC as it goes; raises ZipError (or whatever sink raises).
    using ChunkSink = std::function<void(std::span<const std::uint8_t>)>;
    void stream(const ZipEntry& entry, const ChunkSink& sink) const;
    // The whole content of a (small) entry.
    std::string read(const ZipEntry& entry) const;

  private:
    std::span<const std::uint8_t> entryData(const ZipEntry& entry) const;

    std::span<const std::uint8_t> m_bytes;
    ZipLimits m_limits;
    std::vector<ZipEntry> m_entries;
};

}  // namespace vantile::office::container
