// Small helpers for reading Office Open XML with pugixml, which does not resolve namespaces:
// elements are matched by their local name, so "x:c" from one producer reads like "c" from
// another, and the schema's boolean spellings ("1", "true", "on") all count.
#pragma once

#include <pugixml.hpp>
#include <string>

namespace qv::sheet {

class OoxmlXml {
  public:
    static const char* local(const char* qualified);
    static bool is(const pugi::xml_node& n, const char* localName);
    static pugi::xml_node child(const pugi::xml_node& n, const char* localName);
    // The attribute by local name ("r:id" matches "id" only when asked for "id" with no plain "id").
    static pugi::xml_attribute attr(const pugi::xml_node& n, const char* localName);
    static bool flag(const pugi::xml_node& n, const char* localName, bool absent);
    // Text of a node including its rich-text runs (<r><t>..</t></r>), without phonetic runs.
    static std::string text(const pugi::xml_node& n);
    // Undoes the "_xHHHH_" escapes cell texts use for characters XML cannot carry.
    static std::string unescape(const std::string& s);
};

} // namespace qv::sheet
