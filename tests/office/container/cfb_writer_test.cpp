#include "office/container/cfb_writer.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "office/container/cfb_constants.h"
#include "office/container/cfb_reader.h"
#include "support/test_support.h"

namespace vantile::office::container {
namespace {

namespace cfb = container::cfb;

std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}
std::uint16_t u16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::vector<std::uint8_t> pattern(std::size_t size, unsigned seed) {
    std::vector<std::uint8_t> data(size);
    std::uint32_t x = seed * 2654435761u + 1;
    for (auto& byte : data) {
        x = x * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(x >> 16);
    }
    return data;
}

std::string streamLine(const std::string& name, const std::vector<std::uint8_t>& data) {
    std::ostringstream hexName;
    for (unsigned char c : name)
        hexName << std::hex << (c >> 4) << (c & 15);
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08lx", crc32(0, data.data(), static_cast<uInt>(data.size())));
    return "stream " + hexName.str() + " " + std::to_string(data.size()) + " " + crc;
}

// Lets xlrd's own compound-file reader look the streams up by name.
std::string readWithXlrd(const std::vector<std::uint8_t>& file, const std::vector<std::string>& names) {
    if (!std::filesystem::exists("/usr/bin/python3"))
        return "skip: /usr/bin/python3 is missing";
    test::TempDir dir;
    const auto path = dir.path() / "file.cfb";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    std::string command = "/usr/bin/python3 '" VANTILE_SOURCE_DIR "/tests/office/excel/xls_check.py' cfb '" +
                          path.string() + "'";
    for (const auto& name : names)
        command += " '" + name + "'";
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    char buffer[4096];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = pipe ? pclose(pipe) : -1;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3)
        return "skip: " + output;
    return output;
}

std::u16string wide(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

struct Written {
    std::vector<std::vector<std::uint8_t>> data;
    std::vector<std::string> names;
    std::vector<std::uint8_t> file;
};

Written writeStreams(const std::vector<std::pair<std::string, std::size_t>>& wanted) {
    Written w;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        w.names.push_back(wanted[i].first);
        w.data.push_back(pattern(wanted[i].second, static_cast<unsigned>(i)));
    }
    std::vector<CompoundFileStream> streams;
    for (std::size_t i = 0; i < wanted.size(); ++i)
        streams.push_back({wide(w.names[i]), w.data[i]});
    w.file = WriteCompoundFile(streams);
    return w;
}

// The project's own reader must agree with the writer too.
void expectProjectReaderReads(const Written& w) {
    const CompoundFileReader reader(w.file);
    for (std::size_t i = 0; i < w.names.size(); ++i) {
        EXPECT_EQ(reader.readStream(w.names[i]), w.data[i]) << w.names[i];
    }
}

void expectXlrdReads(const Written& w) {
    expectProjectReaderReads(w);
    std::string expected;
    for (std::size_t i = 0; i < w.names.size(); ++i)
        expected += streamLine(w.names[i], w.data[i]) + "\n";
    const std::string actual = readWithXlrd(w.file, w.names);
    if (actual.rfind("skip: ", 0) == 0)
        GTEST_SKIP() << actual;
    EXPECT_EQ(actual, expected);
}

