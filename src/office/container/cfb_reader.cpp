#include "office/container/cfb_reader.h"
#include "platform/unicode.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vantile::office::container {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature{0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::uint32_t kHeaderSize = 512;
constexpr std::uint32_t kHeaderDifatEntries = 109;
constexpr std::uint32_t kMiniSectorSize = 64;
constexpr std::uint64_t kMiniStreamCutoff = 4096;
constexpr std::uint32_t kDirectoryEntrySize = 128;
constexpr std::uint8_t kTypeStorage = 1;
constexpr std::uint8_t kTypeStream = 2;
constexpr std::uint8_t kTypeRoot = 5;

std::uint16_t u16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t u32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

[[noreturn]] void damaged(const std::string& what) {
    throw CompoundFileError("The compound file is damaged: " + what);
}

char16_t foldCase(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
}

bool sameName(const std::u16string& a, const std::u16string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
               return foldCase(x) == foldCase(y);
           });
}

}  // namespace

bool CompoundFileReader::hasSignature(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= kSignature.size() &&
           std::equal(kSignature.begin(), kSignature.end(), bytes.begin());
}

CompoundFileReader::CompoundFileReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {
    if (!hasSignature(bytes))
        throw CompoundFileError("Not a compound file");
    if (bytes.size() < kHeaderSize)
        damaged("the header is truncated");
    if (u16(bytes, 0x1C) != 0xFFFE)
        damaged("bad byte-order mark");
    const std::uint16_t major = u16(bytes, 0x1A);
    m_sectorShift = u16(bytes, 0x1E);
    if (!((major == 3 && m_sectorShift == 9) || (major == 4 && m_sectorShift == 12)))
        damaged("unsupported version or sector size");
    if (u16(bytes, 0x20) != 6)
        damaged("unsupported mini sector size");
    const std::uint32_t sectorSize = 1u << m_sectorShift;
    m_sectorCount = static_cast<std::uint32_t>(
        std::min<std::uint64_t>((bytes.size() - 1) / sectorSize, kMaxRegularSector));
    if (bytes.size() <= sectorSize)
        m_sectorCount = 0;

    // The DIFAT: 109 ids in the header, then a chain of DIFAT sectors of which the
    // last id links to the next one.
    const std::uint32_t fatSectorCount = u32(bytes, 0x2C);
    if (fatSectorCount > m_sectorCount)
        damaged("more allocation-table sectors than the file holds");
    std::vector<std::uint32_t> fatSectors;
    fatSectors.reserve(fatSectorCount);
    for (std::uint32_t i = 0; i < kHeaderDifatEntries && fatSectors.size() < fatSectorCount; ++i)
        fatSectors.push_back(u32(bytes, 0x4C + 4 * i));
    {
        std::uint32_t difat = u32(bytes, 0x44);
        std::vector<bool> seen(m_sectorCount, false);
        const std::uint32_t idsPerSector = sectorSize / 4 - 1;
        while (fatSectors.size() < fatSectorCount) {
            if (difat >= m_sectorCount)
                damaged("the allocation-table index is incomplete");
            if (seen[difat])
                damaged("the allocation-table index loops");
            seen[difat] = true;
            const auto sector = sectorBytes(difat);
            for (std::uint32_t i = 0; i < idsPerSector && fatSectors.size() < fatSectorCount; ++i)
                fatSectors.push_back(u32(sector, 4 * i));
            difat = u32(sector, 4 * idsPerSector);
        }
    }
    m_fat.reserve(static_cast<std::size_t>(fatSectorCount) * (sectorSize / 4));
    for (const std::uint32_t id : fatSectors) {
        if (id >= m_sectorCount)
            damaged("an allocation-table sector lies outside the file");
        const auto sector = sectorBytes(id);
        for (std::uint32_t i = 0; i < sectorSize / 4; ++i)
            m_fat.push_back(u32(sector, 4 * i));
    }

    const auto directorySectors =
        chain(u32(bytes, 0x30), m_fat, static_cast<std::uint64_t>(m_sectorCount) * sectorSize, "directory");
    const auto directory =
        readChain(directorySectors, static_cast<std::uint64_t>(directorySectors.size()) * sectorSize);
    const std::size_t entryCount = directory.size() / kDirectoryEntrySize;
    if (entryCount == 0)
        damaged("the directory is empty");
    m_entries.resize(entryCount);
    for (std::size_t i = 0; i < entryCount; ++i) {
        const std::span<const std::uint8_t> raw(directory.data() + i * kDirectoryEntrySize,
                                                kDirectoryEntrySize);
        Entry& e = m_entries[i];
        e.type = raw[0x42];
        const std::uint16_t nameBytes = u16(raw, 0x40);
        if (e.type != kTypeStorage && e.type != kTypeStream && e.type != kTypeRoot) {
            e.type = 0;
            continue;
        }
        // A bad name length makes the entry unnamed rather than the file unreadable.
        if (nameBytes >= 2 && nameBytes <= 64 && nameBytes % 2 == 0) {
            for (std::uint16_t k = 0; k + 2 < nameBytes; k += 2)
                e.name.push_back(static_cast<char16_t>(u16(raw, k)));
        }
        e.left = u32(raw, 0x44);
        e.right = u32(raw, 0x48);
        e.child = u32(raw, 0x4C);
        e.start = u32(raw, 0x74);
        e.size = u32(raw, 0x78);
        // Old writers left garbage in the high half of a version-3 size.
        if (major == 4)
            e.size |= static_cast<std::uint64_t>(u32(raw, 0x7C)) << 32;
    }
    if (m_entries[0].type != kTypeRoot)
        damaged("the root entry is missing");

    const std::uint32_t miniFatStart = u32(bytes, 0x3C);
    if (miniFatStart != kEndOfChain && miniFatStart != kFreeSector) {
        const auto sectors =
            chain(miniFatStart, m_fat, static_cast<std::uint64_t>(m_sectorCount) * sectorSize,
                  "mini allocation table");
        const auto raw = readChain(sectors, static_cast<std::uint64_t>(sectors.size()) * sectorSize);
        m_miniFat.resize(raw.size() / 4);
        for (std::size_t i = 0; i < m_miniFat.size(); ++i)
            m_miniFat[i] = u32(raw, 4 * i);
    }
    const Entry& root = m_entries[0];
    if (root.start != kEndOfChain && root.start != kFreeSector && root.size > 0) {
        m_miniStreamSectors = chain(root.start, m_fat, root.size, "mini stream");
        m_miniStreamSize =
            std::min<std::uint64_t>(root.size, m_miniStreamSectors.size() * std::uint64_t{sectorSize});
    }
}

