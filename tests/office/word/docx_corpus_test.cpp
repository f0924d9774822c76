// Reads every OOXML package of the shared corpus and compares the tables with
// the approximate reference extraction beside it (reference/<file>.json).

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "office/word/word_application.h"
#include "platform/unicode.h"
#include "support/test_support.h"

namespace vantile::office::word {
namespace {

// Just enough JSON for the reference files.
struct Json {
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string string;
    std::vector<Json> array;
    std::map<std::string, Json> object;

    const Json& operator[](const std::string& key) const {
        static const Json null;
        const auto it = object.find(key);
        return it == object.end() ? null : it->second;
    }
    bool isNull() const { return kind == Kind::Null; }
};

class JsonParser {
  public:
    explicit JsonParser(const std::string& text) : m_s(text) {}
    Json parse() {
        Json v = value();
        ws();
        if (m_i != m_s.size())
            throw std::runtime_error("trailing JSON");
        return v;
    }

  private:
    void ws() {
        while (m_i < m_s.size() && std::isspace(static_cast<unsigned char>(m_s[m_i])))
            ++m_i;
    }
    char peek() {
        ws();
        if (m_i >= m_s.size())
            throw std::runtime_error("JSON ends early");
        return m_s[m_i];
    }
    void expect(char c) {
        if (peek() != c)
            throw std::runtime_error(std::string("JSON: expected ") + c);
        ++m_i;
    }
    unsigned hex4() {
        if (m_i + 4 > m_s.size())
            throw std::runtime_error("JSON escape");
        const unsigned v = static_cast<unsigned>(std::stoul(m_s.substr(m_i, 4), nullptr, 16));
        m_i += 4;
        return v;
    }
    std::string str() {
        expect('"');
        std::string out;
        while (m_i < m_s.size() && m_s[m_i] != '"') {
            char c = m_s[m_i++];
            if (c != '\\') {
                out.push_back(c);
                continue;
            }
            c = m_s.at(m_i++);
            switch (c) {
                case 'n':
                    out.push_back('\n');
                    break;
                case 't':
                    out.push_back('\t');
                    break;
                case 'r':
                    out.push_back('\r');
                    break;
                case 'b':
                    out.push_back('\b');
                    break;
                case 'f':
                    out.push_back('\f');
                    break;
                case 'u': {
                    unsigned cp = hex4();
                    if (cp >= 0xD800 && cp < 0xDC00 && m_s.compare(m_i, 2, "\\u") == 0) {
                        m_i += 2;
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (hex4() - 0xDC00);
                    }
                    platform::AppendUtf8(out, cp);
                    break;
                }
                default:
                    out.push_back(c);
            }
        }
        ++m_i;
        return out;
    }
    Json value() {
        Json v;
        const char c = peek();
        if (c == '{') {
            v.kind = Json::Kind::Object;
            ++m_i;
            if (peek() == '}') {
                ++m_i;
                return v;
            }
            for (;;) {
                std::string key = str();
                expect(':');
                v.object[key] = value();
                if (peek() == ',') {
                    ++m_i;
                    continue;
                }
                expect('}');
                return v;
            }
        }
        if (c == '[') {
            v.kind = Json::Kind::Array;
            ++m_i;
            if (peek() == ']') {
                ++m_i;
                return v;
            }
            for (;;) {
                v.array.push_back(value());
                if (peek() == ',') {
                    ++m_i;
                    continue;
                }
                expect(']');
                return v;
            }
        }
        if (c == '"') {
            v.kind = Json::Kind::String;
            v.string = str();
            return v;
        }
        if (m_s.compare(m_i, 4, "true") == 0 || m_s.compare(m_i, 5, "false") == 0) {
            v.kind = Json::Kind::Bool;
            v.boolean = m_s[m_i] == 't';
            m_i += v.boolean ? 4 : 5;
            return v;
        }
        if (m_s.compare(m_i, 4, "null") == 0) {
            m_i += 4;
            return v;
        }
        std::size_t used = 0;
        v.kind = Json::Kind::Number;
        v.number = std::stod(m_s.substr(m_i, 32), &used);
        m_i += used;
        return v;
    }

