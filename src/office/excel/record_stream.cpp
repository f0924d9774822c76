#include "office/excel/record_stream.h"

#include <bit>
#include <stdexcept>

#include "office/excel/biff8_records.h"

namespace vantile::office::excel {

void RecordStream::begin(std::uint16_t type) {
    m_recordStart = m_bytes.size();
    u16(type);
    u16(0);
}

void RecordStream::end() {
    const std::size_t length = recordDataSize();
    if (length > biff8::kMaxRecordData)
        throw std::logic_error("BIFF8 record longer than 8224 bytes");
    m_bytes[m_recordStart + 2] = static_cast<std::uint8_t>(length);
    m_bytes[m_recordStart + 3] = static_cast<std::uint8_t>(length >> 8);
}

void RecordStream::u16(std::uint16_t v) {
    m_bytes.push_back(static_cast<std::uint8_t>(v));
    m_bytes.push_back(static_cast<std::uint8_t>(v >> 8));
}

void RecordStream::u32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        m_bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void RecordStream::f64(double v) {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    for (int i = 0; i < 8; ++i)
        m_bytes.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
}

void RecordStream::record(std::uint16_t type, std::initializer_list<std::uint8_t> data) {
    begin(type);
    m_bytes.insert(m_bytes.end(), data.begin(), data.end());
    end();
}

void RecordStream::record16(std::uint16_t type, std::uint16_t value) {
    begin(type);
    u16(value);
    end();
}

void RecordStream::patch32(std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        m_bytes[m_base + at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void RecordStream::characters(std::u16string_view text, bool highByte) {
    if (highByte) {
        for (char16_t c : text)
            u16(c);
    } else {
        for (char16_t c : text)
            m_bytes.push_back(static_cast<std::uint8_t>(c));
    }
}

void RecordStream::shortUnicodeString(std::u16string_view text) {
    const bool high = NeedsHighByte(text);
    u8(static_cast<std::uint8_t>(text.size()));
    u8(high ? 1 : 0);
    characters(text, high);
}

void RecordStream::unicodeString(std::u16string_view text) {
    const bool high = NeedsHighByte(text);
    u16(static_cast<std::uint16_t>(text.size()));
    u8(high ? 1 : 0);
    characters(text, high);
}

bool NeedsHighByte(std::u16string_view text) {
    for (char16_t c : text) {
        if (c > 0xFF)
            return true;
    }
    return false;
}

}  // namespace vantile::office::excel
