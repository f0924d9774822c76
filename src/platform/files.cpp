#include "platform/files.h"

#include <cerrno>
#include <cstring>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantile::platform {
namespace {

std::string reason(int err) {
    return std::strerror(err);
}

[[noreturn]] void fail(const std::string& what, const std::string& path, int err) {
    throw FileError(what + " \"" + path + "\". " + reason(err));
}

// Closes a descriptor on every path out of a scope.
struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0)
            ::close(fd);
    }
};

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ForceDirectories(const std::string& path) {
    if (path.empty())
        return false;
    if (DirectoryExists(path))
        return true;
    std::string current;
    current.reserve(path.size());
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == PathDelim) {
            if (!current.empty() && current != "/" && !DirectoryExists(current)) {
                // Another worker may create the same folder at the same moment.
                if (::mkdir(current.c_str(), 0777) != 0 && errno != EEXIST)
                    return false;
            }
        }
        if (i < path.size())
            current.push_back(path[i]);
    }
    return DirectoryExists(path);
}

bool DeleteFile(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    return ::unlink(path.c_str()) == 0;
}

bool RenameFileNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // File systems without RENAME_NOREPLACE: a hard link fails when the name exists.
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    return ::unlink(from.c_str()) == 0;
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path, std::uint64_t maxBytes) {
    Fd f;
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused just below.
    f.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (f.fd < 0)
        fail("Cannot open file", path, errno);
    struct stat st {};
    if (::fstat(f.fd, &st) != 0)
        fail("Cannot open file", path, errno);
    if (!S_ISREG(st.st_mode))
        throw FileError("Cannot open file \"" + path + "\". It is not a regular file");
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size > maxBytes) {
        throw FileError("The file \"" + path + "\" is too large (" + std::to_string(size) +
                        " bytes; the limit is " + std::to_string(maxBytes) + ")");
    }
    std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::read(f.fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail("Cannot read file", path, errno);
        }
        if (n == 0)
            break;  // the file shrank while it was read
        done += static_cast<std::size_t>(n);
    }
    data.resize(done);
    return data;
}

void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    const std::string folder = ExtractFilePath(path);
    const std::string name = ExtractFileName(path);
    if (name.empty())
        throw FileError("Cannot create file \"" + path + "\". The name is empty");
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::string temp;
    Fd f;
    for (int attempt = 0; attempt < 100 && f.fd < 0; ++attempt) {
        temp = folder + "." + name + "." + std::to_string(random() % 1000000000ULL) + ".tmp";
        // Mode 0666 lets the process's umask decide, as for any file the user creates.
        f.fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (f.fd < 0 && errno != EEXIST)
            fail("Cannot create file", path, errno);
    }
    if (f.fd < 0)
        fail("Cannot create file", path, EEXIST);
    if (!writeAll(f.fd, bytes.data(), bytes.size())) {
        const int err = errno;
        ::unlink(temp.c_str());
        fail("Cannot write file", path, err);
    }
    const int fd = f.fd;
    f.fd = -1;
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        fail("Cannot write file", path, err);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        fail("Cannot create file", path, err);
    }
}

std::optional<FileTimes> GetFileTimes(const std::string& path) {
    struct statx sx {};
    if (::statx(AT_FDCWD, path.c_str(), 0, STATX_ATIME | STATX_MTIME | STATX_BTIME, &sx) != 0) {
        return std::nullopt;
    }
    FileTimes t;
    t.access = {sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec};
    t.modification = {sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec};
    if (sx.stx_mask & STATX_BTIME)
        t.birth = FileTime{sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec};
    return t;
}

bool SetFileTimes(const std::string& path, const FileTimes& times) {
    struct timespec ts[2];
    ts[0].tv_sec = static_cast<time_t>(times.access.seconds);
    ts[0].tv_nsec = static_cast<long>(times.access.nanoseconds);
    ts[1].tv_sec = static_cast<time_t>(times.modification.seconds);
    ts[1].tv_nsec = static_cast<long>(times.modification.nanoseconds);
    return ::utimensat(AT_FDCWD, path.c_str(), ts, 0) == 0;
}

std::string ExecutablePath() {
    std::string buf(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n <= 0)
        return {};
    buf.resize(static_cast<std::size_t>(n));
    return buf;
}

std::string ExtractFilePath(const std::string& path) {
    const auto pos = path.rfind(PathDelim);
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string ExtractFileName(const std::string& path) {
    const auto pos = path.rfind(PathDelim);
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
    const auto slash = path.rfind(PathDelim);
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + ext;
    return path.substr(0, dot) + ext;
}

std::string IncludeTrailingDelimiter(const std::string& path) {
    if (!path.empty() && path.back() == PathDelim)
        return path;
    return path + PathDelim;
}

}  // namespace vantile::platform
