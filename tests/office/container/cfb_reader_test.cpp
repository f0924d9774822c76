#include "office/container/cfb_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "office/container/cfb_writer.h"
#include "support/test_support.h"

namespace vantile::office::container {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes pattern(std::size_t size, std::uint8_t seed) {
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i)
        b[i] = static_cast<std::uint8_t>(seed + i * 7 + i / 251);
    return b;
}

Bytes compound(const std::vector<std::pair<std::u16string, Bytes>>& streams) {
    std::vector<CompoundFileStream> list;
    for (const auto& [name, data] : streams)
        list.push_back({name, data});
    return WriteCompoundFile(list);
}

std::uint32_t get32(const Bytes& b, std::size_t at) {
    std::uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    std::memcpy(b.data() + at, &v, 4);
}

std::size_t sectorOffset(std::uint32_t sector) {
    return (std::size_t{sector} + 1) * 512;
}

// Byte offset of the FAT entry of a sector (the writer's files need no DIFAT sector here).
std::size_t fatEntry(const Bytes& b, std::uint32_t sector) {
    return sectorOffset(get32(b, 0x4C + 4 * (sector / 128))) + 4 * (sector % 128);
}

// Byte offset of the directory entry with the given ASCII name (first directory sector).
std::size_t entryOffset(const Bytes& b, const std::string& name) {
    const std::size_t dir = sectorOffset(get32(b, 0x30));
    for (std::size_t e = 0; e < 4; ++e) {
        const std::size_t at = dir + 128 * e;
        std::string decoded;
        for (std::size_t k = 0; k + 2 < static_cast<std::size_t>(b[at + 0x40]); k += 2)
            decoded.push_back(static_cast<char>(b[at + k]));
        if (decoded == name)
            return at;
    }
    ADD_FAILURE() << "no directory entry " << name;
    return 0;
}

TEST(CompoundFileReader, ReadsOrdinaryAndMiniStreamsAcrossTheCutoff) {
    const Bytes big = pattern(9000, 1);
    const Bytes cutoff = pattern(4096, 2);
    const Bytes small = pattern(4095, 3);
    const Bytes tiny = pattern(1, 4);
    const Bytes file =
        compound({{u"WordDocument", big}, {u"1Table", cutoff}, {u"Data", small}, {u"x", tiny}});
    const CompoundFileReader reader(file);
    EXPECT_EQ(reader.readStream("WordDocument"), big);
    EXPECT_EQ(reader.readStream("1table"), cutoff);  // names compare without regard to case
    EXPECT_EQ(reader.readStream("DATA"), small);
    EXPECT_EQ(reader.readStream("x"), tiny);
    EXPECT_TRUE(reader.hasStream("Data"));
    EXPECT_FALSE(reader.hasStream("0Table"));
    EXPECT_FALSE(reader.hasStorage("Data"));
    EXPECT_EQ(reader.readStream("Missing"), std::nullopt);
    EXPECT_EQ(reader.readStream("Data/inner"), std::nullopt);
}

TEST(CompoundFileReader, FindsStreamsInsideStorages) {
    Bytes file = compound({{u"Macros", pattern(10, 1)}, {u"VBA", pattern(20, 2)}});
    // Turn "Macros" into the root's only child, a storage that holds "VBA".
    const std::size_t root = sectorOffset(get32(file, 0x30));
    const std::size_t macros = entryOffset(file, "Macros");
    const std::size_t vba = entryOffset(file, "VBA");
    const auto id = [&](std::size_t at) { return static_cast<std::uint32_t>((at - root) / 128); };
    file[macros + 0x42] = 1;
    put32(file, macros + 0x44, 0xFFFFFFFF);
    put32(file, macros + 0x48, 0xFFFFFFFF);
    put32(file, macros + 0x4C, id(vba));
    put32(file, vba + 0x44, 0xFFFFFFFF);
    put32(file, vba + 0x48, 0xFFFFFFFF);
    put32(file, root + 0x4C, id(macros));

    const CompoundFileReader reader(file);
    EXPECT_TRUE(reader.hasStorage("Macros"));
    EXPECT_FALSE(reader.hasStream("Macros"));
    EXPECT_TRUE(reader.hasStream("Macros/VBA"));
    EXPECT_EQ(reader.readStream("macros/vba"), pattern(20, 2));
    EXPECT_FALSE(reader.hasStream("VBA"));
}

