// See OoxmlXml.h.
#include "spreadsheet/io/OoxmlXml.h"

#include "platform/Utf8.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace qv::sheet {

const char* OoxmlXml::local(const char* qualified) {
    const char* colon = std::strchr(qualified, ':');
    return colon ? colon + 1 : qualified;
}

bool OoxmlXml::is(const pugi::xml_node& n, const char* localName) {
    return n.type() == pugi::node_element && std::strcmp(local(n.name()), localName) == 0;
}

pugi::xml_node OoxmlXml::child(const pugi::xml_node& n, const char* localName) {
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
        if (is(c, localName)) return c;
    return {};
}

pugi::xml_attribute OoxmlXml::attr(const pugi::xml_node& n, const char* localName) {
    if (pugi::xml_attribute a = n.attribute(localName)) return a;
    for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute())
        if (std::strcmp(local(a.name()), localName) == 0 && std::strncmp(a.name(), "xmlns", 5) != 0) return a;
    return {};
}

bool OoxmlXml::flag(const pugi::xml_node& n, const char* localName, bool absent) {
    pugi::xml_attribute a = attr(n, localName);
    if (!a) return absent;
    std::string v = a.value();
    return v == "1" || v == "true" || v == "on";
}

std::string OoxmlXml::text(const pugi::xml_node& n) {
    std::string out;
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
        if (is(c, "t"))
            out += c.text().get();
        else if (is(c, "r"))
            out += text(c);
    }
    return unescape(out);
}

std::string OoxmlXml::unescape(const std::string& s) {
    if (s.find("_x") == std::string::npos) return s;
    std::string out;
    out.reserve(s.size());
    auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    auto escapeAt = [&](std::size_t i, char32_t& cp) {
        if (!(s[i] == '_' && i + 6 < s.size() && s[i + 1] == 'x' && hex(s[i + 2]) && hex(s[i + 3]) &&
              hex(s[i + 4]) && hex(s[i + 5]) && s[i + 6] == '_'))
            return false;
        cp = static_cast<char32_t>(std::strtoul(s.substr(i + 2, 4).c_str(), nullptr, 16));
        return true;
    };
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t cp = 0;
        if (!escapeAt(i, cp)) {
            out += s[i];
            continue;
        }
        i += 6;
        // The escapes count UTF-16 units: a character past U+FFFF is a pair of them, and a
        // half of a pair alone is no character (it would make the cell's text ill-formed).
        if (Utf8::isSurrogate(cp)) {
            char32_t low = 0;
            if (cp <= 0xDBFF && i + 1 < s.size() && escapeAt(i + 1, low) && low >= 0xDC00 && low <= 0xDFFF) {
                cp = Utf8::fromSurrogates(cp, low);
                i += 7;
            } else {
                cp = Utf8::Replacement;
            }
        }
        Utf8::append(out, cp);
    }
    return out;
}

} // namespace qv::sheet
