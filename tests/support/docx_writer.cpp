#include "support/docx_writer.h"

#include <zlib.h>

#include <stdexcept>

namespace vantile::test {
namespace {

void put16(std::string& out, unsigned v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void put32(std::string& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

std::string rawDeflate(const std::string& data) {
    z_stream z{};
    if (deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::runtime_error("deflateInit2 failed");
    }
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (rc != Z_STREAM_END)
        throw std::runtime_error("deflate failed");
    return out;
}

constexpr const char* kWordNs = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr const char* kWordStrictNs = "http://purl.oclc.org/ooxml/wordprocessingml/main";

}  // namespace

std::string BuildZip(const std::vector<ZipItem>& items) {
    std::string out;
    std::string directory;
    for (const auto& item : items) {
        const std::string data = item.deflate ? rawDeflate(item.data) : item.data;
        const auto crc = static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(item.data.data()), static_cast<uInt>(item.data.size())));
        const auto offset = static_cast<std::uint32_t>(out.size());
        const unsigned method = item.deflate ? 8 : 0;
        put32(out, 0x04034b50);
        put16(out, 20);
        put16(out, 0);
        put16(out, method);
        put16(out, 0);
        put16(out, 0x21);
        put32(out, crc);
        put32(out, static_cast<std::uint32_t>(data.size()));
        put32(out, static_cast<std::uint32_t>(item.data.size()));
        put16(out, static_cast<unsigned>(item.name.size()));
        put16(out, 0);
        out += item.name;
        out += data;

        put32(directory, 0x02014b50);
        put16(directory, 20);
        put16(directory, 20);
        put16(directory, 0);
        put16(directory, method);
        put16(directory, 0);
        put16(directory, 0x21);
        put32(directory, crc);
        put32(directory, static_cast<std::uint32_t>(data.size()));
        put32(directory, static_cast<std::uint32_t>(item.data.size()));
        put16(directory, static_cast<unsigned>(item.name.size()));
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put32(directory, 0);
        put32(directory, offset);
        directory += item.name;
    }
    const auto directoryOffset = static_cast<std::uint32_t>(out.size());
    out += directory;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<unsigned>(items.size()));
    put16(out, static_cast<unsigned>(items.size()));
    put32(out, static_cast<std::uint32_t>(directory.size()));
    put32(out, directoryOffset);
    put16(out, 0);
    return out;
}

std::vector<ZipItem> DocxItems(std::string_view bodyXml, const DocxOptions& options) {
    const std::string mainName = "/" + options.mainPart;
    const std::string mainType =
        options.macros ? "application/vnd.ms-word.document.macroEnabled.main+xml"
                       : "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";
    std::string types =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"" +
        mainName + "\" ContentType=\"" + mainType + "\"/>";
    if (options.macros) {
        types += "<Default Extension=\"bin\" ContentType=\"application/vnd.ms-office.vbaProject\"/>";
    }
    types += "</Types>";

    const std::string officeDocument =
        options.strict ? "http://purl.oclc.org/ooxml/officeDocument/relationships/officeDocument"
                       : "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
    const std::string rootRels =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"" +
        officeDocument + "\" Target=\"" + mainName + "\"/></Relationships>";

    const std::string document =
        std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:document xmlns:w=\"") +
        (options.strict ? kWordStrictNs : kWordNs) +
        "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\""
        " xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\""
        " xmlns:m=\"http://schemas.openxmlformats.org/officeDocument/2006/math\""
        " xmlns:wps=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\""
        " xmlns:w14=\"http://schemas.microsoft.com/office/word/2010/wordml\" mc:Ignorable=\"w14\"><w:body>" +
        std::string(bodyXml) + "</w:body></w:document>";

    std::vector<ZipItem> items = {
        {"[Content_Types].xml", types, options.deflate},
        {"_rels/.rels", rootRels, options.deflate},
        {options.mainPart, document, options.deflate},
    };
    if (options.macros) {
        const auto slash = options.mainPart.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : options.mainPart.substr(0, slash + 1);
        const std::string file = options.mainPart.substr(folder.size());
        items.push_back(
            {folder + "_rels/" + file + ".rels",
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
             "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
             "<Relationship Id=\"rId9\" Type=\"http://schemas.microsoft.com/office/2006/relationships/"
             "vbaProject\" Target=\"vbaProject.bin\"/></Relationships>",
             options.deflate});
        items.push_back(
            {folder + "vbaProject.bin", std::string("\xD0\xCF\x11\xE0") + " not a real project", false});
    }
    for (const auto& extra : options.extraItems)
        items.push_back(extra);
    return items;
}

std::string BuildDocx(std::string_view bodyXml, const DocxOptions& options) {
    return BuildZip(DocxItems(bodyXml, options));
}

std::string Escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out.push_back(c);
        }
    }
    return out;
}

std::string Para(std::string_view text) {
    if (text.empty())
        return "<w:p/>";
    return "<w:p><w:r><w:t xml:space=\"preserve\">" + Escape(text) + "</w:t></w:r></w:p>";
}

std::string Cell(std::string_view content, std::string_view tcPr) {
    std::string out = "<w:tc>";
    if (!tcPr.empty())
        out += "<w:tcPr>" + std::string(tcPr) + "</w:tcPr>";
    out += !content.empty() && content.front() == '<' ? std::string(content) : Para(content);
    return out + "</w:tc>";
}

std::string Row(std::initializer_list<std::string> cells, std::string_view trPr) {
    std::string out = "<w:tr>";
    if (!trPr.empty())
        out += "<w:trPr>" + std::string(trPr) + "</w:trPr>";
    for (const auto& cell : cells)
        out += cell;
    return out + "</w:tr>";
}

std::string Tbl(const std::vector<std::string>& rows, const std::vector<int>& gridTwips) {
    std::string out = "<w:tbl><w:tblPr><w:tblW w:w=\"0\" w:type=\"auto\"/></w:tblPr>";
    if (!gridTwips.empty()) {
        out += "<w:tblGrid>";
        for (int w : gridTwips)
            out += "<w:gridCol w:w=\"" + std::to_string(w) + "\"/>";
        out += "</w:tblGrid>";
    }
    for (const auto& row : rows)
        out += row;
    return out + "</w:tbl>";
}

std::string Tbl(std::initializer_list<std::string> rows, std::initializer_list<int> gridTwips) {
    return Tbl(std::vector<std::string>(rows), std::vector<int>(gridTwips));
}

}  // namespace vantile::test
