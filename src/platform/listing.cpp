#include "platform/listing.h"

#include <algorithm>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantile::platform {
namespace {

char fold(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Length of the UTF-8 sequence that starts at s[i], so that "?" stands for one
// letter and not for one byte. Stray bytes count as one character each.
std::size_t charLength(std::string_view s, std::size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = 1;
    if (b >= 0xF0 && b < 0xF8)
        n = 4;
    else if (b >= 0xE0)
        n = 3;
    else if (b >= 0xC0)
        n = 2;
    if (i + n > s.size())
        return 1;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
            return 1;
    return n;
}

bool matchFrom(std::string_view name, std::size_t ni, std::string_view mask, std::size_t mi) {
    while (mi < mask.size()) {
        const char m = mask[mi];
        if (m == '*') {
            while (mi < mask.size() && mask[mi] == '*')
                ++mi;
            if (mi == mask.size())
                return true;
            for (std::size_t k = ni; k <= name.size(); k += (k < name.size() ? charLength(name, k) : 1))
                if (matchFrom(name, k, mask, mi))
                    return true;
            return false;
        }
        if (m == '?') {
            // None at the end of the name or before a dot; else exactly one character.
            if (ni == name.size() || name[ni] == '.') {
                if (matchFrom(name, ni, mask, mi + 1))
                    return true;
                if (ni == name.size())
                    return false;
            }
            ni += charLength(name, ni);
            ++mi;
            continue;
        }
        if (ni == name.size() || fold(name[ni]) != fold(m))
            return false;
        ++ni;
        ++mi;
    }
    return ni == name.size();
}

// Closes the directory stream on every path out of the listing.
struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};

}  // namespace

bool MatchesWildcard(std::string_view name, std::string_view mask) {
    if (matchFrom(name, 0, mask, 0))
        return true;
    // "x.*" also stands for "x" without any extension.
    if (mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" && name.find('.') == std::string_view::npos)
        return matchFrom(name, 0, mask.substr(0, mask.size() - 2), 0);
    return false;
}

bool NameLess(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char x = fold(a[i]), y = fold(b[i]);
        if (x != y)
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

std::vector<DirEntry> ListDirectory(const std::string& folder, std::string_view mask, std::uint32_t attr) {
    std::vector<DirEntry> result;
    const std::string path = folder.empty() ? std::string(".") : folder;
    const int dirFd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return result;
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(dirFd));
    if (!dir) {
        ::close(dirFd);
        return result;
    }
    while (const dirent* e = ::readdir(dir.get())) {
        const std::string_view name = e->d_name;
        if (name == "." || name == "..")
            continue;
        if (!MatchesWildcard(name, mask))
            continue;
        std::uint32_t a = 0;
        if (name.front() == '.')
            a |= faHidden;
        struct stat own {};
        if (::fstatat(dirFd, e->d_name, &own, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(own.st_mode)) {
            a |= faDirectory;
        } else {
            // A link counts as a file only when it leads to a regular file; a link to a
            // folder is never descended into, so that the search cannot loop.
            struct stat target {};
            if (::fstatat(dirFd, e->d_name, &target, 0) != 0 || !S_ISREG(target.st_mode))
                continue;
            a |= faArchive;
        }
        if ((a & faHidden) && !(attr & faHidden))
            continue;
        if ((a & faDirectory) && !(attr & faDirectory))
            continue;
        if (::faccessat(dirFd, e->d_name, W_OK, AT_EACCESS) != 0)
            a |= faReadOnly;
        result.push_back({std::string(name), a});
    }
    std::sort(result.begin(), result.end(),
              [](const DirEntry& x, const DirEntry& y) { return NameLess(x.name, y.name); });
    return result;
}

}  // namespace vantile::platform
