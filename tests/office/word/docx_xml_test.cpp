#include "office/word/docx_xml.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "office/word/document.h"

namespace vantile::office::word::docx {
namespace {

// Writes the events down in one text; adjacent character data is joined.
class Recorder final : public XmlHandler {
  public:
    std::string log;
    void startElement(std::string_view ns, std::string_view local, const XmlAttributes& atts) override {
        flush();
        log += "<{" + std::string(ns) + "}" + std::string(local);
        for (const char* name : {"a", "b", "val"}) {
            if (const char* v = atts.find("urn:x", name))
                log += " " + std::string(name) + "=" + v;
        }
        log += ">";
    }
    void endElement(std::string_view, std::string_view local) override {
        flush();
        log += "</" + std::string(local) + ">";
    }
    void characters(std::string_view text) override { m_text += text; }
    void flush() {
        if (!m_text.empty())
            log += "[" + m_text + "]";
        m_text.clear();
    }

  private:
    std::string m_text;
};

std::string parse(const std::string& xml, std::size_t chunk) {
    Recorder recorder;
    XmlParser parser(recorder, "part.xml");
    for (std::size_t at = 0; at < xml.size(); at += chunk) {
        const std::string piece = xml.substr(at, chunk);
        parser.feed({reinterpret_cast<const std::uint8_t*>(piece.data()), piece.size()});
    }
    parser.finish();
    recorder.flush();
    return recorder.log;
}

const std::vector<std::string> kWellFormed = {
    "<r xmlns='urn:x'/>",
    "<?xml version=\"1.0\" standalone=\"yes\"?>\r\n<x:r xmlns:x=\"urn:x\" x:a=\"1\" b = '2' >text</x:r>\n",
    "<r xmlns:x='urn:x'><x:s x:val='a&amp;b&lt;&gt;&quot;&apos;&#65;&#x42;'/>t&amp;u&#x263A;v</r>",
    "<r><!-- a comment <with> markup --><?pi data?><![CDATA[<raw & text>]]>after</r>",
    "<r>line\r\nbreaks\rand\nmore</r>",
    "<r xmlns:x='urn:x' x:a='tab\there\r\nnew'>  <x:in xmlns:x='urn:other' x:a='no'/>  </r>",
    "<r>\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80</r>",
    "<a><b><c>deep</c></b ><b/></a>",
};

TEST(XmlParser, TheScannerAgreesWithExpatWhateverTheChunks) {
    for (const auto& xml : kWellFormed) {
        // A declared encoding other than UTF-8 sends the part to expat.
        std::string forExpat = xml;
        if (forExpat.rfind("<?xml", 0) == 0)
            forExpat = forExpat.substr(forExpat.find("?>") + 2);
        forExpat = "<?xml version='1.0' encoding='ISO-8859-1'?>" + forExpat;
        const bool ascii = std::all_of(xml.begin(), xml.end(), [](char c) { return c >= 0; });
        const std::string whole = parse(xml, xml.size());
        if (ascii) {
            EXPECT_EQ(whole, parse(forExpat, forExpat.size())) << xml;
        }
        for (const std::size_t chunk : {1, 2, 3, 5, 8, 13})
            EXPECT_EQ(parse(xml, chunk), whole) << xml << " in chunks of " << chunk;
    }
    EXPECT_EQ(parse(kWellFormed[2], 64), "<{}r><{urn:x}s val=a&b<>\"'AB></s>[t&u\xE2\x98\xBAv]</r>");
    EXPECT_EQ(parse(kWellFormed[4], 64), "<{}r>[line\nbreaks\nand\nmore]</r>");
    EXPECT_EQ(parse(kWellFormed[5], 64), "<{}r a=tab here new>[  ]<{urn:other}in></in>[  ]</r>");
}

TEST(XmlParser, MalformedInputIsDamage) {
    const std::vector<std::string> malformed = {
        "",
        "   ",
        "<r>",
        "<r></s>",
        "<r/><s/>",
        "<r/>text",
        "text<r/>",
        "<r>&unknown;</r>",
        "<r>&#0;</r>",
        "<r>&#xD800;</r>",
        "<r>a & b</r>",
        "<r a=1/>",
        "<r a='1'b='2'/>",
        "<r a/>",
        "<r a='<'/>",
        "<r <s/>",
        "< r/>",
        "<r>\x01</r>",
        "<r>\xC3</r>",
        "<r>\xC0\x80</r>",
        "<r>\xED\xA0\x80</r>",
        "<r><!-- open",
        "<r><![CDATA[ open",
        "<r><!ELEMENT r ANY></r>",
        "<r></r",
        "<r x:a='1'/>",
        "<x:r/>",
    };
    for (const auto& xml : malformed) {
        for (const std::size_t chunk : {std::max<std::size_t>(xml.size(), 1), std::size_t{1}}) {
            EXPECT_THROW(parse(xml, chunk), DocumentError) << "\"" << xml << "\" in chunks of " << chunk;
        }
    }
}

}  // namespace
}  // namespace vantile::office::word::docx
