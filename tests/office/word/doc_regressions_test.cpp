// Inputs kept from fuzzing the .doc reader (fuzz/regressions/doc): each must read
// or fail with DocumentError.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "office/word/doc_reader.h"
#include "support/test_support.h"

namespace vantile::office::word {
namespace {

TEST(DocRegressions, FuzzedInputsReadOrFailClearly) {
    const auto dir = std::filesystem::path(VANTILE_SOURCE_DIR) / "fuzz/regressions/doc";
    int inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string text = test::readFile(entry.path());
        ++inputs;
        try {
            (void)ReadDoc(std::vector<std::uint8_t>(text.begin(), text.end()));
        } catch (const DocumentError&) {
        }
    }
    EXPECT_GT(inputs, 0);
}

}  // namespace
}  // namespace vantile::office::word
