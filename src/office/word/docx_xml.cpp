#include "office/word/docx_xml.h"

#include <expat.h>

#include <cstring>
#include <stdexcept>

#include "office/word/document.h"

namespace vantile::office::word::docx {
namespace {

constexpr std::string_view kXmlNs = "http://www.w3.org/XML/1998/namespace";

std::pair<std::string_view, std::string_view> splitQName(std::string_view name) {
    const auto cut = name.find(':');
    if (cut == std::string_view::npos)
        return {{}, name};
    return {name.substr(0, cut), name.substr(cut + 1)};
}

}  // namespace

const char* XmlAttributes::find(std::string_view ns, std::string_view local) const {
    for (const char** a = m_atts; a && a[0]; a += 2) {
        const auto [prefix, attLocal] = splitQName(a[0]);
        if (attLocal != local)
            continue;
        if (prefix.empty() || m_parser.namespaceOf(prefix) == ns)
            return a[1];
    }
    return nullptr;
}

XmlParser::XmlParser(XmlHandler& handler, std::string partName)
    : m_parser(XML_ParserCreate(nullptr)), m_handler(handler), m_partName(std::move(partName)) {
    if (!m_parser)
        throw std::bad_alloc();
    XML_SetUserData(m_parser, this);
    XML_SetElementHandler(m_parser, &XmlParser::onStart, &XmlParser::onEnd);
    XML_SetCharacterDataHandler(m_parser, &XmlParser::onText);
    // Package parts never carry a DTD; refusing them rules out entity expansion attacks.
    XML_SetStartDoctypeDeclHandler(m_parser, &XmlParser::onDoctype);
    XML_SetEntityDeclHandler(m_parser, &XmlParser::onEntity);
    XML_SetParamEntityParsing(m_parser, XML_PARAM_ENTITY_PARSING_NEVER);
    m_namespaces.emplace_back("xml", kXmlNs);
}

XmlParser::~XmlParser() {
    XML_ParserFree(m_parser);
}

void XmlParser::feed(std::span<const std::uint8_t> chunk) {
    // expat takes an int length; feed large spans piecewise.
    constexpr std::size_t kPiece = 1u << 20;
    for (std::size_t at = 0; at < chunk.size(); at += kPiece) {
        const std::size_t n = std::min(kPiece, chunk.size() - at);
        parse(reinterpret_cast<const char*>(chunk.data() + at), n, false);
    }
}

void XmlParser::finish() {
    parse(nullptr, 0, true);
}

void XmlParser::parse(const char* data, std::size_t size, bool last) {
    m_fed += size;
    const XML_Status status = XML_Parse(m_parser, data, static_cast<int>(size), last ? XML_TRUE : XML_FALSE);
    if (m_error)
        std::rethrow_exception(m_error);
    if (status != XML_STATUS_OK) {
        throw DocumentError("The document is damaged: the part \"" + m_partName +
                            "\" is not well-formed XML (" + XML_ErrorString(XML_GetErrorCode(m_parser)) +
                            " at line " + std::to_string(XML_GetCurrentLineNumber(m_parser)) + ")");
    }
    // A token that never ends (a giant tag, attribute or comment) keeps growing
    // expat's buffer without any event; cut it off.
    if (m_fed - m_lastEvent > kMaxTokenBytes) {
        throw DocumentError("The document is damaged: the part \"" + m_partName +
                            "\" holds an XML token of excessive size");
    }
}

std::string_view XmlParser::namespaceOf(std::string_view prefix) const {
    if (m_cacheGeneration == m_generation && prefix == m_cachePrefix)
        return m_cacheNs;
    std::string_view ns;
    for (auto it = m_namespaces.rbegin(); it != m_namespaces.rend(); ++it) {
        if (it->first == prefix) {
            ns = it->second;
            break;
        }
    }
    m_cachePrefix.assign(prefix);
    m_cacheNs = ns;
    m_cacheGeneration = m_generation;
    return ns;
}

void XmlParser::declareNamespaces(const char** atts) {
    std::uint32_t added = 0;
    for (const char** a = atts; a && a[0]; a += 2) {
        const std::string_view name(a[0]);
        if (name.substr(0, 5) != "xmlns")
            continue;
        if (name.size() == 5) {
            m_namespaces.emplace_back(std::string(), a[1]);
        } else if (name[5] == ':') {
            m_namespaces.emplace_back(std::string(name.substr(6)), a[1]);
        } else {
            continue;
        }
        ++added;
    }
    if (added)
        ++m_generation;
    m_declared.push_back(added);
}

std::pair<std::string_view, std::string_view> XmlParser::resolveElement(std::string_view name) const {
    const auto [prefix, local] = splitQName(name);
    const std::string_view ns = namespaceOf(prefix);
    if (!prefix.empty() && ns.empty()) {
        throw DocumentError("The document is damaged: the part \"" + m_partName +
                            "\" uses the undeclared prefix \"" + std::string(prefix) + "\"");
    }
    return {ns, local};
}

void XmlParser::fail(std::exception_ptr error) {
    if (!m_error)
        m_error = std::move(error);
    XML_StopParser(m_parser, XML_FALSE);
}

void XmlParser::noteEvent() {
    const XML_Index at = XML_GetCurrentByteIndex(m_parser);
    if (at > 0)
        m_lastEvent = static_cast<std::uint64_t>(at);
}

// The callbacks run inside expat's C frames: exceptions are caught there and
// raised again once XML_Parse has returned.
void XmlParser::onStart(void* self, const char* name, const char** atts) {
    auto* p = static_cast<XmlParser*>(self);
    if (p->m_error)
        return;
    try {
        p->noteEvent();
        if (++p->m_depth > kMaxDepth) {
            throw DocumentError("The document is damaged: the part \"" + p->m_partName +
                                "\" is nested too deeply");
        }
        p->declareNamespaces(atts);
        const auto [ns, local] = p->resolveElement(name);
        p->m_handler.startElement(ns, local, XmlAttributes(*p, atts));
    } catch (...) {
        p->fail(std::current_exception());
    }
}

void XmlParser::onEnd(void* self, const char* name) {
    auto* p = static_cast<XmlParser*>(self);
    if (p->m_error)
        return;
    try {
        p->noteEvent();
        --p->m_depth;
        const auto [ns, local] = p->resolveElement(name);
        p->m_handler.endElement(ns, local);
        if (!p->m_declared.empty()) {
            if (p->m_declared.back()) {
                p->m_namespaces.resize(p->m_namespaces.size() - p->m_declared.back());
                ++p->m_generation;
            }
            p->m_declared.pop_back();
        }
    } catch (...) {
        p->fail(std::current_exception());
    }
}

void XmlParser::onText(void* self, const char* text, int length) {
    auto* p = static_cast<XmlParser*>(self);
    if (p->m_error)
        return;
    try {
        p->noteEvent();
        p->m_handler.characters(std::string_view(text, static_cast<std::size_t>(length)));
    } catch (...) {
        p->fail(std::current_exception());
    }
}

void XmlParser::onDoctype(void* self, const char*, const char*, const char*, int) {
    auto* p = static_cast<XmlParser*>(self);
    p->fail(std::make_exception_ptr(DocumentError("The document is damaged: the part \"" + p->m_partName +
                                                  "\" contains a document type declaration")));
}

void XmlParser::onEntity(void* self, const char*, int, const char*, int, const char*, const char*,
                         const char*, const char*) {
    onDoctype(self, nullptr, nullptr, nullptr, 0);
}

}  // namespace vantile::office::word::docx
