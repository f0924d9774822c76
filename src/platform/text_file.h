#pragma once
// Text files as lists of lines. Reading honours a UTF-8 or UTF-16 (either byte
// order) byte-order mark; without one the bytes are UTF-8 when valid, else
// Windows-1252. CR LF, a lone LF and a lone CR each end a line. Writing is always
// UTF-8 without a mark, every line ended by CR LF.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vantile::platform {

// Upper bound for text files read whole (project files, recent lists).
constexpr std::uint64_t MaxTextFileBytes = 16u << 20;

// The bytes as UTF-8 text, by the rules above.
std::string DecodeText(std::span<const std::uint8_t> Bytes);
// Splits at CR LF, LF and CR; a final line without a break counts, a final break
// adds no empty line.
std::vector<std::string> SplitLines(const std::string& Text);
// Every line followed by CR LF.
std::string JoinLines(const std::vector<std::string>& Lines);

// Raises FileError when the file cannot be read or is larger than MaxBytes.
std::vector<std::string> ReadTextLines(const std::string& Path, std::uint64_t MaxBytes = MaxTextFileBytes);
// Creates or replaces the file; a failed write leaves the previous file intact.
// Raises FileError.
void WriteTextLines(const std::string& Path, const std::vector<std::string>& Lines);

}  // namespace vantile::platform
