#include "platform/regex.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <list>
#include <memory>
#include <unordered_map>
#include <utility>

namespace vantile::platform {
namespace {

// Bounds the backtracking of one match, so that a runaway pattern such as (a+)+b on
// a long text fails with an error instead of hanging the search.
constexpr std::uint32_t kMatchLimit = 1'000'000;
constexpr std::uint32_t kDepthLimit = 10'000;
constexpr std::size_t kCacheSize = 64;

struct CodeDeleter {
    void operator()(pcre2_code* c) const { pcre2_code_free(c); }
};
struct MatchDataDeleter {
    void operator()(pcre2_match_data* m) const { pcre2_match_data_free(m); }
};
struct MatchContextDeleter {
    void operator()(pcre2_match_context* m) const { pcre2_match_context_free(m); }
};
using Code = std::shared_ptr<pcre2_code>;

std::string pcreMessage(int code) {
    PCRE2_UCHAR buffer[256];
    const int n = pcre2_get_error_message(code, buffer, sizeof buffer);
    if (n < 0)
        return "Regular expression error " + std::to_string(code);
    return std::string(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(n));
}

// The texts users of script regular expressions know for the common syntax errors;
// other errors keep the engine's own text.
std::string compileMessage(int code) {
    switch (code) {
        case PCRE2_ERROR_MISSING_SQUARE_BRACKET:
            return "Expected ']' in regular expression";
        case PCRE2_ERROR_MISSING_CLOSING_PARENTHESIS:
            return "Expected ')' in regular expression";
        case PCRE2_ERROR_QUANTIFIER_INVALID:
        case PCRE2_ERROR_QUANTIFIER_OUT_OF_ORDER:
            return "Unexpected quantifier";
        case PCRE2_ERROR_CLASS_RANGE_ORDER:
            return "Invalid range in character set";
        case PCRE2_ERROR_UNMATCHED_CLOSING_PARENTHESIS:
        case PCRE2_ERROR_END_BACKSLASH:
            return "Syntax error in regular expression";
        default:
            return pcreMessage(code);
    }
}

// Compiled patterns of this thread, least recently used last.
class CodeCache {
  public:
    Code get(const std::string& pattern, unsigned options) {
        const std::string key = std::to_string(options & 3u) + ':' + pattern;
        auto it = m_index.find(key);
        if (it != m_index.end()) {
            m_order.splice(m_order.begin(), m_order, it->second);
            return it->second->second;
        }
        Code code = compile(pattern, options);
        m_order.emplace_front(key, code);
        m_index[key] = m_order.begin();
        if (m_order.size() > kCacheSize) {
            m_index.erase(m_order.back().first);
            m_order.pop_back();
        }
        return code;
    }

  private:
    static Code compile(const std::string& pattern, unsigned options) {
        // Script-language flavour: "$" only at the very end unless multi-line, \u and \x
        // escapes as scripts write them; texts are UTF-8, invalid bytes never match.
        std::uint32_t flags = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_ALT_BSUX | PCRE2_DOLLAR_ENDONLY;
        if (options & reIgnoreCase)
            flags |= PCRE2_CASELESS;
        if (options & reMultiline) {
            flags |= PCRE2_MULTILINE;
            flags &= ~static_cast<std::uint32_t>(PCRE2_DOLLAR_ENDONLY);
        }
        int error = 0;
        PCRE2_SIZE offset = 0;
        pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), flags,
                                         &error, &offset, nullptr);
        if (!code)
            throw ERegexException(compileMessage(error));
        return Code(code, CodeDeleter{});
    }

    std::list<std::pair<std::string, Code>> m_order;
    std::unordered_map<std::string, std::list<std::pair<std::string, Code>>::iterator> m_index;
};

CodeCache& cache() {
    thread_local CodeCache c;
    return c;
}

pcre2_match_context* matchContext() {
    thread_local std::unique_ptr<pcre2_match_context, MatchContextDeleter> context = [] {
        std::unique_ptr<pcre2_match_context, MatchContextDeleter> c(pcre2_match_context_create(nullptr));
        if (c) {
            pcre2_set_match_limit(c.get(), kMatchLimit);
            pcre2_set_depth_limit(c.get(), kDepthLimit);
        }
        return c;
    }();
    if (!context)
        throw ERegexException("Out of memory");
    return context.get();
}

struct Match {
    bool found = false;
    std::unique_ptr<pcre2_match_data, MatchDataDeleter> data;
};

Match search(const std::string& pattern, unsigned options, const std::string& text) {
    const Code code = cache().get(pattern, options);
    Match m;
    m.data.reset(pcre2_match_data_create_from_pattern(code.get(), nullptr));
    if (!m.data)
        throw ERegexException("Out of memory");
    const int rc = pcre2_match(code.get(), reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0, 0,
                               m.data.get(), matchContext());
    if (rc == PCRE2_ERROR_NOMATCH)
        return m;
    if (rc < 0)
        throw ERegexException(pcreMessage(rc));
    m.found = true;
    return m;
}

}  // namespace

bool RegexTest(const std::string& pattern, unsigned options, const std::string& text) {
    return search(pattern, options, text).found;
}

std::string RegexReplace(const std::string& pattern, unsigned options, const std::string& text,
                         const std::string& replacement) {
    const Match m = search(pattern, options, text);
    if (!m.found)
        return text;
    const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(m.data.get());
    const std::uint32_t pairs = pcre2_get_ovector_count(m.data.get());
    const std::size_t start = ov[0], end = ov[1];
    auto group = [&](std::uint32_t n) -> std::string {
        if (n >= pairs || ov[2 * n] == PCRE2_UNSET)
            return {};
        return text.substr(ov[2 * n], ov[2 * n + 1] - ov[2 * n]);
    };
    std::string out = text.substr(0, start);
    for (std::size_t i = 0; i < replacement.size(); ++i) {
        const char c = replacement[i];
        if (c != '$' || i + 1 == replacement.size()) {
            out += c;
            continue;
        }
        const char n = replacement[i + 1];
        if (n == '$') {
            out += '$';
            ++i;
        } else if (n == '&') {
            out += text.substr(start, end - start);
            ++i;
        } else if (n == '`') {
            out += text.substr(0, start);
            ++i;
        } else if (n == '\'') {
            out += text.substr(end);
            ++i;
        } else if (n >= '0' && n <= '9') {
            // Two digits when that names an existing group, else one.
            std::uint32_t g = static_cast<std::uint32_t>(n - '0');
            std::size_t used = 1;
            if (i + 2 < replacement.size() && replacement[i + 2] >= '0' && replacement[i + 2] <= '9') {
                const std::uint32_t g2 = g * 10 + static_cast<std::uint32_t>(replacement[i + 2] - '0');
                if (g2 > 0 && g2 < pairs) {
                    g = g2;
                    used = 2;
                }
            }
            if (g == 0 || g >= pairs) {
                out += c;
                continue;
            }
            out += group(g);
            i += used;
        } else {
            out += c;
        }
    }
    out += text.substr(end);
    return out;
}

}  // namespace vantile::platform
