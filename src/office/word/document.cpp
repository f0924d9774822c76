#include "office/word/document.h"

#include <algorithm>

namespace vantile::office::word {

std::uint32_t Table::columnCount() const {
    std::uint64_t widest = gridTwips.size();
    for (const auto& row : rows) {
        std::uint64_t n = row.gridBefore;
        for (const auto& cell : row.cells)
            n += std::max<std::uint32_t>(cell.gridSpan, 1);
        widest = std::max(widest, n);
    }
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(widest, UINT32_MAX));
}

}  // namespace vantile::office::word
