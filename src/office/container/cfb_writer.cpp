#include "office/container/cfb_writer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <numeric>
#include <stdexcept>

#include "office/container/cfb_constants.h"

namespace vantile::office::container {
namespace {

constexpr std::uint32_t kSectorSize = 1u << cfb::kSectorShiftV3;
constexpr std::uint32_t kIdsPerSector = kSectorSize / 4;
constexpr std::uint32_t kEntriesPerSector = kSectorSize / cfb::kDirectoryEntrySize;

std::uint32_t ceilDiv(std::uint64_t a, std::uint64_t b) {
    return static_cast<std::uint32_t>((a + b - 1) / b);
}

void put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The simple upper-casing the directory ordering uses (ASCII and Latin-1 letters).
char16_t upper(char16_t c) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return static_cast<char16_t>(c - 32);
    return c;
}

// Directory order: shorter names first, equal lengths by upper-cased code units.
bool nameLess(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size())
        return a.size() < b.size();
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = upper(a[i]);
        char16_t y = upper(b[i]);
        if (x != y)
            return x < y;
    }
    return false;
}

struct Node {
    std::uint32_t left = cfb::kNoStream;
    std::uint32_t right = cfb::kNoStream;
    cfb::EntryColour colour = cfb::EntryColour::Black;
};

// Builds a balanced tree over sorted[lo, hi) and returns its root's entry id.
// With middle splits every empty link sits on one of the two deepest levels, so
// colouring only the nodes of the deepest level of an imperfect tree red keeps
// the black height equal on all paths.
std::uint32_t buildTree(const std::vector<std::uint32_t>& sorted, std::size_t lo, std::size_t hi, int depth,
                        int redDepth, std::vector<Node>& nodes) {
    if (lo >= hi)
        return cfb::kNoStream;
    std::size_t mid = lo + (hi - lo) / 2;
    std::uint32_t id = sorted[mid];
    Node& node = nodes[id];
    node.colour = depth == redDepth ? cfb::EntryColour::Red : cfb::EntryColour::Black;
    std::uint32_t left = buildTree(sorted, lo, mid, depth + 1, redDepth, nodes);
    std::uint32_t right = buildTree(sorted, mid + 1, hi, depth + 1, redDepth, nodes);
    nodes[id].left = left;
    nodes[id].right = right;
    return id;
}

void checkName(const std::u16string& name) {
    if (name.empty() || name.size() > cfb::kMaxNameUnits) {
        throw std::invalid_argument("A compound file stream name must have 1 to 31 characters");
    }
    for (char16_t c : name) {
        if (c == u'/' || c == u'\\' || c == u':' || c == u'!') {
            throw std::invalid_argument("A compound file stream name must not contain / \\ : or !");
        }
    }
}

void writeEntry(std::uint8_t* p, const std::u16string& name, cfb::EntryType type, const Node& node,
                std::uint32_t child, std::uint32_t start, std::uint32_t size) {
    for (std::size_t i = 0; i < name.size(); ++i)
        put16(p + cfb::entry::kName + 2 * i, name[i]);
    put16(p + cfb::entry::kNameLength, static_cast<std::uint16_t>(2 * (name.size() + 1)));
    p[cfb::entry::kType] = static_cast<std::uint8_t>(type);
    p[cfb::entry::kColour] = static_cast<std::uint8_t>(node.colour);
    put32(p + cfb::entry::kLeftSibling, node.left);
    put32(p + cfb::entry::kRightSibling, node.right);
    put32(p + cfb::entry::kChild, child);
    put32(p + cfb::entry::kStartSector, start);
    put32(p + cfb::entry::kStreamSize, size);
}