    const std::string& m_s;
    std::size_t m_i = 0;
};

// Length of the white-space character (as Python's str.strip sees it) at the end or start of s; 0 if none.
std::size_t spaceAtStart(std::string_view s) {
    static const std::vector<std::string_view> spaces = {" ",
                                                         "\t",
                                                         "\n",
                                                         "\v",
                                                         "\f",
                                                         "\r",
                                                         "\x1C",
                                                         "\x1D",
                                                         "\x1E",
                                                         "\x1F",
                                                         "\xC2\x85",
                                                         "\xC2\xA0",
                                                         "\xE1\x9A\x80",
                                                         "\xE2\x80\x80",
                                                         "\xE2\x80\x81",
                                                         "\xE2\x80\x82",
                                                         "\xE2\x80\x83",
                                                         "\xE2\x80\x84",
                                                         "\xE2\x80\x85",
                                                         "\xE2\x80\x86",
                                                         "\xE2\x80\x87",
                                                         "\xE2\x80\x88",
                                                         "\xE2\x80\x89",
                                                         "\xE2\x80\x8A",
                                                         "\xE2\x80\xA8",
                                                         "\xE2\x80\xA9",
                                                         "\xE2\x80\xAF",
                                                         "\xE2\x81\x9F",
                                                         "\xE3\x80\x80"};
    for (const auto sp : spaces) {
        if (s.substr(0, sp.size()) == sp)
            return sp.size();
    }
    return 0;
}
std::size_t spaceAtEnd(std::string_view s) {
    for (std::size_t n = 1; n <= 3 && n <= s.size(); ++n) {
        if (spaceAtStart(s.substr(s.size() - n)) == n)
            return n;
    }
    return 0;
}

// The reference's form of a cell text: paragraphs and line breaks as "\n", outer white space stripped.
std::string normalized(const std::string& text) {
    std::string out;
    for (char c : text)
        out.push_back(c == '\r' || c == '\v' ? '\n' : c);
    std::string_view v(out);
    while (std::size_t n = spaceAtStart(v))
        v.remove_prefix(n);
    while (std::size_t n = spaceAtEnd(v))
        v.remove_suffix(n);
    return std::string(v);
}

struct Tally {
    int files = 0;
    int filesAgreeing = 0;
    long cellsCompared = 0;
    long cellsAgreeing = 0;
};

using automation::Variant;

// A cell's text through the object model, without the end-of-cell mark; nullopt when there is no cell.
std::optional<std::string> cellText(const Variant& table, std::uint32_t row, std::uint32_t column) {
    try {
        std::string text = table.call("Cell", {static_cast<int>(row), static_cast<int>(column)})
                               .get("Range")
                               .get("Text")
                               .toString();
        EXPECT_GE(text.size(), 2u);
        EXPECT_EQ(text.substr(text.size() - 2), "\r\a");
        text.resize(text.size() - 2);
        return text;
    } catch (const automation::AutomationError& e) {
        EXPECT_STREQ(e.what(), "The requested member of the collection does not exist.");
        return std::nullopt;
    }
}

// Compares one opened document with its reference; returns the differences found, one per line.
std::string compare(const Variant& doc, const Json& reference, Tally& tally) {
    std::ostringstream diff;
    const auto& tables = reference["tables"].array;
    const Variant ourTables = doc.get("Tables");
    const auto count = static_cast<std::size_t>(ourTables.get("Count").toInt());
    if (count != tables.size()) {
        diff << "tables: " << count << " against " << tables.size() << "\n";
        return diff.str();
    }
    for (std::size_t k = 0; k < tables.size(); ++k) {
        const Variant table = ourTables.call("Item", {static_cast<int>(k + 1)});
        const auto& rows = tables[k]["cells"].array;
        const auto rowCount = static_cast<std::size_t>(table.get("Rows").get("Count").toInt());
        if (rowCount != rows.size()) {
            diff << "table " << k + 1 << ": rows " << rowCount << " against " << rows.size() << "\n";
            continue;
        }
        const auto columns = table.get("Columns").get("Count").toInt();
        const auto widest = static_cast<std::int64_t>(
            std::max(tables[k]["widest_row"].number, tables[k]["grid_cols"].number));
        if (columns != widest)
            diff << "table " << k + 1 << ": columns " << columns << " against " << widest << "\n";
        for (std::size_t i = 0; i < rows.size(); ++i) {
            for (const auto& refCell : rows[i].array) {
                ++tally.cellsCompared;
                const auto column = static_cast<std::uint32_t>(refCell["col"].number) + 1;
                const auto got = cellText(table, static_cast<std::uint32_t>(i + 1), column);
                const std::string want = refCell["text"].string;
                bool agrees = false;
                if (refCell["vmerge"].string == "continue") {
                    // A continuation has no cell of its own, or an empty one when it merges with nothing.
                    agrees = !got || normalized(*got).empty();
                } else if (!got) {
                    agrees = false;
                } else if (refCell["nested_tables"].number > 0) {
                    // The reference leaves nested tables out of the cell; the word processor keeps
                    // their text inline. Every line of the reference must still be there.
                    const std::string ours = normalized(*got);
                    agrees = true;
                    std::size_t at = 0;
                    while (at <= want.size()) {
                        const auto end = std::min(want.find('\n', at), want.size());
                        if (ours.find(want.substr(at, end - at)) == std::string::npos)
                            agrees = false;
                        at = end + 1;
                    }
                } else {
                    agrees = normalized(*got) == want;
                }
                if (agrees) {
                    ++tally.cellsAgreeing;
                } else {
                    diff << "table " << k + 1 << " cell (" << i + 1 << "," << column << "): \""
                         << (got ? normalized(*got) : "<no cell>") << "\" against \"" << want << "\"\n";
                }
            }
        }
    }
    return diff.str();
}

TEST(DocxCorpus, AgreesWithTheReferenceExtraction) {
    const auto corpus = test::corpusDir();
    if (corpus.empty())
        GTEST_SKIP() << "the shared corpus (../shared/corpus/public) is not present";
    const Variant app(CreateWordApplication());
    const Variant documents = app.get("Documents");
    Tally tally;
    for (const auto& item : std::filesystem::directory_iterator(corpus)) {
        const auto name = item.path().filename().string();
        const auto ext = item.path().extension().string();
        if (ext != ".docx" && ext != ".docm")
            continue;
        const auto referencePath = corpus / "reference" / (name + ".json");
        if (!std::filesystem::exists(referencePath))
            continue;
        const Json reference = JsonParser(test::readFile(referencePath)).parse();
        // Encrypted packages and binary documents under an OOXML name belong to the binary reader.
        if (reference["container"].string != "ooxml-zip")
            continue;
        ++tally.files;
        std::string differences;
        try {
            const Variant doc = documents.call("Open", {item.path().string(), Variant::missing(), true});
            differences =
                reference["opened"].boolean ? compare(doc, reference, tally) : "opened; nothing else could\n";
            doc.call("Close", {false});
        } catch (const automation::AutomationError& e) {
            if (reference["opened"].boolean)
                differences = std::string("failed: ") + e.what() + "\n";
        }
        if (differences.empty()) {
            ++tally.filesAgreeing;
        } else {
            ADD_FAILURE() << name << ":\n" << differences;
        }
    }
    EXPECT_GT(tally.files, 0);
    std::printf("docx corpus: %d of %d packages agree; %ld of %ld cells agree\n", tally.filesAgreeing,
                tally.files, tally.cellsAgreeing, tally.cellsCompared);
}

}  // namespace
}  // namespace vantile::office::word