TEST(CompoundFileReader, ReadsFatSectorsListedInDifatSectors) {
    // Past 109 FAT sectors (about 6.8 MB) the further FAT sectors are listed in DIFAT sectors.
    const Bytes data = pattern(7300000, 9);
    const Bytes file = compound({{u"WordDocument", data}});
    ASSERT_GT(get32(file, 0x2C), 109u);
    ASSERT_EQ(get32(file, 0x48), 1u);
    EXPECT_EQ(CompoundFileReader(file).readStream("WordDocument"), data);
}

struct Damage {
    const char* name;
    std::function<void(Bytes&)> apply;
    bool failsToOpen;  // false: the file opens and reading the stream fails
};

class CompoundFileDamage : public testing::TestWithParam<Damage> {};

TEST_P(CompoundFileDamage, EndsInCompoundFileError) {
    Bytes file = compound({{u"WordDocument", pattern(9000, 5)}, {u"Small", pattern(300, 6)}});
    GetParam().apply(file);
    if (GetParam().failsToOpen) {
        EXPECT_THROW(CompoundFileReader{file}, CompoundFileError);
        return;
    }
    const CompoundFileReader reader(file);
    EXPECT_THROW(
        {
            (void)reader.readStream("WordDocument");
            (void)reader.readStream("Small");
        },
        CompoundFileError);
}

INSTANTIATE_TEST_SUITE_P(
    HostileFiles, CompoundFileDamage,
    testing::Values(Damage{"Truncated", [](Bytes& b) { b.resize(300); }, true},
                    Damage{"ByteOrder", [](Bytes& b) { b[0x1C] = 0; }, true},
                    Damage{"SectorShift", [](Bytes& b) { b[0x1E] = 30; }, true},
                    Damage{"FatCount", [](Bytes& b) { put32(b, 0x2C, 0x7FFFFFFF); }, true},
                    Damage{"FatSectorOutside", [](Bytes& b) { put32(b, 0x4C, 0x00FFFFFF); }, true},
                    Damage{"DirectoryLoop",
                           [](Bytes& b) { put32(b, fatEntry(b, get32(b, 0x30)), get32(b, 0x30)); }, true},
                    Damage{"DirectoryOutside", [](Bytes& b) { put32(b, 0x30, 0x01000000); }, true},
                    Damage{"StreamLoop", [](Bytes& b) { put32(b, fatEntry(b, 3), 1); }, false},
                    Damage{"StreamOutside", [](Bytes& b) { put32(b, fatEntry(b, 3), 0x00ABCDEF); }, false},
                    Damage{"MiniChainLoop",
                           [](Bytes& b) {
                               const std::uint32_t miniFat = get32(b, 0x3C);
                               put32(b, sectorOffset(miniFat) + 4 * 2, 0);
                           },
                           false},
                    Damage{"MiniStreamShort",
                           [](Bytes& b) {
                               put32(b, sectorOffset(get32(b, 0x30)) + 0x78, 64);
                           },  // root entry size
                           false}),
    [](const testing::TestParamInfo<Damage>& p) { return std::string(p.param.name); });

TEST(CompoundFileReader, SiblingLinksThatLoopDoNotHangTheLookup) {
    Bytes file = compound({{u"A", pattern(10, 1)}, {u"B", pattern(10, 2)}, {u"C", pattern(10, 3)}});
    const std::size_t dir = sectorOffset(get32(file, 0x30));
    for (std::uint32_t e = 1; e < 4; ++e) {
        put32(file, dir + 128 * e + 0x44, e);          // left: itself
        put32(file, dir + 128 * e + 0x48, e % 3 + 1);  // right: the next one, round
    }
    const CompoundFileReader reader(file);
    EXPECT_TRUE(reader.hasStream("A"));
    EXPECT_TRUE(reader.hasStream("C"));
    EXPECT_FALSE(reader.hasStream("D"));
}

TEST(CompoundFileReader, FuzzedInputsReadOrFailClearly) {
    // Inputs kept from fuzzing (fuzz/regressions/cfb).
    const auto dir = std::filesystem::path(VANTILE_SOURCE_DIR) / "fuzz/regressions/cfb";
    int inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string text = test::readFile(entry.path());
        ++inputs;
        try {
            const CompoundFileReader reader(std::span<const std::uint8_t>(
                reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
            for (const char* path : {"WordDocument", "1Table", "0Table", "Data", "Macros/VBA/dir"})
                (void)reader.readStream(path);
        } catch (const CompoundFileError&) {
        }
    }
    EXPECT_GT(inputs, 0);
}

}  // namespace
}  // namespace vantile::office::container
