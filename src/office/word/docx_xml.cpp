#include "office/word/docx_xml.h"

#include <expat.h>

#include <array>
#include <charconv>
#include <cstring>
#include <stdexcept>

#include "office/word/document.h"
#include "platform/unicode.h"

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
    if (m_mode != Mode::Expat) {
        m_buffer.append(reinterpret_cast<const char*>(chunk.data()), chunk.size());
        if (m_mode == Mode::Undecided)
            choose(false);
        if (m_mode == Mode::Scanner)
            scan(false);
        return;
    }
    // expat takes an int length; feed large spans piecewise.
    constexpr std::size_t kPiece = 1u << 20;
    for (std::size_t at = 0; at < chunk.size(); at += kPiece) {
        const std::size_t n = std::min(kPiece, chunk.size() - at);
        parse(reinterpret_cast<const char*>(chunk.data() + at), n, false);
    }
}

void XmlParser::finish() {
    if (m_mode == Mode::Undecided)
        choose(true);
    if (m_mode == Mode::Scanner) {
        scan(true);
        return;
    }
    parse(nullptr, 0, true);
}

// The scanner reads UTF-8 only; a byte-order mark or declaration of anything else goes to expat.
void XmlParser::choose(bool last) {
    const std::string_view head(m_buffer);
    const auto lower = [](std::string_view s) {
        std::string out(s);
        for (char& c : out)
            c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
        return out;
    };
    bool expat = false;
    if (head.size() >= 2 &&
        (static_cast<unsigned char>(head[0]) == 0xFE || static_cast<unsigned char>(head[0]) == 0xFF ||
         head[0] == '\0' || head[1] == '\0')) {
        expat = true;
    } else if (head.substr(0, 5) == "<?xml") {
        const auto end = head.find("?>");
        if (end == std::string_view::npos) {
            if (!last && head.size() < 1024)
                return;
            expat = true;
        } else {
            const std::string declaration = lower(head.substr(0, end));
            const auto at = declaration.find("encoding");
            if (at != std::string::npos) {
                const auto quote = declaration.find_first_of("\"'", at);
                const bool utf8 =
                    quote != std::string::npos && (declaration.compare(quote + 1, 6, "utf-8\"") == 0 ||
                                                   declaration.compare(quote + 1, 6, "utf-8'") == 0);
                expat = !utf8;
            }
        }
    } else if (head.size() < 2 && !last) {
        return;
    }
    if (!expat) {
        m_mode = Mode::Scanner;
        return;
    }
    m_mode = Mode::Expat;
    std::string pending;
    pending.swap(m_buffer);
    for (std::size_t at = 0; at < pending.size(); at += 1u << 20) {
        parse(pending.data() + at, std::min<std::size_t>(1u << 20, pending.size() - at), false);
    }
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
    for (const char** a = atts; a && a[0]; a += 2) {
        const auto [prefix, local] = splitQName(a[0]);
        if (!prefix.empty() && prefix != "xmlns" && namespaceOf(prefix).empty()) {
            throw DocumentError("The document is damaged: the part \"" + m_partName +
                                "\" uses the undeclared prefix \"" + std::string(prefix) + "\"");
        }
    }
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

void XmlParser::startEvent(const char* name, const char** atts) {
    if (++m_depth > kMaxDepth)
        throw DocumentError("The document is damaged: the part \"" + m_partName + "\" is nested too deeply");
    declareNamespaces(atts);
    const auto [ns, local] = resolveElement(name);
    m_handler.startElement(ns, local, XmlAttributes(*this, atts));
}

void XmlParser::endEvent(const char* name) {
    --m_depth;
    const auto [ns, local] = resolveElement(name);
    m_handler.endElement(ns, local);
    if (!m_declared.empty()) {
        if (m_declared.back()) {
            m_namespaces.resize(m_namespaces.size() - m_declared.back());
            ++m_generation;
        }
        m_declared.pop_back();
    }
}

// The callbacks run inside expat's C frames: exceptions are caught there and
// raised again once XML_Parse has returned.
void XmlParser::onStart(void* self, const char* name, const char** atts) {
    auto* p = static_cast<XmlParser*>(self);
    if (p->m_error)
        return;
    try {
        p->noteEvent();
        p->startEvent(name, atts);
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
        p->endEvent(name);
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

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

constexpr std::array<bool, 256> table(std::string_view chars) {
    std::array<bool, 256> t{};
    for (const char c : chars)
        t[static_cast<unsigned char>(c)] = true;
    return t;
}
// Characters that end a run of plain bytes inside a tag, and inside an attribute value.
constexpr auto kTagSpecial = table("<>\"'");
constexpr auto kValueSpecial = table("&\r\n\t");

bool isXmlChar(std::uint32_t cp) {
    if (cp < 0x20)
        return cp == 0x09 || cp == 0x0A || cp == 0x0D;
    return !(cp >= 0xD800 && cp <= 0xDFFF) && cp != 0xFFFE && cp != 0xFFFF && cp <= 0x10FFFF;
}

// Decodes the reference at q ("&...;") into out; the position after it, or null when it is none.
const char* decodeReference(const char* q, const char* end, std::string& out) {
    const char* semi = static_cast<const char*>(std::memchr(q, ';', std::min<std::size_t>(end - q, 12)));
    if (!semi)
        return nullptr;
    const std::string_view name(q + 1, static_cast<std::size_t>(semi - q - 1));
    if (name == "lt") {
        out.push_back('<');
    } else if (name == "gt") {
        out.push_back('>');
    } else if (name == "amp") {
        out.push_back('&');
    } else if (name == "quot") {
        out.push_back('"');
    } else if (name == "apos") {
        out.push_back('\'');
    } else if (name.size() >= 2 && name[0] == '#') {
        const bool hex = name[1] == 'x';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        std::uint32_t cp = 0;
        const auto [ptr, ec] =
            std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
        if (digits.empty() || ec != std::errc() || ptr != digits.data() + digits.size() || !isXmlChar(cp))
            return nullptr;
        platform::AppendUtf8(out, cp);
    } else {
        return nullptr;
    }
    return semi + 1;
}

}  // namespace

void XmlParser::malformed(const char* what, std::size_t at) const {
    throw DocumentError("The document is damaged: the part \"" + m_partName + "\" is not well-formed XML (" +
                        what + " at byte " + std::to_string(m_scanned + at) + ")");
}

void XmlParser::validateUtf8(std::string_view bytes) {
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    constexpr std::uint64_t kSpaces = 0x2020202020202020ull;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        // Eight characters at once while they are printable ASCII.
        if (m_utf8Pending == 0) {
            while (i + 8 <= bytes.size()) {
                std::uint64_t word;
                std::memcpy(&word, bytes.data() + i, 8);
                if ((word & kHigh) || ((word - kSpaces) & ~word & kHigh))
                    break;
                i += 8;
            }
            if (i == bytes.size())
                break;
        }
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (m_utf8Pending == 0) {
            if (c < 0x80) {
                if (c < 0x20 && c != 0x09 && c != 0x0A && c != 0x0D)
                    malformed("invalid character", 0);
                continue;
            }
            if ((c & 0xE0) == 0xC0) {
                m_utf8Code = c & 0x1F;
                m_utf8Pending = 1;
                m_utf8Minimum = 0x80;
            } else if ((c & 0xF0) == 0xE0) {
                m_utf8Code = c & 0x0F;
                m_utf8Pending = 2;
                m_utf8Minimum = 0x800;
            } else if ((c & 0xF8) == 0xF0) {
                m_utf8Code = c & 0x07;
                m_utf8Pending = 3;
                m_utf8Minimum = 0x10000;
            } else {
                malformed("invalid UTF-8", 0);
            }
        } else {
            if ((c & 0xC0) != 0x80)
                malformed("invalid UTF-8", 0);
            m_utf8Code = (m_utf8Code << 6) | (c & 0x3F);
            if (--m_utf8Pending == 0 && (m_utf8Code < m_utf8Minimum || !isXmlChar(m_utf8Code)))
                malformed("invalid UTF-8", 0);
        }
    }
}

void XmlParser::scan(bool last) {
    validateUtf8(std::string_view(m_buffer).substr(m_validated));
    m_validated = m_buffer.size();
    const char* b = m_buffer.data();
    const std::size_t n = m_buffer.size();
    std::size_t at = 0;
    // A UTF-8 byte-order mark.
    if (m_scanned == 0 && n >= 3 && m_buffer.compare(0, 3, "\xEF\xBB\xBF") == 0)
        at = 3;
    while (at < n) {
        if (b[at] != '<') {
            const void* lt = std::memchr(b + at, '<', n - at);
            std::size_t end = lt ? static_cast<std::size_t>(static_cast<const char*>(lt) - b) : n;
            if (!lt && !last) {
                // Keep back what may be the start of a reference or of a CR LF pair.
                const void* amp = memrchr(b + at, '&', end - at);
                if (amp && end - static_cast<std::size_t>(static_cast<const char*>(amp) - b) < 16 &&
                    !std::memchr(amp, ';', end - static_cast<std::size_t>(static_cast<const char*>(amp) - b)))
                    end = static_cast<std::size_t>(static_cast<const char*>(amp) - b);
                if (end > at && b[end - 1] == '\r')
                    --end;
                if (end > at)
                    scanText(at, end);
                at = end;
                break;
            }
            scanText(at, end);
            at = end;
            continue;
        }
        if (!scanTag(at, last))
            break;
    }
    m_scanned += at;
    m_buffer.erase(0, at);
    m_validated -= at;
    if (m_buffer.size() > kMaxTokenBytes) {
        throw DocumentError("The document is damaged: the part \"" + m_partName +
                            "\" holds an XML token of excessive size");
    }
    if (!last)
        return;
    if (!m_buffer.empty())
        malformed("unclosed token", 0);
    if (m_utf8Pending)
        malformed("invalid UTF-8", 0);
    if (!m_rootSeen)
        malformed("no element found", 0);
    if (!m_openStarts.empty())
        malformed("unclosed element", 0);
}

void XmlParser::scanText(std::size_t from, std::size_t to) {
    const char* p = m_buffer.data() + from;
    const char* const e = m_buffer.data() + to;
    if (m_openStarts.empty()) {
        for (; p < e; ++p) {
            if (!isSpace(*p))
                malformed("text outside the root element", from);
        }
        return;
    }
    m_text.clear();
    while (p < e) {
        const char* q = p;
        while (q < e && *q != '&' && *q != '\r')
            ++q;
        m_text.append(p, q);
        if (q == e)
            break;
        if (*q == '\r') {
            m_text.push_back('\n');
            p = q + 1 < e && q[1] == '\n' ? q + 2 : q + 1;
            continue;
        }
        p = decodeReference(q, e, m_text);
        if (!p)
            malformed("invalid reference", static_cast<std::size_t>(q - m_buffer.data()));
    }
    if (!m_text.empty())
        m_handler.characters(m_text);
}

std::size_t XmlParser::findEnd(std::string_view token, std::string_view terminator, std::size_t from) {
    // Where the previous chunk's search stopped, less what may be the start of the terminator.
    if (m_resume > from + terminator.size())
        from = m_resume - terminator.size();
    const auto end = token.find(terminator, from);
    m_resume = end == std::string_view::npos ? token.size() : 0;
    return end;
}

bool XmlParser::scanTag(std::size_t& at, bool last) {
    const char* b = m_buffer.data();
    const std::size_t n = m_buffer.size();
    const auto incomplete = [&]() {
        if (last)
            malformed("unclosed token", at);
        return false;
    };
    if (at + 1 >= n)
        return incomplete();
    const char c = b[at + 1];
    if (c == '/') {
        const void* gt = std::memchr(b + at, '>', n - at);
        if (!gt)
            return incomplete();
        const auto g = static_cast<std::size_t>(static_cast<const char*>(gt) - b);
        std::string_view name(b + at + 2, g - at - 2);
        while (!name.empty() && isSpace(name.back()))
            name.remove_suffix(1);
        if (m_openStarts.empty())
            malformed("end tag without start tag", at);
        const char* open = m_openNames.data() + m_openStarts.back();
        if (name != std::string_view(open))
            malformed("mismatched tag", at);
        endEvent(open);
        m_openNames.resize(m_openStarts.back());
        m_openStarts.pop_back();
        at = g + 1;
        return true;
    }
    const std::string_view rest(b + at, n - at);
    if (c == '?') {
        const auto end = findEnd(rest, "?>", 2);
        if (end == std::string_view::npos)
            return incomplete();
        at += end + 2;
        return true;
    }
    if (c == '!') {
        if (rest.size() < 9 && !last)
            return false;
        if (rest.substr(0, 4) == "<!--") {
            const auto end = findEnd(rest, "-->", 4);
            if (end == std::string_view::npos)
                return incomplete();
            at += end + 3;
            return true;
        }
        if (rest.substr(0, 9) == "<![CDATA[") {
            const auto end = findEnd(rest, "]]>", 9);
            if (end == std::string_view::npos)
                return incomplete();
            if (m_openStarts.empty())
                malformed("text outside the root element", at);
            if (end > 9)
                m_handler.characters(rest.substr(9, end - 9));
            at += end + 3;
            return true;
        }
        if (rest.substr(0, 9) == "<!DOCTYPE") {
            throw DocumentError("The document is damaged: the part \"" + m_partName +
                                "\" contains a document type declaration");
        }
        malformed("invalid markup", at);
    }

    // A start tag: find its end outside quoted values.
    // A tag that did not end in the previous chunk is searched on from where that search stopped.
    std::size_t i = at + 1;
    char quote = 0;
    if (at == 0 && m_resume > 1) {
        i = m_resume;
        quote = m_resumeQuote;
    }
    for (; i < n; ++i) {
        const char ch = b[i];
        if (!kTagSpecial[static_cast<unsigned char>(ch)])
            continue;
        if (ch == '<')
            malformed("'<' in a tag", i);
        if (quote) {
            if (ch == quote)
                quote = 0;
        } else if (ch == '>') {
            break;
        } else if (ch != '<' && ch != '>') {
            quote = ch;
        }
    }
    if (i == n) {
        m_resume = i - at;
        m_resumeQuote = quote;
        return incomplete();
    }
    m_resume = 0;

    m_scratch.clear();
    m_attOffsets.clear();
    std::size_t p = at + 1;
    while (p < i && !isSpace(b[p]) && b[p] != '/')
        ++p;
    if (p == at + 1)
        malformed("invalid element name", at);
    m_scratch.append(b + at + 1, p - at - 1);
    m_scratch.push_back('\0');
    bool selfClosing = false;
    for (;;) {
        while (p < i && isSpace(b[p]))
            ++p;
        if (p == i)
            break;
        if (b[p] == '/') {
            if (p + 1 != i)
                malformed("invalid tag", p);
            selfClosing = true;
            break;
        }
        std::size_t q = p;
        while (q < i && !isSpace(b[q]) && b[q] != '=' && b[q] != '/' && b[q] != '"' && b[q] != '\'')
            ++q;
        if (q == p)
            malformed("invalid attribute", p);
        m_attOffsets.push_back(m_scratch.size());
        m_scratch.append(b + p, q - p);
        m_scratch.push_back('\0');
        p = q;
        while (p < i && isSpace(b[p]))
            ++p;
        if (p == i || b[p] != '=')
            malformed("attribute without value", p);
        ++p;
        while (p < i && isSpace(b[p]))
            ++p;
        if (p == i || (b[p] != '"' && b[p] != '\''))
            malformed("unquoted attribute value", p);
        const char close = b[p++];
        const char* valueEnd = static_cast<const char*>(std::memchr(b + p, close, i - p));
        if (!valueEnd)
            malformed("unclosed attribute value", p);
        m_attOffsets.push_back(m_scratch.size());
        const char* v = b + p;
        while (v < valueEnd) {
            const char* plain = v;
            while (plain < valueEnd && !kValueSpecial[static_cast<unsigned char>(*plain)])
                ++plain;
            m_scratch.append(v, plain);
            v = plain;
            if (v == valueEnd)
                break;
            const char ch = *v;
            if (ch == '&') {
                v = decodeReference(v, valueEnd, m_scratch);
                if (!v)
                    malformed("invalid reference", p);
            } else if (ch == '\r') {
                m_scratch.push_back(' ');
                v += v + 1 < valueEnd && v[1] == '\n' ? 2 : 1;
            } else {
                m_scratch.push_back(ch == '\t' || ch == '\n' ? ' ' : ch);
                ++v;
            }
        }
        m_scratch.push_back('\0');
        p = static_cast<std::size_t>(valueEnd - b) + 1;
        if (p < i && !isSpace(b[p]) && b[p] != '/')
            malformed("attributes not separated", p);
    }
    if (m_openStarts.empty() && m_rootSeen)
        malformed("content after the root element", at);
    m_rootSeen = true;
    m_attPointers.clear();
    for (const std::size_t offset : m_attOffsets)
        m_attPointers.push_back(m_scratch.data() + offset);
    m_attPointers.push_back(nullptr);
    // The handler leaves m_scratch alone: the name stays valid for the end event.
    startEvent(m_scratch.data(), m_attPointers.data());
    if (selfClosing) {
        endEvent(m_scratch.data());
    } else {
        m_openStarts.push_back(static_cast<std::uint32_t>(m_openNames.size()));
        m_openNames.append(m_scratch.c_str());
        m_openNames.push_back('\0');
    }
    at = i + 1;
    return true;
}

}  // namespace vantile::office::word::docx
