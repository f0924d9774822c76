#pragma once
// Files and folders: existence, creation, removal, renaming, whole-file reading
// and atomic writing, file times. Paths are UTF-8 texts with "/" as delimiter.

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace vantile::platform {

// A file operation that failed; the message names the file and the reason.
class FileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

constexpr char PathDelim = '/';

// A regular file, or a link to one. Folders, sockets, FIFOs and devices are no files.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Creates the folder with all missing parents; true when the folder exists afterwards.
bool ForceDirectories(const std::string& path);

// Removes a file (never a folder); false when it could not be removed.
bool DeleteFile(const std::string& path);

// Moves a file to a new name; never replaces an existing entry of that name.
bool RenameFileNoReplace(const std::string& from, const std::string& to);

// Reads a whole regular file. Raises FileError when the path is no regular file,
// cannot be read, or is larger than maxBytes.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path, std::uint64_t maxBytes);

// Writes a temporary file in the target's folder and renames it over the target,
// so that a failed write never destroys what the target held. Raises FileError.
void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

struct FileTime {
    std::int64_t seconds = 0;  // since 1970-01-01 00:00:00 UTC
    std::int64_t nanoseconds = 0;
    bool operator==(const FileTime&) const = default;
};

struct FileTimes {
    FileTime access;
    FileTime modification;
    std::optional<FileTime> birth;  // where the file system records one
};

std::optional<FileTimes> GetFileTimes(const std::string& path);
// Sets access and modification times; a birth time cannot be set on this platform.
bool SetFileTimes(const std::string& path, const FileTimes& times);

// Full path of the running program file.
std::string ExecutablePath();

// The folder part of a path, up to and including its last "/"; empty when there is none.
std::string ExtractFilePath(const std::string& path);
// The part after the last "/".
std::string ExtractFileName(const std::string& path);
// Replaces the extension of the last path element (appends when there is none).
std::string ChangeFileExt(const std::string& path, const std::string& ext);
// Appends "/" unless the text already ends with it.
std::string IncludeTrailingDelimiter(const std::string& path);

}  // namespace vantile::platform
