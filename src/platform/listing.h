#pragma once
// Wildcard listing of a folder with an attribute filter, the way the converter's
// search expects it: the mask is matched against the whole entry name with letter
// case ignored, and entries come back in name order (case ignored) so that runs
// are reproducible.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantile::platform {

// Attribute bits of a listed entry.
enum FileAttr : std::uint32_t {
    faReadOnly = 0x01,    // the user may not write the entry
    faHidden = 0x02,      // the name begins with "."
    faSysFile = 0x04,     // never set here
    faVolumeID = 0x08,    // never set here
    faDirectory = 0x10,   // a folder (never a link to one)
    faArchive = 0x20,     // a regular file, or a link to one
    faDevice = 0x40,      // never set: devices are not listed
    faNormal = 0x80,      // never set
    faTemporary = 0x100,  // never set
    faAnyFile = 0x1FF,
};

struct DirEntry {
    std::string name;
    std::uint32_t attr = 0;
};

// True when name matches mask as a whole, letter case ignored (ASCII): "*" stands for
// any run of characters, "?" for one character, or for none at the end of the name or
// before a dot. A mask ending in ".*" also matches names without any dot ("*.*" lists
// every entry, as on the system the masks come from).
bool MatchesWildcard(std::string_view name, std::string_view mask);

// Entries of folder (empty: the current folder; with or without a trailing "/") whose
// names match mask. An entry with the hidden or directory attribute is returned only
// when attr has that attribute too. Only folders and regular files (or links to regular
// files) are ever returned: links to folders, sockets, FIFOs and devices never are.
// "." and ".." are never returned. A folder that does not exist or cannot be read lists
// nothing.
std::vector<DirEntry> ListDirectory(const std::string& folder, std::string_view mask, std::uint32_t attr);

// Orders names as the listing returns them: letter case ignored, then byte order.
bool NameLess(std::string_view a, std::string_view b);

}  // namespace vantile::platform
