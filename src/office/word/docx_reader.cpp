#include "office/word/docx_reader.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "office/container/zip_reader.h"
#include "office/word/docx_tables.h"
#include "office/word/docx_xml.h"
#include "platform/ascii.h"

namespace vantile::office::word {
namespace {

using container::ZipArchive;
using container::ZipEntry;
using container::ZipError;

constexpr std::string_view kRelationshipsNs = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr std::string_view kContentTypesNs = "http://schemas.openxmlformats.org/package/2006/content-types";
constexpr std::string_view kOfficeDocumentRel =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
constexpr std::string_view kOfficeDocumentStrictRel =
    "http://purl.oclc.org/ooxml/officeDocument/relationships/officeDocument";
constexpr std::string_view kVbaProjectRel =
    "http://schemas.microsoft.com/office/2006/relationships/vbaProject";
constexpr std::size_t kMaxRelationships = 10000;
constexpr std::size_t kMaxContentTypes = 10000;

constexpr std::string_view kWordMainTypes[] = {
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml",
    "application/vnd.ms-word.document.macroEnabled.main+xml",
    "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml",
    "application/vnd.ms-word.template.macroEnabledTemplate.main+xml",
};

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

std::string lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), lowerAscii);
    return out;
}

struct Relationship {
    std::string type;
    std::string target;
    bool external = false;
};

class RelationshipsReader final : public docx::XmlHandler {
  public:
    std::vector<Relationship> rels;

    void startElement(std::string_view ns, std::string_view local, const docx::XmlAttributes& atts) override {
        if (ns != kRelationshipsNs || local != "Relationship")
            return;
        if (rels.size() >= kMaxRelationships)
            throw DocumentError("The document is damaged: too many relationships");
        const char* type = atts.find("Type");
        const char* target = atts.find("Target");
        const char* mode = atts.find("TargetMode");
        if (!type || !target)
            return;
        rels.push_back({type, target, mode && std::string_view(mode) == "External"});
    }
    void endElement(std::string_view, std::string_view) override {}
    void characters(std::string_view) override {}
};

class ContentTypesReader final : public docx::XmlHandler {
  public:
    std::vector<std::pair<std::string, std::string>> defaults;   // lower-case extension, type
    std::vector<std::pair<std::string, std::string>> overrides;  // lower-case part name, type

    void startElement(std::string_view ns, std::string_view local, const docx::XmlAttributes& atts) override {
        if (ns != kContentTypesNs)
            return;
        if (defaults.size() + overrides.size() >= kMaxContentTypes) {
            throw DocumentError("The document is damaged: too many content types");
        }
        const char* type = atts.find("ContentType");
        if (!type)
            return;
        if (local == "Default") {
            if (const char* ext = atts.find("Extension"))
                defaults.emplace_back(lower(ext), type);
        } else if (local == "Override") {
            if (const char* name = atts.find("PartName"))
                overrides.emplace_back(lower(name), type);
        }
    }
    void endElement(std::string_view, std::string_view) override {}
    void characters(std::string_view) override {}

    // The content type of a part ("/word/document.xml"), or nullopt when none is declared.
    std::optional<std::string> typeOf(std::string_view partName) const {
        const std::string name = lower(partName);
        for (const auto& [part, type] : overrides) {
            if (part == name)
                return type;
        }
        const auto dot = name.rfind('.');
        const auto slash = name.rfind('/');
        if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
            return std::nullopt;
        const std::string ext = name.substr(dot + 1);
        for (const auto& [e, type] : defaults) {
            if (e == ext)
                return type;
        }
        return std::nullopt;
    }
};

void parsePart(const ZipArchive& zip, const ZipEntry& entry, docx::XmlHandler& handler) {
    docx::XmlParser parser(handler, entry.name);
    zip.stream(entry, [&](std::span<const std::uint8_t> chunk) { parser.feed(chunk); });
    parser.finish();
}

