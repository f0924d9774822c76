#pragma once
// The byte stream of BIFF8 records: each record is a 2-byte type, a 2-byte
// data length and the data. Records are written in place: begin() reserves the
// header, end() fills in the length.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace vantile::office::excel {

class RecordStream {
  public:
    // The buffer may start with `prefix` zero bytes that are not part of the
    // stream (room for a container header); positions count from the stream's start.
    explicit RecordStream(std::size_t prefix = 0)
        : m_bytes(prefix, 0), m_base(prefix), m_recordStart(prefix) {}

    std::size_t size() const { return m_bytes.size() - m_base; }
    // The stream's bytes.
    std::vector<std::uint8_t> bytes() const {
        return {m_bytes.begin() + static_cast<std::ptrdiff_t>(m_base), m_bytes.end()};
    }
    // The whole buffer, prefix included.
    std::vector<std::uint8_t> take() { return std::move(m_bytes); }
    void reserve(std::size_t n) { m_bytes.reserve(m_base + n); }

    void begin(std::uint16_t type);
    // Raises std::logic_error when the data exceed the record limit.
    void end();
    // Data bytes written since begin().
    std::size_t recordDataSize() const { return m_bytes.size() - m_recordStart - 4; }
    // Position of the open record's header.
    std::size_t recordStart() const { return m_recordStart - m_base; }

    void u8(std::uint8_t v) { m_bytes.push_back(v); }
    void u16(std::uint16_t v);
    void u32(std::uint32_t v);
    void f64(double v);
    void zeros(std::size_t n) { m_bytes.insert(m_bytes.end(), n, 0); }
    void raw(std::span<const std::uint8_t> data) { m_bytes.insert(m_bytes.end(), data.begin(), data.end()); }
    // A record with the given data bytes.
    void record(std::uint16_t type, std::initializer_list<std::uint8_t> data = {});
    void record16(std::uint16_t type, std::uint16_t value);

    void patch32(std::size_t at, std::uint32_t v);

    // The characters of a string: one byte each when every unit is below 256
    // (the "compressed" form), else UTF-16LE.
    void characters(std::u16string_view text, bool highByte);
    // Count, flags, characters: the 1-byte count form (sheet and font names) and
    // the 2-byte count form.
    void shortUnicodeString(std::u16string_view text);
    void unicodeString(std::u16string_view text);

  private:
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_base;
    std::size_t m_recordStart;
};

// True when a character of the text needs the UTF-16 form.
bool NeedsHighByte(std::u16string_view text);

}  // namespace vantile::office::excel
