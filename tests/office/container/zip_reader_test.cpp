#include "office/container/zip_reader.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/docx_writer.h"

namespace vantile::office::container {
namespace {

using test::BuildZip;
using test::Bytes;

std::span<const std::uint8_t> span(const std::vector<std::uint8_t>& v) {
    return {v.data(), v.size()};
}

std::string repeated(std::size_t n) {
    std::string s;
    s.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        s.push_back(static_cast<char>('a' + (i * 7 + i / 13) % 26));
    return s;
}

TEST(ZipReader, ReadsStoredAndDeflatedEntriesWholeAndInChunks) {
    const std::string big = repeated(300 * 1024);  // several inflate chunks
    const auto zip =
        Bytes(BuildZip({{"a.txt", "hello", false}, {"dir/B.xml", big, true}, {"empty", "", true}}));
    const ZipArchive archive(span(zip));
    ASSERT_EQ(archive.entries().size(), 3u);
    EXPECT_EQ(archive.read(*archive.find("a.txt")), "hello");
    EXPECT_EQ(archive.read(*archive.find("empty")), "");
    // Part names compare without regard to letter case.
    const ZipEntry* b = archive.find("DIR/b.XML");
    ASSERT_NE(b, nullptr);
    std::string joined;
    std::size_t chunks = 0;
    archive.stream(*b, [&](std::span<const std::uint8_t> chunk) {
        EXPECT_LE(chunk.size(), 64u * 1024);
        joined.append(reinterpret_cast<const char*>(chunk.data()), chunk.size());
        ++chunks;
    });
    EXPECT_EQ(joined, big);
    EXPECT_GT(chunks, 3u);
    EXPECT_EQ(archive.find("missing"), nullptr);
}

TEST(ZipReader, FindsTheDirectoryBehindACommentAndWithDataInFront) {
    std::string zip = BuildZip({{"x", "payload", true}});
    // An archive comment after the end record.
    zip[zip.size() - 2] = 5;
    zip += "hello";
    // Bytes in front (as a self-extracting archive has): offsets now point 3 bytes short.
    const auto bytes = Bytes("SFX" + zip);
    const ZipArchive archive(span(bytes));
    ASSERT_EQ(archive.entries().size(), 1u);
    EXPECT_EQ(archive.entries()[0].name, "x");
}

struct BadZip {
    const char* what;
    std::function<void(std::string&)> damage;
    const char* message;
    ZipLimits limits = {};
};

class ZipReaderRejects : public ::testing::TestWithParam<BadZip> {};

// Offsets into the single-entry archive built below: local header at 0, name "doc.xml".
constexpr std::size_t kLocalFlags = 6;
constexpr std::size_t kLocalMethod = 8;
constexpr std::size_t kDataStart = 30 + 7;

TEST_P(ZipReaderRejects, WithAClearError) {
    const BadZip& c = GetParam();
    std::string zip = BuildZip({{"doc.xml", std::string(200000, 'x'), true}});
    c.damage(zip);
    const auto bytes = Bytes(zip);
    try {
        const ZipArchive archive(span(bytes), c.limits);
        for (const auto& entry : archive.entries())
            archive.read(entry);
        FAIL() << c.what << ": no error";
    } catch (const ZipError& e) {
        EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.what << ": " << e.what();
    }
}

std::size_t centralHeader(const std::string& zip) {
    return zip.rfind(std::string("PK\x01\x02", 4));
}

INSTANTIATE_TEST_SUITE_P(
    Damages, ZipReaderRejects,
    ::testing::Values(
        BadZip{"truncated", [](std::string& z) { z.resize(z.size() / 2); }, "no central directory"},
        BadZip{"too short", [](std::string& z) { z.resize(10); }, "truncated"},
        BadZip{"data corrupted", [](std::string& z) { z[kDataStart + 2] ^= 0x55; }, "damaged"},
        BadZip{"CRC wrong", [](std::string& z) { z[centralHeader(z) + 16] ^= 1; }, "CRC mismatch"},
        BadZip{"declared size larger", [](std::string& z) { z[centralHeader(z) + 26] += 1; }, "less data"},
        BadZip{"declared size smaller", [](std::string& z) { z[centralHeader(z) + 25] -= 1; }, "more data"},
        BadZip{"encrypted", [](std::string& z) { z[centralHeader(z) + 8] |= 1; }, "encrypted"},
        BadZip{"method unknown", [](std::string& z) { z[centralHeader(z) + 10] = 14; },
               "unsupported compression"},
        BadZip{"local header gone", [](std::string& z) { z[0] = 'X'; }, "damaged"},
        BadZip{"entry count too large", [](std::string& z) { z[z.size() - 12] = 0x40; }, "damaged"},
        BadZip{"entry points past the end", [](std::string& z) { z[centralHeader(z) + 45] = 0x70; },
               "damaged"},
        BadZip{"part over the size limit", [](std::string&) {}, "too large",
               ZipLimits{20000, 1000, 500, 1 << 20}},
        BadZip{"bomb ratio", [](std::string&) {}, "decompression bomb", ZipLimits{20000, 1 << 30, 100, 1000}},
        BadZip{"too many entries", [](std::string&) {}, "too many entries",
               ZipLimits{0, 1 << 30, 500, 1 << 20}}),
    [](const ::testing::TestParamInfo<BadZip>& param) {
        std::string name = param.param.what;
        for (char& ch : name) {
            if (!isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        }
        return name;
    });

TEST(ZipReader, LocalHeaderFieldsDoNotOverrideTheDirectory) {
    // Writers that stream leave zero sizes and flags in the local header; the directory is authoritative.
    std::string zip = BuildZip({{"doc.xml", "content", true}});
    zip[kLocalFlags] = 0;
    zip[kLocalMethod] = 0;
    const auto bytes = Bytes(zip);
    const ZipArchive archive(span(bytes));
    EXPECT_EQ(archive.read(archive.entries()[0]), "content");
}

}  // namespace
}  // namespace vantile::office::container