std::string percentDecoded(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && platform::HexDigitValue(s[i + 1]) >= 0 &&
            platform::HexDigitValue(s[i + 2]) >= 0) {
            out.push_back(static_cast<char>(platform::HexDigitValue(s[i + 1]) * 16 +
                                            platform::HexDigitValue(s[i + 2])));
            i += 2;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

// Resolves a relationship target against the folder of its source part ("" for
// the package root) into a part name without the leading "/"; nullopt when the
// target leaves the package.
std::optional<std::string> resolveTarget(std::string_view sourceFolder, std::string_view target) {
    if (const auto cut = target.find_first_of("#?"); cut != std::string_view::npos)
        target = target.substr(0, cut);
    std::string path = !target.empty() && target.front() == '/'
                           ? std::string(target.substr(1))
                           : std::string(sourceFolder) + std::string(target);
    std::replace(path.begin(), path.end(), '\\', '/');
    std::vector<std::string_view> segments;
    std::string_view rest(path);
    while (!rest.empty()) {
        const auto cut = rest.find('/');
        const std::string_view segment = rest.substr(0, cut);
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
        if (segment.empty() || segment == ".")
            continue;
        if (segment == "..") {
            if (segments.empty())
                return std::nullopt;
            segments.pop_back();
            continue;
        }
        segments.push_back(segment);
    }
    if (segments.empty())
        return std::nullopt;
    std::string out;
    for (const auto& segment : segments) {
        if (!out.empty())
            out.push_back('/');
        out.append(segment);
    }
    return out;
}

// The zip entry of a part; part names may be stored percent-encoded or not.
const ZipEntry* findPart(const ZipArchive& zip, const std::string& name) {
    if (const ZipEntry* entry = zip.find(name))
        return entry;
    const std::string decoded = percentDecoded(name);
    return decoded != name ? zip.find(decoded) : nullptr;
}

std::string folderOf(const std::string& partName) {
    const auto slash = partName.rfind('/');
    return slash == std::string::npos ? std::string() : partName.substr(0, slash + 1);
}

std::string relationshipsPartOf(const std::string& partName) {
    const auto slash = partName.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : partName.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? partName : partName.substr(slash + 1);
    return folder + "_rels/" + file + ".rels";
}

Document readPackage(const ZipArchive& zip) {
    const ZipEntry* rootRels = zip.find("_rels/.rels");
    if (!rootRels)
        throw NotWordPackageError("Not a Word document: the zip archive is no Office document package");
    RelationshipsReader root;
    parsePart(zip, *rootRels, root);
    std::optional<std::string> mainName;
    for (const auto& rel : root.rels) {
        if (rel.external || (rel.type != kOfficeDocumentRel && rel.type != kOfficeDocumentStrictRel))
            continue;
        mainName = resolveTarget("", rel.target);
        break;
    }
    if (!mainName)
        throw NotWordPackageError("Not a Word document: the package has no main document");

    if (const ZipEntry* types = zip.find("[Content_Types].xml")) {
        ContentTypesReader contentTypes;
        parsePart(zip, *types, contentTypes);
        const auto type = contentTypes.typeOf("/" + *mainName);
        if (type) {
            // Media types compare without regard to letter case.
            const std::string got = lower(*type);
            const bool word = std::any_of(std::begin(kWordMainTypes), std::end(kWordMainTypes),
                                          [&](std::string_view t) { return lower(t) == got; });
            if (!word)
                throw NotWordPackageError("Not a Word document: the package holds a " + *type);
        }
    }

    const ZipEntry* main = findPart(zip, *mainName);
    if (!main)
        throw DocumentError("The document is damaged: its main part \"" + *mainName + "\" is missing");

    Document doc;
    docx::ReadMainDocument(zip, *main, doc);

    if (const ZipEntry* mainRels = findPart(zip, relationshipsPartOf(main->name))) {
        RelationshipsReader rels;
        parsePart(zip, *mainRels, rels);
        for (const auto& rel : rels.rels) {
            if (rel.external || rel.type != kVbaProjectRel)
                continue;
            const auto target = resolveTarget(folderOf(main->name), rel.target);
            if (target && findPart(zip, *target))
                doc.hasVBProject = true;
        }
    }
    return doc;
}

}  // namespace

Document ReadDocx(std::span<const std::uint8_t> package) {
    try {
        const ZipArchive zip(package);
        return readPackage(zip);
    } catch (const ZipError& e) {
        throw DocumentError(std::string("The document is damaged: ") + e.what());
    }
}

}  // namespace vantile::office::word