std::span<const std::uint8_t> CompoundFileReader::sectorBytes(std::uint32_t sector) const {
    const std::size_t sectorSize = std::size_t{1} << m_sectorShift;
    const std::size_t offset = (static_cast<std::size_t>(sector) + 1) << m_sectorShift;
    const std::size_t available = std::min(sectorSize, m_bytes.size() - offset);
    if (available < sectorSize) {
        // A short final sector reads as zero-filled; the buffer is valid until the next call.
        thread_local std::vector<std::uint8_t> padded;
        padded.assign(sectorSize, 0);
        std::memcpy(padded.data(), m_bytes.data() + offset, available);
        return padded;
    }
    return m_bytes.subspan(offset, sectorSize);
}

std::vector<std::uint32_t> CompoundFileReader::chain(std::uint32_t start,
                                                     const std::vector<std::uint32_t>& table,
                                                     std::uint64_t maxLength, const char* what) const {
    const bool mini = &table == &m_miniFat;
    const std::uint64_t unit = mini ? kMiniSectorSize : (std::uint64_t{1} << m_sectorShift);
    const std::uint64_t limit = (maxLength + unit - 1) / unit;
    const std::size_t universe = mini ? table.size() : std::min<std::size_t>(table.size(), m_sectorCount);
    std::vector<std::uint32_t> out;
    std::vector<bool> seen;
    std::uint32_t current = start;
    while (current != kEndOfChain && out.size() < limit) {
        if (current >= universe)
            damaged(std::string("the ") + what + " chain points outside the file");
        if (seen.empty())
            seen.assign(universe, false);
        if (seen[current])
            damaged(std::string("the ") + what + " chain loops");
        seen[current] = true;
        out.push_back(current);
        current = table[current];
    }
    return out;
}

