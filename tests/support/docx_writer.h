#pragma once
// Builds small zip archives and WordprocessingML packages in memory for tests.
// Body content is given as WordprocessingML snippets; prefixes w:, r:, mc:, m:,
// wps: and w14: are bound in the document element.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace vantile::test {

struct ZipItem {
    std::string name;
    std::string data;
    bool deflate = false;
};

// A zip archive holding the items in order (stored or deflated, CRC filled in).
std::string BuildZip(const std::vector<ZipItem>& items);

struct DocxOptions {
    bool strict = false;  // Strict namespaces and relationship types
    bool macros = false;  // a vbaProject part related to the main part (.docm)
    bool deflate = true;
    std::string mainPart = "word/document.xml";
    std::vector<ZipItem> extraItems;  // added as they are
};

// The package parts of a document whose w:body holds bodyXml.
std::vector<ZipItem> DocxItems(std::string_view bodyXml, const DocxOptions& options = {});
// The whole package.
std::string BuildDocx(std::string_view bodyXml, const DocxOptions& options = {});

// XML text escaping.
std::string Escape(std::string_view text);
// A paragraph holding one run with the text.
std::string Para(std::string_view text);
// A cell. Content that does not begin with "<" is a paragraph of that text.
std::string Cell(std::string_view content, std::string_view tcPr = "");
std::string Row(std::initializer_list<std::string> cells, std::string_view trPr = "");
// A table with an optional grid (twips per column).
std::string Tbl(std::initializer_list<std::string> rows, std::initializer_list<int> gridTwips = {});
std::string Tbl(const std::vector<std::string>& rows, const std::vector<int>& gridTwips);

inline std::vector<std::uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

}  // namespace vantile::test
