#pragma once
// Helpers shared by the tests: temporary folders and the location of the shared corpus.

#include <filesystem>
#include <string>

namespace vantile::test {

// A fresh folder below the system's temporary folder, removed with its content at the end.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // The folder as text with a trailing "/".
    std::string str() const { return m_path.string() + "/"; }
    // Writes a file below the folder (creating sub-folders) and returns its path.
    std::filesystem::path write(const std::string& relative, const std::string& content) const;

  private:
    std::filesystem::path m_path;
};

// The shared corpus of real documents, or an empty path when it is not there.
std::filesystem::path corpusDir();

std::string readFile(const std::filesystem::path& path);

}  // namespace vantile::test
