// The product's identity. Every other unit reads title, extensions, mask and the
// converter class from the project; this is the one place that sets them.

#include "batch/zrBatch.h"
#include "conversion/zrVANTILE.h"
#include "project/zrProject.h"
#include "shell/zrStartup.h"

namespace vantile {

void WriteProductDescription(TzrProject& AProject, TzrApp& AApp) {
    AProject.FConvertorClass = TzrVANTILE::Class();
    AProject.FSourceMask = "*.doc?";
    AProject.FSourceFilter = "Word Document (*.doc;*.docx)|*.doc;*.docx";
    AProject.FTargetExt = ".xls";
    AProject.FShortName = "vantile";
    AProject.FProjectExt = ".batch-" + AProject.FShortName;
    AProject.FProjectFilter = "Gridfall Project|*" + AProject.FProjectExt;
    AProject.FTitle = "Gridfall Converter";
    AApp.Title = AProject.FTitle;
    SkipOwnerFiles = true;
    AProject.FVersion = "2018.10.1011.2557";
}

}  // namespace vantile