std::vector<std::uint8_t> CompoundFileReader::readChain(const std::vector<std::uint32_t>& sectors,
                                                        std::uint64_t size) const {
    const std::size_t sectorSize = std::size_t{1} << m_sectorShift;
    // A chain shorter than the declared size gives what the chain holds.
    const std::size_t total =
        static_cast<std::size_t>(std::min<std::uint64_t>(size, sectors.size() * sectorSize));
    std::vector<std::uint8_t> out(total, 0);
    std::size_t done = 0;
    for (const std::uint32_t s : sectors) {
        if (done >= total)
            break;
        const std::size_t offset = (static_cast<std::size_t>(s) + 1) << m_sectorShift;
        const std::size_t want = std::min(sectorSize, total - done);
        const std::size_t have = offset < m_bytes.size() ? std::min(want, m_bytes.size() - offset) : 0;
        if (have > 0)
            std::memcpy(out.data() + done, m_bytes.data() + offset, have);
        done += want;
    }
    return out;
}

std::optional<std::uint32_t> CompoundFileReader::findChild(std::uint32_t storage,
                                                           const std::u16string& name) const {
    // The siblings form a binary tree; a linear walk with a visited set tolerates
    // trees that break the ordering rules and links that loop.
    std::vector<bool> seen(m_entries.size(), false);
    std::vector<std::uint32_t> pending{m_entries[storage].child};
    while (!pending.empty()) {
        const std::uint32_t id = pending.back();
        pending.pop_back();
        if (id == kNoStream || id >= m_entries.size() || seen[id])
            continue;
        seen[id] = true;
        const Entry& e = m_entries[id];
        if (e.type == 0 || id == 0)
            continue;
        if (sameName(e.name, name))
            return id;
        pending.push_back(e.left);
        pending.push_back(e.right);
    }
    return std::nullopt;
}

std::optional<std::uint32_t> CompoundFileReader::find(std::string_view path) const {
    std::uint32_t current = 0;
    while (!path.empty()) {
        const auto slash = path.find('/');
        const std::string_view part = path.substr(0, slash);
        path = slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1);
        if (part.empty())
            continue;
        if (m_entries[current].type == kTypeStream)
            return std::nullopt;
        const auto next = findChild(current, platform::Utf8ToUtf16(part));
        if (!next)
            return std::nullopt;
        current = *next;
    }
    return current;
}

bool CompoundFileReader::hasStream(std::string_view path) const {
    const auto id = find(path);
    return id && m_entries[*id].type == kTypeStream;
}

bool CompoundFileReader::hasStorage(std::string_view path) const {
    const auto id = find(path);
    return id && (m_entries[*id].type == kTypeStorage || m_entries[*id].type == kTypeRoot);
}

std::optional<std::vector<std::uint8_t>> CompoundFileReader::readStream(std::string_view path) const {
    const auto id = find(path);
    if (!id || m_entries[*id].type != kTypeStream)
        return std::nullopt;
    const Entry& e = m_entries[*id];
    if (e.size == 0)
        return std::vector<std::uint8_t>{};
    if (e.size >= kMiniStreamCutoff)
        return readChain(chain(e.start, m_fat, e.size, "stream"), e.size);

    const auto sectors = chain(e.start, m_miniFat, e.size, "mini stream");
    const std::size_t total =
        static_cast<std::size_t>(std::min<std::uint64_t>(e.size, sectors.size() * kMiniSectorSize));
    std::vector<std::uint8_t> out(total, 0);
    const std::size_t sectorMask = (std::size_t{1} << m_sectorShift) - 1;
    std::size_t done = 0;
    for (const std::uint32_t mini : sectors) {
        const std::uint64_t position = std::uint64_t{mini} * kMiniSectorSize;
        if (position + kMiniSectorSize > m_miniStreamSize)
            damaged("a small stream lies outside the mini stream");
        const std::size_t want = std::min<std::size_t>(kMiniSectorSize, total - done);
        const std::uint32_t host = m_miniStreamSectors[static_cast<std::size_t>(position >> m_sectorShift)];
        const std::size_t offset = ((static_cast<std::size_t>(host) + 1) << m_sectorShift) +
                                   (static_cast<std::size_t>(position) & sectorMask);
        const std::size_t have = offset < m_bytes.size() ? std::min(want, m_bytes.size() - offset) : 0;
        if (have > 0)
            std::memcpy(out.data() + done, m_bytes.data() + offset, have);
        done += want;
    }
    return out;
}

}  // namespace vantile::office::container
