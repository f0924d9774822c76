#pragma once
// The product's converter: every table of a Word document becomes one worksheet of
// a new workbook, cell by cell as text, saved as ".xls".

#include <cstdint>

#include "conversion/zrWordOle.h"
#include "project/zrEvents.h"

namespace vantile {

class TzrVANTILE : public TzrWordOle {
  public:
    using TzrWordOle::TzrWordOle;

    // The converter class of the product, for the project's FConvertorClass.
    static TzrConvertorClass Class();

    void ConvertTask(TzrBatch* Batch, TzrNode* Node) override;

    // A table column's width in points divided by 5.4 gives the sheet column's width
    // in characters. The divisor is kept as a fixed-point number with four decimal
    // places (54000 stands for 5.4000), so that 108 points give exactly 20.
    static constexpr std::int64_t ColumnWidthDivisor = 54000;
    static double ColumnWidth(double Points);
};

}  // namespace vantile
