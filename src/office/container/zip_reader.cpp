#include "office/container/zip_reader.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <limits>

namespace vantile::office::container {
namespace {

constexpr std::uint32_t kLocalHeaderSig = 0x04034b50;
constexpr std::uint32_t kCentralHeaderSig = 0x02014b50;
constexpr std::uint32_t kEndSig = 0x06054b50;
constexpr std::uint32_t kZip64EndSig = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSig = 0x07064b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kCentralHeaderSize = 46;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kChunk = 64 * 1024;

std::uint16_t u16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t u32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint64_t u64(std::span<const std::uint8_t> b, std::size_t at) {
    return u32(b, at) | (static_cast<std::uint64_t>(u32(b, at + 4)) << 32);
}

bool fits(std::span<const std::uint8_t> b, std::uint64_t at, std::uint64_t size) {
    return at <= b.size() && size <= b.size() - at;
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

std::string quoted(const std::string& name) {
    return "\"" + name + "\"";
}

struct Directory {
    std::uint64_t entries = 0;
    std::uint64_t size = 0;
    std::uint64_t offset = 0;
    std::size_t endOffset = 0;  // where the end record (or the Zip64 end record) begins
};

Directory findDirectory(std::span<const std::uint8_t> b) {
    if (b.size() < kEndSize)
        throw ZipError("the zip archive is truncated");
    // The end record sits at the very end, followed only by an archive comment of at most 64 KiB.
    const std::size_t lowest = b.size() > kEndSize + 0xFFFF ? b.size() - kEndSize - 0xFFFF : 0;
    std::size_t at = b.size() - kEndSize;
    for (;; --at) {
        if (u32(b, at) == kEndSig && at + kEndSize + u16(b, at + 20) <= b.size())
            break;
        if (at == lowest) {
            throw ZipError("the zip archive has no central directory (the file may be truncated)");
        }
    }
    Directory dir;
    const std::uint16_t disk = u16(b, at + 4);
    const std::uint16_t dirDisk = u16(b, at + 6);
    dir.entries = u16(b, at + 10);
    dir.size = u32(b, at + 12);
    dir.offset = u32(b, at + 16);
    dir.endOffset = at;
    const bool zip64 = dir.entries == 0xFFFF || dir.size == 0xFFFFFFFF || dir.offset == 0xFFFFFFFF;
    if (zip64 && at >= 20 && u32(b, at - 20) == kZip64LocatorSig) {
        const std::uint64_t end64 = u64(b, at - 20 + 8);
        if (!fits(b, end64, 56) || u32(b, end64) != kZip64EndSig) {
            throw ZipError("the zip archive's Zip64 end record is damaged");
        }
        const auto pos = static_cast<std::size_t>(end64);
        if (u32(b, pos + 16) != 0 || u32(b, pos + 20) != 0) {
            throw ZipError("multi-part zip archives are not supported");
        }
        dir.entries = u64(b, pos + 32);
        dir.size = u64(b, pos + 40);
        dir.offset = u64(b, pos + 48);
        dir.endOffset = pos;
    } else if (disk != 0 || dirDisk != 0) {
        throw ZipError("multi-part zip archives are not supported");
    }
    if (dir.size > dir.endOffset)
        throw ZipError("the zip archive's central directory is damaged");
    // Archives with data in front (self-extractors, concatenations) keep offsets
    // relative to their own start: the directory then ends right before the end record.
    if (!fits(b, dir.offset, 4) || u32(b, dir.offset) != kCentralHeaderSig ||
        dir.offset + dir.size > dir.endOffset) {
        const std::uint64_t actual = dir.endOffset - dir.size;
        if (dir.entries != 0 && (!fits(b, actual, 4) || u32(b, actual) != kCentralHeaderSig)) {
            throw ZipError("the zip archive's central directory is damaged");
        }
        dir.offset = actual;
    }
    return dir;
}

// Applies the Zip64 extended information extra field (id 1) to the fields that
// the fixed header marks as 0xFFFFFFFF.
void applyZip64Extra(std::span<const std::uint8_t> extra, ZipEntry& entry) {
    std::size_t at = 0;
    while (at + 4 <= extra.size()) {
        const std::uint16_t id = u16(extra, at);
        const std::uint16_t size = u16(extra, at + 2);
        if (at + 4 + size > extra.size())
            return;
        if (id == 0x0001) {
            std::size_t p = at + 4;
            const std::size_t end = p + size;
            auto take = [&](std::uint64_t& field) {
                if (field != 0xFFFFFFFF)
                    return;
                if (p + 8 > end)
                    throw ZipError("the zip archive's Zip64 fields are damaged");
                field = u64(extra, p);
                p += 8;
            };
            take(entry.uncompressedSize);
            take(entry.compressedSize);
            take(entry.localHeaderOffset);
            return;
        }
        at += 4 + size;
    }
}

}  // namespace

ZipArchive::ZipArchive(std::span<const std::uint8_t> bytes, ZipLimits limits)
    : m_bytes(bytes), m_limits(limits) {
    const Directory dir = findDirectory(bytes);
    if (dir.entries > m_limits.maxEntries) {
        throw ZipError("the zip archive has too many entries (" + std::to_string(dir.entries) + ")");
    }
    if (dir.entries * kCentralHeaderSize > dir.size) {
        throw ZipError("the zip archive's central directory is damaged");
    }
    m_entries.reserve(static_cast<std::size_t>(dir.entries));
    std::uint64_t at = dir.offset;
    const std::uint64_t end = dir.offset + dir.size;
    for (std::uint64_t i = 0; i < dir.entries; ++i) {
        if (at + kCentralHeaderSize > end || u32(bytes, at) != kCentralHeaderSig) {
            throw ZipError("the zip archive's central directory is damaged");
        }
        const auto p = static_cast<std::size_t>(at);
        ZipEntry entry;
        entry.flags = u16(bytes, p + 8);
        entry.method = u16(bytes, p + 10);
        entry.crc32 = u32(bytes, p + 16);
        entry.compressedSize = u32(bytes, p + 20);
        entry.uncompressedSize = u32(bytes, p + 24);
        const std::uint16_t nameLength = u16(bytes, p + 28);
        const std::uint16_t extraLength = u16(bytes, p + 30);
        const std::uint16_t commentLength = u16(bytes, p + 32);
        entry.localHeaderOffset = u32(bytes, p + 42);
        const std::uint64_t next = at + kCentralHeaderSize + nameLength + extraLength + commentLength;
        if (next > end)
            throw ZipError("the zip archive's central directory is damaged");
        entry.name.assign(reinterpret_cast<const char*>(bytes.data() + p + kCentralHeaderSize), nameLength);
        std::replace(entry.name.begin(), entry.name.end(), '\\', '/');
        applyZip64Extra(bytes.subspan(p + kCentralHeaderSize + nameLength, extraLength), entry);
        m_entries.push_back(std::move(entry));
        at = next;
    }
}

const ZipEntry* ZipArchive::find(std::string_view name) const {
    for (const auto& entry : m_entries) {
        if (sameNameIgnoringCase(entry.name, name))
            return &entry;
    }
    return nullptr;
}

std::span<const std::uint8_t> ZipArchive::entryData(const ZipEntry& entry) const {
    const std::uint64_t at = entry.localHeaderOffset;
    if (!fits(m_bytes, at, kLocalHeaderSize) || u32(m_bytes, at) != kLocalHeaderSig) {
        throw ZipError("the zip entry " + quoted(entry.name) + " is damaged");
    }
    const auto p = static_cast<std::size_t>(at);
    const std::uint64_t start = at + kLocalHeaderSize + u16(m_bytes, p + 26) + u16(m_bytes, p + 28);
    if (!fits(m_bytes, start, entry.compressedSize)) {
        throw ZipError("the zip entry " + quoted(entry.name) + " is truncated");
    }
    return m_bytes.subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(entry.compressedSize));
}

void ZipArchive::stream(const ZipEntry& entry, const ChunkSink& sink) const {
    if (entry.flags & 0x0001)
        throw ZipError("the zip entry " + quoted(entry.name) + " is encrypted");
    if (entry.uncompressedSize > m_limits.maxEntryBytes) {
        throw ZipError("the part " + quoted(entry.name) + " is too large (" +
                       std::to_string(entry.uncompressedSize) + " bytes)");
    }
    if (entry.uncompressedSize > m_limits.ratioFloorBytes &&
        entry.uncompressedSize / std::max<std::uint64_t>(entry.compressedSize, 1) > m_limits.maxRatio) {
        throw ZipError("the part " + quoted(entry.name) +
                       " has a compression ratio typical of a decompression bomb");
    }
    const std::span<const std::uint8_t> data = entryData(entry);
    uLong crc = crc32(0L, Z_NULL, 0);
    const auto damaged = [&](const char* what) {
        return ZipError("the zip entry " + quoted(entry.name) + " is damaged (" + what + ")");
    };

    if (entry.method == 0) {
        if (entry.compressedSize != entry.uncompressedSize)
            throw damaged("stored size mismatch");
        for (std::size_t at = 0; at < data.size(); at += kChunk) {
            const auto piece = data.subspan(at, std::min(kChunk, data.size() - at));
            crc = crc32(crc, piece.data(), static_cast<uInt>(piece.size()));
            sink(piece);
        }
    } else if (entry.method == 8) {
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
            throw ZipError("out of memory while inflating");
        struct Guard {
            z_stream* z;
            ~Guard() { inflateEnd(z); }
        } guard{&z};
        std::array<std::uint8_t, kChunk> out;
        std::size_t consumed = 0;
        std::uint64_t produced = 0;
        int rc = Z_OK;
        while (rc != Z_STREAM_END) {
            if (z.avail_in == 0 && consumed < data.size()) {
                const std::size_t n = std::min<std::size_t>(data.size() - consumed, 1u << 30);
                z.next_in = const_cast<Bytef*>(data.data() + consumed);
                z.avail_in = static_cast<uInt>(n);
                consumed += n;
            }
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            rc = inflate(&z, Z_NO_FLUSH);
            if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT)
                throw damaged("invalid compressed data");
            if (rc == Z_MEM_ERROR)
                throw ZipError("out of memory while inflating");
            const std::size_t n = out.size() - z.avail_out;
            if (rc == Z_BUF_ERROR && n == 0 && z.avail_in == 0)
                throw damaged("compressed data ends early");
            if (n == 0)
                continue;
            produced += n;
            if (produced > entry.uncompressedSize)
                throw damaged("more data than declared");
            crc = crc32(crc, out.data(), static_cast<uInt>(n));
            sink(std::span<const std::uint8_t>(out.data(), n));
        }
        if (produced != entry.uncompressedSize)
            throw damaged("less data than declared");
    } else {
        throw ZipError("the zip entry " + quoted(entry.name) + " uses an unsupported compression method (" +
                       std::to_string(entry.method) + ")");
    }
    if (crc != entry.crc32)
        throw damaged("CRC mismatch");
}

std::string ZipArchive::read(const ZipEntry& entry) const {
    std::string out;
    out.reserve(
        static_cast<std::size_t>(std::min<std::uint64_t>(entry.uncompressedSize, m_limits.maxEntryBytes)));
    stream(entry, [&](std::span<const std::uint8_t> chunk) {
        out.append(reinterpret_cast<const char*>(chunk.data()), chunk.size());
    });
    return out;
}

}  // namespace vantile::office::container
