#pragma once
// Reads a compound file (OLE structured storage) held in memory. Every sector id,
// chain and directory link is treated as untrusted: a damaged file ends in
// CompoundFileError, never in a read outside the buffer, a loop or an allocation
// larger than the file.

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vantile::office::container {

class CompoundFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class CompoundFileReader {
  public:
    // True when the bytes start with the compound-file signature.
    static bool hasSignature(std::span<const std::uint8_t> bytes);

    // Checks the header and loads the allocation tables and the directory; the
    // bytes must outlive the reader.
    explicit CompoundFileReader(std::span<const std::uint8_t> bytes);

    // Paths name entries below the root, separated by "/" ("Macros/VBA");
    // names compare without regard to ASCII case.
    bool hasStream(std::string_view path) const;
    bool hasStorage(std::string_view path) const;
    // The stream's content, or nullopt when there is no such stream.
    std::optional<std::vector<std::uint8_t>> readStream(std::string_view path) const;

  private:
    struct Entry {
        std::u16string name;
        std::uint8_t type = 0;
        std::uint32_t left = 0;
        std::uint32_t right = 0;
        std::uint32_t child = 0;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };

    std::span<const std::uint8_t> sectorBytes(std::uint32_t sector) const;
    std::vector<std::uint32_t> chain(std::uint32_t start, const std::vector<std::uint32_t>& table,
                                     std::uint64_t maxLength, const char* what) const;
    std::vector<std::uint8_t> readChain(const std::vector<std::uint32_t>& sectors, std::uint64_t size) const;
    std::optional<std::uint32_t> find(std::string_view path) const;
    std::optional<std::uint32_t> findChild(std::uint32_t storage, const std::u16string& name) const;

    std::span<const std::uint8_t> m_bytes;
    std::uint32_t m_sectorShift = 9;
    std::uint32_t m_sectorCount = 0;  // sectors present in the file (the last may be short)
    std::vector<std::uint32_t> m_fat;
    std::vector<std::uint32_t> m_miniFat;
    std::vector<std::uint32_t> m_miniStreamSectors;
    std::uint64_t m_miniStreamSize = 0;
    std::vector<Entry> m_entries;
};

}  // namespace vantile::office::container
