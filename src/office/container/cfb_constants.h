#pragma once
// Fixed values of the compound file (OLE structured storage) layout, shared by
// the reader and the writer. Offsets are in bytes, little-endian fields.

#include <array>
#include <cstdint>

namespace vantile::office::container::cfb {

inline constexpr std::array<std::uint8_t, 8> kSignature = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

inline constexpr std::uint32_t kHeaderSize = 512;
inline constexpr std::uint16_t kMinorVersion = 0x003E;
inline constexpr std::uint16_t kMajorVersion3 = 3;  // 512-byte sectors
inline constexpr std::uint16_t kMajorVersion4 = 4;  // 4096-byte sectors
inline constexpr std::uint16_t kByteOrderMark = 0xFFFE;
inline constexpr std::uint16_t kSectorShiftV3 = 9;
inline constexpr std::uint16_t kSectorShiftV4 = 12;
inline constexpr std::uint16_t kMiniSectorShift = 6;
inline constexpr std::uint32_t kMiniSectorSize = 64;
// Streams shorter than this live in the mini stream; a stream of exactly this size does not.
inline constexpr std::uint32_t kMiniStreamCutoff = 4096;
inline constexpr std::uint32_t kHeaderDifatEntries = 109;
inline constexpr std::uint32_t kDirectoryEntrySize = 128;
inline constexpr std::uint32_t kMaxNameUnits = 31;  // UTF-16 units, without the terminating NUL

// Special sector ids.
inline constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
inline constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
inline constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
inline constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
inline constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
inline constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

// Header fields.
namespace header {
inline constexpr std::uint32_t kSignature = 0x00;
inline constexpr std::uint32_t kMinorVersion = 0x18;
inline constexpr std::uint32_t kMajorVersion = 0x1A;
inline constexpr std::uint32_t kByteOrder = 0x1C;
inline constexpr std::uint32_t kSectorShift = 0x1E;
inline constexpr std::uint32_t kMiniSectorShift = 0x20;
inline constexpr std::uint32_t kDirectorySectorCount = 0x28;
inline constexpr std::uint32_t kFatSectorCount = 0x2C;
inline constexpr std::uint32_t kFirstDirectorySector = 0x30;
inline constexpr std::uint32_t kTransactionSignature = 0x34;
inline constexpr std::uint32_t kMiniStreamCutoff = 0x38;
inline constexpr std::uint32_t kFirstMiniFatSector = 0x3C;
inline constexpr std::uint32_t kMiniFatSectorCount = 0x40;
inline constexpr std::uint32_t kFirstDifatSector = 0x44;
inline constexpr std::uint32_t kDifatSectorCount = 0x48;
inline constexpr std::uint32_t kDifat = 0x4C;
}  // namespace header

// Directory entry fields.
namespace entry {
inline constexpr std::uint32_t kName = 0x00;
inline constexpr std::uint32_t kNameLength = 0x40;  // bytes, including the NUL
inline constexpr std::uint32_t kType = 0x42;
inline constexpr std::uint32_t kColour = 0x43;
inline constexpr std::uint32_t kLeftSibling = 0x44;
inline constexpr std::uint32_t kRightSibling = 0x48;
inline constexpr std::uint32_t kChild = 0x4C;
inline constexpr std::uint32_t kClsid = 0x50;
inline constexpr std::uint32_t kStateBits = 0x60;
inline constexpr std::uint32_t kCreationTime = 0x64;
inline constexpr std::uint32_t kModificationTime = 0x6C;
inline constexpr std::uint32_t kStartSector = 0x74;
inline constexpr std::uint32_t kStreamSize = 0x78;
}  // namespace entry

enum class EntryType : std::uint8_t { Unallocated = 0, Storage = 1, Stream = 2, Root = 5 };
enum class EntryColour : std::uint8_t { Red = 0, Black = 1 };

}  // namespace vantile::office::container::cfb
