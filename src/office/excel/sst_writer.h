#pragma once
// The shared string table: every distinct text of the workbook once, in the
// order first used; cells refer to it by index. Written as SST with as many
// CONTINUE records as needed, followed by the EXTSST index.

#include <cstdint>
#include <string_view>
#include <vector>

#include "office/excel/record_stream.h"

namespace vantile::office::excel {

class SharedStrings {
  public:
    // The index of the text, adding it when new. The text must outlive this table.
    std::uint32_t add(std::u16string_view text);
    std::uint32_t total() const { return m_total; }
    std::uint32_t unique() const { return static_cast<std::uint32_t>(m_strings.size()); }

    // A string never splits in its count and flags; when its characters go on
    // in a CONTINUE record, that record starts with a new flags byte and no
    // character is ever cut in half. EXTSST points to every dsst-th string.
    void write(RecordStream& out) const;

  private:
    void grow();

    std::vector<std::u16string_view> m_strings;
    // Open addressing over m_strings: 0 is a free slot, k is string k - 1.
    // Kept at most half full; far leaner than a node-based map for big workbooks.
    std::vector<std::uint32_t> m_slots;
    std::uint32_t m_total = 0;
};

}  // namespace vantile::office::excel
