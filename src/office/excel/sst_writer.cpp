#include "office/excel/sst_writer.h"

#include <algorithm>
#include <functional>

#include "office/excel/biff8_records.h"

namespace vantile::office::excel {

std::uint32_t SharedStrings::add(std::u16string_view text) {
    ++m_total;
    if (2 * (m_strings.size() + 1) > m_slots.size())
        grow();
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t slot = std::hash<std::u16string_view>{}(text)&mask;; slot = (slot + 1) & mask) {
        const std::uint32_t entry = m_slots[slot];
        if (entry == 0) {
            m_strings.push_back(text);
            m_slots[slot] = static_cast<std::uint32_t>(m_strings.size());
            return static_cast<std::uint32_t>(m_strings.size() - 1);
        }
        if (m_strings[entry - 1] == text)
            return entry - 1;
    }
}

void SharedStrings::grow() {
    m_slots.assign(std::max<std::size_t>(64, 2 * m_slots.size()), 0);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = 0; i < m_strings.size(); ++i) {
        std::size_t slot = std::hash<std::u16string_view>{}(m_strings[i]) & mask;
        while (m_slots[slot] != 0)
            slot = (slot + 1) & mask;
        m_slots[slot] = static_cast<std::uint32_t>(i + 1);
    }
}

void SharedStrings::write(RecordStream& out) const {
    constexpr std::size_t kLimit = biff8::kMaxRecordData;
    const std::size_t perBucket = std::clamp<std::size_t>(m_strings.size() / 128 + 1, 8, 0xFFFF);
    struct Bucket {
        std::uint32_t streamPosition;
        std::uint16_t offsetInRecord;
    };
    std::vector<Bucket> buckets;
    buckets.reserve(m_strings.size() / perBucket + 1);
    auto nextRecord = [&] {
        out.end();
        out.begin(biff8::kContinue);
    };

    out.begin(biff8::kSst);
    out.u32(m_total);
    out.u32(unique());
    for (std::size_t i = 0; i < m_strings.size(); ++i) {
        const std::u16string_view text = m_strings[i];
        const bool high = NeedsHighByte(text);
        const std::size_t unit = high ? 2 : 1;
        // Count and flags stay together, with the first character if there is one.
        if (out.recordDataSize() + 3 + (text.empty() ? 0 : unit) > kLimit)
            nextRecord();
        if (i % perBucket == 0) {
            buckets.push_back({static_cast<std::uint32_t>(out.size()),
                               static_cast<std::uint16_t>(out.size() - out.recordStart())});
        }
        out.u16(static_cast<std::uint16_t>(text.size()));
        out.u8(high ? 1 : 0);
        std::size_t done = 0;
        for (;;) {
            const std::size_t room = (kLimit - out.recordDataSize()) / unit;
            const std::size_t part = std::min(room, text.size() - done);
            out.characters(text.substr(done, part), high);
            done += part;
            if (done == text.size())
                break;
            nextRecord();
            out.u8(high ? 1 : 0);
        }
    }
    out.end();

    out.begin(biff8::kExtSst);
    out.u16(static_cast<std::uint16_t>(perBucket));
    for (const Bucket& b : buckets) {
        out.u32(b.streamPosition);
        out.u16(b.offsetInRecord);
        out.u16(0);
    }
    out.end();
}

}  // namespace vantile::office::excel