// Builds the file in `out`. With firstInPlace, out already holds the first
// stream's data after the header space, where sector 0 begins.
void writeFile(std::span<const CompoundFileStream> streams, bool firstInPlace,
               std::vector<std::uint8_t>& out) {
    const std::size_t n = streams.size();
    if (n >= cfb::kMaxRegularSector)
        throw std::invalid_argument("Too many compound file streams");
    for (std::size_t i = 0; i < n; ++i) {
        checkName(streams[i].name);
        if (streams[i].data.size() >= std::numeric_limits<std::uint32_t>::max()) {
            throw std::invalid_argument("A compound file stream must be smaller than 4 GiB");
        }
        for (std::size_t k = 0; k < i; ++k) {
            if (!nameLess(streams[i].name, streams[k].name) && !nameLess(streams[k].name, streams[i].name)) {
                throw std::invalid_argument("Two compound file streams have the same name");
            }
        }
    }

    // Sector budget: big stream data, mini stream, mini FAT, directory, then FAT and DIFAT.
    std::uint64_t bigSectors = 0;
    std::uint64_t miniSectors = 0;
    for (const auto& s : streams) {
        if (s.data.size() >= cfb::kMiniStreamCutoff) {
            bigSectors += ceilDiv(s.data.size(), kSectorSize);
        } else {
            miniSectors += ceilDiv(s.data.size(), cfb::kMiniSectorSize);
        }
    }
    const std::uint32_t miniStreamSectors = ceilDiv(miniSectors * cfb::kMiniSectorSize, kSectorSize);
    const std::uint32_t miniFatSectors = ceilDiv(miniSectors, kIdsPerSector);
    const std::uint32_t directorySectors = ceilDiv(n + 1, kEntriesPerSector);
    const std::uint64_t fixedSectors = bigSectors + miniStreamSectors + miniFatSectors + directorySectors;
    std::uint64_t fatSectors = 1;
    std::uint64_t difatSectors = 0;
    for (;;) {
        const std::uint64_t total = fixedSectors + fatSectors + difatSectors;
        const std::uint64_t needFat = ceilDiv(total, kIdsPerSector);
        const std::uint64_t needDifat = needFat > cfb::kHeaderDifatEntries
                                            ? ceilDiv(needFat - cfb::kHeaderDifatEntries, kIdsPerSector - 1)
                                            : 0;
        if (needFat == fatSectors && needDifat == difatSectors)
            break;
        fatSectors = std::max(fatSectors, needFat);
        difatSectors = std::max(difatSectors, needDifat);
    }
    const std::uint64_t totalSectors = fixedSectors + fatSectors + difatSectors;
    if (totalSectors >= cfb::kMaxRegularSector)
        throw std::invalid_argument("The compound file is too large");

    if (firstInPlace) {
        out.resize(cfb::kHeaderSize + totalSectors * kSectorSize, 0);
        std::fill(out.begin(), out.begin() + cfb::kHeaderSize, 0);
    } else {
        out.assign(cfb::kHeaderSize + totalSectors * kSectorSize, 0);
    }
    auto sectorPtr = [&](std::uint64_t id) { return out.data() + cfb::kHeaderSize + id * kSectorSize; };
    std::vector<std::uint32_t> fat(fatSectors * kIdsPerSector, cfb::kFreeSector);
    std::vector<std::uint32_t> miniFat(static_cast<std::size_t>(miniFatSectors) * kIdsPerSector,
                                       cfb::kFreeSector);
    std::uint32_t next = 0;
    // Allocates count consecutive sectors chained in the FAT; returns the first or ENDOFCHAIN.
    auto allocate = [&](std::uint64_t count) {
        if (count == 0)
            return cfb::kEndOfChain;
        const std::uint32_t first = next;
        for (std::uint64_t i = 0; i + 1 < count; ++i)
            fat[next + i] = static_cast<std::uint32_t>(next + i + 1);
        fat[next + count - 1] = cfb::kEndOfChain;
        next = static_cast<std::uint32_t>(next + count);
        return first;
    };

    std::vector<std::uint32_t> starts(n, cfb::kEndOfChain);
    for (std::size_t i = 0; i < n; ++i) {
        const auto& data = streams[i].data;
        if (data.size() < cfb::kMiniStreamCutoff)
            continue;
        starts[i] = allocate(ceilDiv(data.size(), kSectorSize));
        if (i > 0 || !firstInPlace)
            std::memcpy(sectorPtr(starts[i]), data.data(), data.size());
    }
    const std::uint32_t miniStreamStart = allocate(miniStreamSectors);
    std::uint32_t nextMini = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const auto& data = streams[i].data;
        if (data.size() >= cfb::kMiniStreamCutoff || data.empty())
            continue;
        const std::uint32_t count = ceilDiv(data.size(), cfb::kMiniSectorSize);
        starts[i] = nextMini;
        for (std::uint32_t k = 0; k + 1 < count; ++k)
            miniFat[nextMini + k] = nextMini + k + 1;
        miniFat[nextMini + count - 1] = cfb::kEndOfChain;
        // The mini stream's sectors are consecutive, so mini sector k sits at a fixed offset.
        std::memcpy(sectorPtr(miniStreamStart) + std::uint64_t{nextMini} * cfb::kMiniSectorSize, data.data(),
                    data.size());
        nextMini += count;
    }
    const std::uint32_t miniFatStart = allocate(miniFatSectors);
    for (std::uint32_t k = 0; k < miniFatSectors; ++k) {
        for (std::uint32_t j = 0; j < kIdsPerSector; ++j) {
            put32(sectorPtr(miniFatStart + k) + 4 * j, miniFat[k * kIdsPerSector + j]);
        }
    }

    const std::uint32_t directoryStart = allocate(directorySectors);
    std::vector<Node> nodes(n + 1);
    std::vector<std::uint32_t> sorted(n);
    std::iota(sorted.begin(), sorted.end(), 1u);
    std::sort(sorted.begin(), sorted.end(), [&](std::uint32_t a, std::uint32_t b) {
        return nameLess(streams[a - 1].name, streams[b - 1].name);
    });
    int height = 0;
    while ((std::size_t{1} << height) - 1 < n)
        ++height;
    const int redDepth = (std::size_t{1} << height) - 1 == n ? -1 : height - 1;
    const std::uint32_t treeRoot = buildTree(sorted, 0, n, 0, redDepth, nodes);
    std::uint8_t* dir = sectorPtr(directoryStart);
    writeEntry(dir, u"Root Entry", cfb::EntryType::Root, Node{}, treeRoot,
               miniSectors ? miniStreamStart : cfb::kEndOfChain,
               static_cast<std::uint32_t>(miniSectors * cfb::kMiniSectorSize));
    for (std::size_t i = 0; i < n; ++i) {
        writeEntry(dir + (i + 1) * cfb::kDirectoryEntrySize, streams[i].name, cfb::EntryType::Stream,
                   nodes[i + 1], cfb::kNoStream, starts[i],
                   static_cast<std::uint32_t>(streams[i].data.size()));
    }
    for (std::size_t i = n + 1; i < std::size_t{directorySectors} * kEntriesPerSector; ++i) {
        std::uint8_t* p = dir + i * cfb::kDirectoryEntrySize;
        put32(p + cfb::entry::kLeftSibling, cfb::kNoStream);
        put32(p + cfb::entry::kRightSibling, cfb::kNoStream);
        put32(p + cfb::entry::kChild, cfb::kNoStream);
    }

    const std::uint32_t fatStart = next;
    for (std::uint64_t k = 0; k < fatSectors; ++k)
        fat[next++] = cfb::kFatSector;
    const std::uint32_t difatStart = difatSectors ? next : cfb::kEndOfChain;
    for (std::uint64_t k = 0; k < difatSectors; ++k)
        fat[next++] = cfb::kDifatSector;
    for (std::uint64_t k = 0; k < fatSectors; ++k) {
        for (std::uint32_t j = 0; j < kIdsPerSector; ++j) {
            put32(sectorPtr(fatStart + k) + 4 * j, fat[k * kIdsPerSector + j]);
        }
    }

    std::uint8_t* h = out.data();
    std::memcpy(h + cfb::header::kSignature, cfb::kSignature.data(), cfb::kSignature.size());
    put16(h + cfb::header::kMinorVersion, cfb::kMinorVersion);
    put16(h + cfb::header::kMajorVersion, cfb::kMajorVersion3);
    put16(h + cfb::header::kByteOrder, cfb::kByteOrderMark);
    put16(h + cfb::header::kSectorShift, cfb::kSectorShiftV3);
    put16(h + cfb::header::kMiniSectorShift, cfb::kMiniSectorShift);
    put32(h + cfb::header::kFatSectorCount, static_cast<std::uint32_t>(fatSectors));
    put32(h + cfb::header::kFirstDirectorySector, directoryStart);
    put32(h + cfb::header::kMiniStreamCutoff, cfb::kMiniStreamCutoff);
    put32(h + cfb::header::kFirstMiniFatSector, miniFatStart);
    put32(h + cfb::header::kMiniFatSectorCount, miniFatSectors);
    put32(h + cfb::header::kFirstDifatSector, difatStart);
    put32(h + cfb::header::kDifatSectorCount, static_cast<std::uint32_t>(difatSectors));
    // FAT sector ids: 109 in the header, the rest in DIFAT sectors of 127 ids and a link.
    for (std::uint32_t j = 0; j < cfb::kHeaderDifatEntries; ++j) {
        put32(h + cfb::header::kDifat + 4 * j, j < fatSectors ? fatStart + j : cfb::kFreeSector);
    }
    for (std::uint64_t k = 0; k < difatSectors; ++k) {
        std::uint8_t* p = sectorPtr(difatStart + k);
        for (std::uint32_t j = 0; j < kIdsPerSector - 1; ++j) {
            const std::uint64_t index = cfb::kHeaderDifatEntries + k * (kIdsPerSector - 1) + j;
            put32(p + 4 * j,
                  index < fatSectors ? static_cast<std::uint32_t>(fatStart + index) : cfb::kFreeSector);
        }
        put32(p + 4 * (kIdsPerSector - 1),
              k + 1 < difatSectors ? static_cast<std::uint32_t>(difatStart + k + 1) : cfb::kEndOfChain);
    }
}

}  // namespace

std::vector<std::uint8_t> WriteCompoundFile(std::span<const CompoundFileStream> streams) {
    std::vector<std::uint8_t> out;
    writeFile(streams, false, out);
    return out;
}

void WriteSingleStreamCompoundFile(std::vector<std::uint8_t>& file, std::u16string name) {
    if (file.size() < cfb::kHeaderSize + cfb::kMiniStreamCutoff) {
        throw std::invalid_argument("A stream built in place must have at least 4096 bytes");
    }
    // Only the size is read from this span: the buffer may move when it grows.
    const CompoundFileStream stream{std::move(name), std::span(file).subspan(cfb::kHeaderSize)};
    writeFile(std::span(&stream, 1), true, file);
}

}  // namespace vantile::office::container
