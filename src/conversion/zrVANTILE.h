#pragma once
// The product's converter: every table of a Word document becomes one worksheet of
// a new workbook, cell by cell as text, saved as ".xls".

#include "conversion/zrWordOle.h"
#include "project/zrEvents.h"

namespace vantile {

class TzrVANTILE : public TzrWordOle {
  public:
    using TzrWordOle::TzrWordOle;

    // The converter class of the product, for the project's FConvertorClass.
    static TzrConvertorClass Class();

    void ConvertTask(TzrBatch* Batch, TzrNode* Node) override;

    // Points per character of a sheet column: a table column's width in points
    // divided by 5.4 gives the sheet column's width.
    static double ColumnWidth(double Points);
};

}  // namespace vantile
