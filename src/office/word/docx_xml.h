#pragma once
// A guarded streaming XML parser (expat) for the parts of an OOXML package:
// namespace-aware, fed in chunks, with no DTDs or entity declarations, a
// nesting limit and a bound on how much input one token may buffer.

#include <cstdint>
#include <exception>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct XML_ParserStruct;

namespace vantile::office::word::docx {

class XmlParser;

// One attribute list as expat hands it over: name, value, name, value, ..., null.
class XmlAttributes {
  public:
    XmlAttributes(const XmlParser& parser, const char** atts) : m_parser(parser), m_atts(atts) {}
    // The value of the attribute with that namespace and local name; an
    // unqualified attribute also matches, as some producers leave the prefix out.
    const char* find(std::string_view ns, std::string_view local) const;
    const char* find(std::string_view local) const { return find({}, local); }

  private:
    const XmlParser& m_parser;
    const char** m_atts;
};

class XmlHandler {
  public:
    virtual ~XmlHandler() = default;
    virtual void startElement(std::string_view ns, std::string_view local, const XmlAttributes& atts) = 0;
    virtual void endElement(std::string_view ns, std::string_view local) = 0;
    virtual void characters(std::string_view text) = 0;
};

class XmlParser {
  public:
    // partName is used in error messages only.
    XmlParser(XmlHandler& handler, std::string partName);
    ~XmlParser();
    XmlParser(const XmlParser&) = delete;
    XmlParser& operator=(const XmlParser&) = delete;

    // Raise DocumentError for malformed XML, and pass on what the handler raises.
    void feed(std::span<const std::uint8_t> chunk);
    void finish();

    // The namespace bound to a prefix at the current position ("" when unbound;
    // the empty prefix gives the default namespace).
    std::string_view namespaceOf(std::string_view prefix) const;
    // Changes whenever a namespace binding comes or goes: while it stays the same, a
    // namespace text handed to the handler keeps its address.
    std::uint64_t generation() const { return m_generation; }

    static constexpr std::size_t kMaxDepth = 256;
    static constexpr std::uint64_t kMaxTokenBytes = 8u << 20;

  private:
    static void onStart(void* self, const char* name, const char** atts);
    static void onEnd(void* self, const char* name);
    static void onText(void* self, const char* text, int length);
    static void onDoctype(void* self, const char*, const char*, const char*, int);
    static void onEntity(void* self, const char*, int, const char*, int, const char*, const char*,
                         const char*, const char*);

    void parse(const char* data, std::size_t size, bool last);
    void fail(std::exception_ptr error);
    void noteEvent();
    void startEvent(const char* name, const char** atts);
    void endEvent(const char* name);

    // UTF-8 parts (nearly all) go through a scanner of our own, several times faster
    // than expat; parts in other encodings go to expat.
    enum class Mode { Undecided, Expat, Scanner };
    void choose(bool last);
    void scan(bool last);
    bool scanTag(std::size_t& at, bool last);
    std::size_t findEnd(std::string_view token, std::string_view terminator, std::size_t from);
    void scanText(std::size_t from, std::size_t to);
    void validateUtf8(std::string_view bytes);
    [[noreturn]] void malformed(const char* what, std::size_t at) const;
    // Namespaces are resolved here rather than by expat, which is about twice as fast.
    void declareNamespaces(const char** atts);
    std::pair<std::string_view, std::string_view> resolveElement(std::string_view name) const;

    XML_ParserStruct* m_parser;
    XmlHandler& m_handler;
    std::string m_partName;
    std::exception_ptr m_error;
    std::vector<std::pair<std::string, std::string>> m_namespaces;  // prefix, namespace, innermost last
    std::uint64_t m_generation = 0;
    // The last prefix looked up: nearly every element of a part uses the same one or two.
    mutable std::string m_cachePrefix;
    mutable std::string_view m_cacheNs;
    mutable std::uint64_t m_cacheGeneration = UINT64_MAX;
    std::vector<std::uint32_t> m_declared;  // bindings each open element added
    Mode m_mode = Mode::Undecided;
    std::string m_buffer;         // input not yet scanned
    std::uint64_t m_scanned = 0;  // bytes of the part before m_buffer
    std::size_t m_validated = 0;  // bytes of m_buffer checked to be UTF-8
    std::string m_openNames;      // names of the open elements, each ended by NUL
    std::vector<std::uint32_t> m_openStarts;
    std::string m_scratch;  // decoded names and values of one tag
    std::vector<std::size_t> m_attOffsets;
    std::vector<const char*> m_attPointers;
    std::string m_text;
    bool m_rootSeen = false;
    // How far the token at the start of m_buffer was searched for its end without finding it.
    std::size_t m_resume = 0;
    char m_resumeQuote = 0;
    std::uint32_t m_utf8Code = 0;  // the UTF-8 sequence being validated across chunks
    std::uint32_t m_utf8Minimum = 0;
    int m_utf8Pending = 0;
    std::size_t m_depth = 0;
    std::uint64_t m_fed = 0;
    std::uint64_t m_lastEvent = 0;
};

}  // namespace vantile::office::word::docx
