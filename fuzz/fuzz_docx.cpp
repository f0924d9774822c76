// Feeds arbitrary bytes to the .docx reader and the cell addressing built on its
// result: it must return a document or raise DocumentError, never crash, hang or
// exhaust memory. Input that is no zip archive becomes the main part of a small
// stored package, so that mutations reach the XML handling instead of dying at
// the archive's checksums.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "office/word/docx_reader.h"
#include "office/word/table_layout.h"

namespace {

void put16(std::string& out, unsigned v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void put32(std::string& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

std::string storedZip(const std::vector<std::pair<std::string_view, std::string_view>>& items) {
    std::string out;
    std::string directory;
    for (const auto& [name, data] : items) {
        const auto crc = static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
        const auto offset = static_cast<std::uint32_t>(out.size());
        for (std::string* header : {&out, &directory}) {
            const bool central = header == &directory;
            put32(*header, central ? 0x02014b50 : 0x04034b50);
            if (central)
                put16(*header, 20);
            put16(*header, 20);
            put16(*header, 0);
            put16(*header, 0);
            put32(*header, 0);
            put32(*header, crc);
            put32(*header, static_cast<std::uint32_t>(data.size()));
            put32(*header, static_cast<std::uint32_t>(data.size()));
            put16(*header, static_cast<unsigned>(name.size()));
            put16(*header, 0);
            if (central) {
                put16(*header, 0);
                put16(*header, 0);
                put16(*header, 0);
                put32(*header, 0);
                put32(*header, offset);
            }
            header->append(name);
        }
        out.append(data);
    }
    const auto directoryOffset = static_cast<std::uint32_t>(out.size());
    out += directory;
    put32(out, 0x06054b50);
    put32(out, 0);
    put16(out, static_cast<unsigned>(items.size()));
    put16(out, static_cast<unsigned>(items.size()));
    put32(out, static_cast<std::uint32_t>(directory.size()));
    put32(out, directoryOffset);
    put16(out, 0);
    return out;
}

constexpr std::string_view kTypes =
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Override "
    "PartName=\"/word/document.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></"
    "Types>";
constexpr std::string_view kRels =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
    "Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"word/document.xml\"/></Relationships>";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantile::office::word;
    std::span<const std::uint8_t> input(data, size);
    std::string package;
    if (size < 2 || data[0] != 'P' || data[1] != 'K') {
        const std::string_view xml(reinterpret_cast<const char*>(data), size);
        package =
            storedZip({{"[Content_Types].xml", kTypes}, {"_rels/.rels", kRels}, {"word/document.xml", xml}});
        input = std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(package.data()),
                                              package.size());
    }
    try {
        Document doc = ReadDocx(input);
        std::size_t seen = 0;
        for (auto& table : doc.tables) {
            const TableLayout layout(table);
            for (std::uint32_t i = 0; i < layout.rowCount(); ++i) {
                for (std::uint32_t j = 0; j < layout.columnCount(); ++j) {
                    if (const TableCell* cell = layout.cellAt(i, j))
                        seen += cell->text.size();
                }
            }
        }
        (void)seen;
    } catch (const DocumentError&) {
    }
    return 0;
}
