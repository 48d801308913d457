// Text that is not fit for XML: the escaping that keeps every written part well formed,
// whatever a cell held.
#include "spreadsheet/io/OoxmlXml.h"
#include "spreadsheet/io/OutputBuffer.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

using namespace qv::sheet;

namespace {

const std::string Fffd = "\xEF\xBF\xBD";

std::string text(std::string_view s, bool ooxml) {
    std::string result;
    OutputBuffer out([&result](const char* d, std::size_t n) { result.append(d, n); }, 64);
    out.xmlText(s, ooxml);
    out.flush();
    return result;
}

std::string attr(std::string_view s) {
    std::string result;
    OutputBuffer out([&result](const char* d, std::size_t n) { result.append(d, n); }, 64);
    out.xmlAttr(s);
    out.flush();
    return result;
}

// What an XML parser makes of the escaped text inside an element; "<refused>" when it refuses.
std::string parsed(const std::string& escaped) {
    pugi::xml_document doc;
    std::string xml = "<t>" + escaped + "</t>";
    if (!doc.load_buffer(xml.data(), xml.size(), pugi::parse_default | pugi::parse_ws_pcdata))
        return "<refused>";
    return doc.child("t").text().get();
}

} // namespace

TEST(OutputBufferTest, EveryCharacterXmlForbidsBecomesAnEscapeInPackagesAndAReplacementElsewhere) {
    struct Case {
        std::string in, ooxml, plain;
    };
    const Case cases[] = {
        {"a\x01z", "a_x0001_z", "a" + Fffd + "z"},
        {"\x1F", "_x001F_", Fffd},
        {std::string("nul\0", 4), "nul_x0000_", "nul" + Fffd},
        {"\xEF\xBF\xBE|\xEF\xBF\xBF", "_xFFFE_|_xFFFF_", Fffd + "|" + Fffd},
        {"bad\xC3(", "bad" + Fffd + "(", "bad" + Fffd + "("},
        {"\xC0\xBC"
         "b",
         Fffd + Fffd + "b", Fffd + Fffd + "b"}, // an overlong '<' is no '<'
        {"\xED\xA0\xBD\xED\xB8\x80", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
        {"x\xED\xB8\x80", "x" + Fffd, "x" + Fffd},
        {"tab\tlf\n", "tab\tlf\n", "tab\tlf\n"},
        {"\xE2\x82\xAC \xF0\x9F\x98\x80 \xEF\xBF\xBD", "\xE2\x82\xAC \xF0\x9F\x98\x80 \xEF\xBF\xBD",
         "\xE2\x82\xAC \xF0\x9F\x98\x80 \xEF\xBF\xBD"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text(c.in, true), c.ooxml) << c.in;
        EXPECT_EQ(text(c.in, false), c.plain) << c.in;
        EXPECT_NE(parsed(text(c.in, true)), "<refused>") << c.in;
        EXPECT_NE(parsed(text(c.in, false)), "<refused>") << c.in;
    }
    EXPECT_EQ(text("a\rb", false), "a&#13;b");
    EXPECT_EQ(parsed(text("a\rb", false)), "a\rb");
}

TEST(OutputBufferTest, LiteralEscapeTextIsKeptLiteralWhereverItStands) {
    EXPECT_EQ(text("_x0041_", true), "_x005F_x0041_");
    EXPECT_EQ(text("name_x0041_", true), "name_x005F_x0041_"); // at the very end
    EXPECT_EQ(text("_x0041_name", true), "_x005F_x0041_name");
    EXPECT_EQ(text("_x0041", true), "_x0041"); // one short: not an escape
    EXPECT_EQ(text("_x00G1_", true), "_x00G1_");
    EXPECT_EQ(text("name_x0041_", false), "name_x0041_"); // other formats have no escapes
    for (const char* s : {"_x0041_", "name_x0041_", "a_x0001_\x01_xFFFF_\xEF\xBF\xBF"})
        EXPECT_EQ(OoxmlXml::unescape(parsed(text(s, true))), s);
}

TEST(OutputBufferTest, AttributesReplaceWhatXmlForbids) {
    EXPECT_EQ(attr("a\x07\"b\"\xEF\xBF\xBF\xC3"), "a" + Fffd + "&quot;b&quot;" + Fffd + Fffd);
    EXPECT_EQ(attr("line\r\n\t"), "line&#13;&#10;&#9;");
    pugi::xml_document doc;
    std::string xml = "<a v=\"" + attr(std::string("\x01\xED\xA0\x80\0", 5)) + "\"/>";
    EXPECT_TRUE(doc.load_buffer(xml.data(), xml.size()));
}

TEST(OoxmlXmlTest, EscapedSurrogatePairsJoinAndHalvesBecomeReplacements) {
    EXPECT_EQ(OoxmlXml::unescape("_xD83D__xDE00_"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(OoxmlXml::unescape("a_xD83D_b"), "a" + Fffd + "b");
    EXPECT_EQ(OoxmlXml::unescape("_xDE00__xD83D_"), Fffd + Fffd);
    EXPECT_EQ(OoxmlXml::unescape("_x00e9_"), "\xC3\xA9");
}
