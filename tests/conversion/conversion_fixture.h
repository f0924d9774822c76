#pragma once
// A project set up as the product's, with a source and a target folder, and a
// batch whose folders point at them.

#include <memory>
#include <string>

#include "batch/project_fixture.h"
#include "conversion/zrVANTILE.h"

namespace vantile::test {

class ConversionTest : public ProjectTest {
  protected:
    void SetUp() override {
        ProjectTest::SetUp();
        project().FTargetExt = ".xls";
        project().FShortName = "vantile";
        project().FConvertorClass = TzrVANTILE::Class();
        ConvertorsAlive = 0;
    }
    // A batch prepared on the source folder with a mask that finds nothing.
    std::unique_ptr<TzrBatch> preparedBatch() {
        auto batch = std::make_unique<TzrBatch>();
        batch->Prepare(m_src.str() + "*.none", m_out.str(), false);
        batch->WaitFor();
        return batch;
    }
    TempDir m_src, m_out;
};

}  // namespace vantile::test