// Directory entries as the file holds them: checks that the children of the
// root form a valid red-black search tree that finds every name.
void expectValidDirectory(const std::vector<std::uint8_t>& f, std::size_t streamCount) {
    const std::size_t dir = cfb::kHeaderSize + std::size_t{u32(f, cfb::header::kFirstDirectorySector)} * 512;
    auto entry = [&](std::uint32_t id) { return dir + std::size_t{id} * cfb::kDirectoryEntrySize; };
    auto name = [&](std::uint32_t id) {
        std::u16string s;
        for (std::size_t k = 0; k + 2 < u16(f, entry(id) + cfb::entry::kNameLength) + 1u; k += 2) {
            s += static_cast<char16_t>(u16(f, entry(id) + k));
        }
        return s;
    };
    auto less = [](const std::u16string& a, const std::u16string& b) {
        if (a.size() != b.size())
            return a.size() < b.size();
        for (std::size_t i = 0; i < a.size(); ++i) {
            auto up = [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; };
            if (up(a[i]) != up(b[i]))
                return up(a[i]) < up(b[i]);
        }
        return false;
    };
    EXPECT_EQ(f[entry(0) + cfb::entry::kType], 5);
    const std::uint32_t root = u32(f, entry(0) + cfb::entry::kChild);
    std::size_t visited = 0;
    // Returns the black height; checks ordering and the colour rules.
    std::function<int(std::uint32_t, bool)> walk = [&](std::uint32_t id, bool parentRed) -> int {
        if (id == cfb::kNoStream)
            return 1;
        ++visited;
        const bool red = f[entry(id) + cfb::entry::kColour] == 0;
        EXPECT_FALSE(red && parentRed) << "two red entries in a row";
        const std::uint32_t left = u32(f, entry(id) + cfb::entry::kLeftSibling);
        const std::uint32_t right = u32(f, entry(id) + cfb::entry::kRightSibling);
        if (left != cfb::kNoStream) {
            EXPECT_TRUE(less(name(left), name(id)));
        }
        if (right != cfb::kNoStream) {
            EXPECT_TRUE(less(name(id), name(right)));
        }
        const int l = walk(left, red);
        const int r = walk(right, red);
        EXPECT_EQ(l, r) << "black heights differ";
        return l + (red ? 0 : 1);
    };
    ASSERT_NE(root, cfb::kNoStream);
    EXPECT_EQ(f[entry(root) + cfb::entry::kColour], 1) << "the tree's root must be black";
    walk(root, false);
    EXPECT_EQ(visited, streamCount);
}

TEST(CfbWriter, OneStreamOfFourKilobytesUsesOrdinarySectorsFromSectorZero) {
    const Written w = writeStreams({{"Workbook", 4096}});
    const auto& f = w.file;
    ASSERT_EQ(f.size(), 512u + 10 * 512);  // 8 data sectors, directory, FAT
    EXPECT_EQ(std::vector<std::uint8_t>(f.begin(), f.begin() + 8),
              std::vector<std::uint8_t>(cfb::kSignature.begin(), cfb::kSignature.end()));
    EXPECT_EQ(u16(f, 0x18), 0x3E);
    EXPECT_EQ(u16(f, 0x1A), 3);
    EXPECT_EQ(u16(f, 0x1C), 0xFFFE);
    EXPECT_EQ(u16(f, 0x1E), 9);
    EXPECT_EQ(u16(f, 0x20), 6);
    EXPECT_EQ(u32(f, 0x2C), 1u);                // FAT sectors
    EXPECT_EQ(u32(f, 0x30), 8u);                // directory
    EXPECT_EQ(u32(f, 0x38), 4096u);             // cutoff
    EXPECT_EQ(u32(f, 0x3C), cfb::kEndOfChain);  // no mini FAT
    EXPECT_EQ(u32(f, 0x44), cfb::kEndOfChain);  // no DIFAT sector
    EXPECT_EQ(u32(f, 0x4C), 9u);                // the FAT sector
    EXPECT_EQ(u32(f, 0x50), cfb::kFreeSector);
    const std::size_t fat = 512 + 9 * 512;
    for (std::uint32_t k = 0; k < 7; ++k)
        EXPECT_EQ(u32(f, fat + 4 * k), k + 1);
    EXPECT_EQ(u32(f, fat + 28), cfb::kEndOfChain);
    EXPECT_EQ(u32(f, fat + 32), cfb::kEndOfChain);  // directory
    EXPECT_EQ(u32(f, fat + 36), cfb::kFatSector);
    EXPECT_EQ(u32(f, fat + 40), cfb::kFreeSector);
    EXPECT_TRUE(std::equal(w.data[0].begin(), w.data[0].end(), f.begin() + 512));
    const std::size_t dir = 512 + 8 * 512;
    EXPECT_EQ(u16(f, dir + 0x40), 22);  // "Root Entry" with its NUL
    EXPECT_EQ(u32(f, dir + 0x74), cfb::kEndOfChain);
    EXPECT_EQ(u32(f, dir + 128 + 0x74), 0u);
    EXPECT_EQ(u32(f, dir + 128 + 0x78), 4096u);
    EXPECT_EQ(u16(f, dir + 128 + 0x40), 18);
    EXPECT_EQ(u32(f, dir + 256 + 0x44), cfb::kNoStream);  // unused entries
    expectXlrdReads(w);
}

