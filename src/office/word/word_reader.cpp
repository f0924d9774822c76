#include "office/word/word_reader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

#include "office/container/cfb_reader.h"
#include "office/word/doc_reader.h"
#include "office/word/docx_reader.h"

namespace vantile::office::word {
namespace {

using container::CompoundFileReader;

constexpr std::array<std::uint8_t, 4> kZipMagic{0x50, 0x4B, 0x03, 0x04};

template <std::size_t N>
bool startsWith(std::span<const std::uint8_t> bytes, const std::array<std::uint8_t, N>& magic) {
    return bytes.size() >= N && std::equal(magic.begin(), magic.end(), bytes.begin());
}

bool startsWith(std::span<const std::uint8_t> bytes, std::string_view text) {
    return bytes.size() >= text.size() &&
           std::equal(text.begin(), text.end(), bytes.begin(), [](char a, std::uint8_t b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(b);
           });
}

// The start of a text file as lower-case ASCII, past a byte-order mark and
// leading white space; UTF-16 text is reduced to its low bytes.
std::string textHead(std::span<const std::uint8_t> bytes) {
    std::size_t at = 0;
    bool wide = false;
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        at = 3;
    } else if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        at = 2;
        wide = true;
    }
    std::string head;
    for (; at < bytes.size() && head.size() < 4096; at += wide ? 2 : 1) {
        const auto c = static_cast<char>(std::tolower(bytes[at]));
        if (head.empty() && std::isspace(static_cast<unsigned char>(c)))
            continue;
        head.push_back(c);
    }
    return head;
}

[[noreturn]] void notWord(std::string_view displayName, std::string_view what) {
    throw DocumentError("Not a Word document: " + std::string(displayName) + " is " + std::string(what));
}

Document readCompound(std::span<const std::uint8_t> bytes, std::string_view displayName) {
    try {
        const CompoundFileReader file(bytes);
        // An encrypted .docx is a compound file that wraps the encrypted package.
        if (file.hasStream("EncryptedPackage") || file.hasStream("EncryptionInfo"))
            throw DocumentError("The document is password-protected");
        if (file.hasStream("WordDocument"))
            return ReadDoc(file, displayName);
        if (file.hasStream("Workbook") || file.hasStream("Book"))
            notWord(displayName, "an Excel workbook");
        if (file.hasStream("PowerPoint Document"))
            notWord(displayName, "a PowerPoint presentation");
        notWord(displayName, "a compound file without a Word document");
    } catch (const container::CompoundFileError& e) {
        throw DocumentError(std::string(e.what()) + " (" + std::string(displayName) + ")");
    }
}

}  // namespace

Document ReadWordDocument(std::span<const std::uint8_t> bytes, std::string_view displayName) {
    if (startsWith(bytes, kZipMagic))
        return ReadDocx(bytes);
    if (CompoundFileReader::hasSignature(bytes))
        return readCompound(bytes, displayName);
    if (bytes.size() >= 2 && bytes[1] == 0xA5 && (bytes[0] == 0xDB || bytes[0] == 0xDC))
        throw DocumentError("Word 2.0 documents are not supported");
    if (bytes.size() >= 2 && bytes[1] == 0xA5 && bytes[0] == 0x9B)
        throw DocumentError("Word 1.x documents are not supported");
    if (startsWith(bytes, std::array<std::uint8_t, 4>{0xFF, 'W', 'P', 'C'}))
        notWord(displayName, "a WordPerfect document");
    if (startsWith(bytes, "{\\rtf"))
        notWord(displayName, "an RTF document");
    const std::string head = textHead(bytes);
    if (head.starts_with("<?xml") || head.starts_with("<w:worddocument")) {
        if (head.find("<?mso-application progid=\"word.document\"?>") != std::string::npos ||
            head.find("schemas.microsoft.com/office/word/2003/wordml") != std::string::npos)
            notWord(displayName, "a Word 2003 XML document");
        if (head.find("<pkg:package") != std::string::npos)
            notWord(displayName, "a flat Word XML document");
        if (head.find("<html") != std::string::npos)
            notWord(displayName, "an HTML document");
        notWord(displayName, "an XML file");
    }
    if (head.starts_with("<!doctype html") || head.starts_with("<html") ||
        head.find("<html") != std::string::npos)
        notWord(displayName, "an HTML document");
    throw DocumentError("Not a Word document: " + std::string(displayName));
}

}  // namespace vantile::office::word