TEST(CfbWriter, SmallAndLargeStreamsRoundTripThroughAnIndependentReader) {
    // Sizes around the mini sector, the sector and the cutoff, and names of
    // several lengths and cases so that the directory tree has depth.
    const Written w = writeStreams({{"WordDocument", 5000},
                                    {"1Table", 4095},
                                    {"Data", 64},
                                    {"a", 1},
                                    {"Zz", 63},
                                    {"bb", 65},
                                    {"Ole", 4096},
                                    {"CompObj", 0},
                                    {"ObjInfo", 700},
                                    {"Workbook", 513}});
    EXPECT_NE(u32(w.file, cfb::header::kFirstMiniFatSector), cfb::kEndOfChain);
    expectValidDirectory(w.file, 10);
    expectXlrdReads(w);
}

TEST(CfbWriter, DirectoryTreesOfEverySizeAreValidRedBlackTrees) {
    for (std::size_t n = 1; n <= 17; ++n) {
        std::vector<std::pair<std::string, std::size_t>> wanted;
        for (std::size_t i = 0; i < n; ++i)
            wanted.push_back({"S" + std::string(i % 5 + 1, char('a' + i)), 10});
        SCOPED_TRACE(n);
        expectValidDirectory(writeStreams(wanted).file, n);
    }
}

TEST(CfbWriter, StreamsBeyondOneHundredAndNineFatSectorsGetDifatSectors) {
    const Written w = writeStreams({{"Workbook", 9'000'000}, {"Small", 100}});
    const std::uint32_t fatSectors = u32(w.file, cfb::header::kFatSectorCount);
    EXPECT_GT(fatSectors, 109u);
    EXPECT_EQ(u32(w.file, cfb::header::kDifatSectorCount), 1u);
    EXPECT_EQ(w.file.size() % 512, 0u);
    // FAT sectors are consecutive: the DIFAT sector goes on where the header's list ends.
    const std::uint32_t lastInHeader = u32(w.file, cfb::header::kDifat + 4 * 108);
    const std::size_t difat = 512 + std::size_t{u32(w.file, cfb::header::kFirstDifatSector)} * 512;
    EXPECT_EQ(u32(w.file, difat), lastInHeader + 1);
    EXPECT_EQ(u32(w.file, difat + 4 * (fatSectors - 110)), lastInHeader + fatSectors - 109);
    EXPECT_EQ(u32(w.file, difat + 4 * (fatSectors - 109)), cfb::kFreeSector);
    EXPECT_EQ(u32(w.file, difat + 508), cfb::kEndOfChain);
    expectXlrdReads(w);
}

TEST(CfbWriter, BuildingAroundAStreamInPlaceGivesTheSameFile) {
    for (std::size_t size : {4096, 4097, 70000}) {
        const auto data = pattern(size, 7);
        const std::vector<CompoundFileStream> streams = {{u"Workbook", data}};
        std::vector<std::uint8_t> file(cfb::kHeaderSize + size,
                                       0xAA);  // whatever the room holds is overwritten
        std::copy(data.begin(), data.end(), file.begin() + cfb::kHeaderSize);
        WriteSingleStreamCompoundFile(file, u"Workbook");
        EXPECT_EQ(file, WriteCompoundFile(streams)) << size;
    }
    std::vector<std::uint8_t> small(cfb::kHeaderSize + 4095);
    EXPECT_THROW(WriteSingleStreamCompoundFile(small, u"Workbook"), std::invalid_argument);
}

TEST(CfbWriter, RejectsBadNames) {
    const std::vector<std::uint8_t> data(10);
    const std::vector<std::vector<std::u16string>> cases = {
        {u""}, {std::u16string(32, u'x')}, {u"a/b"}, {u"a\\b"}, {u"a:b"}, {u"a!b"}, {u"Book", u"BOOK"}};
    for (const auto& names : cases) {
        std::vector<CompoundFileStream> streams;
        for (const auto& name : names)
            streams.push_back({name, data});
        EXPECT_THROW(WriteCompoundFile(streams), std::invalid_argument);
    }
    EXPECT_NO_THROW(WriteCompoundFile(std::vector<CompoundFileStream>{{std::u16string(31, u'x'), data}}));
}

}  // namespace
}  // namespace vantile::office::container
