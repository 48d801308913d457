// The doubled delimiter is the dialect's own escape inside brackets, so the quoted text stays
// readable and round-trips through any reader that knows the rule.
#include "platform/NameQuote.h"

#include <algorithm>
#include <cctype>

namespace qv {

namespace {

std::string quoted(std::string_view name, char open, char close) {
    std::string out;
    out.reserve(name.size() + 2);
    out.push_back(open);
    for (char c : name) {
        out.push_back(c);
        if (c == close) out.push_back(close);
    }
    out.push_back(close);
    return out;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

std::string NameQuote::bracketed(std::string_view name) {
    return quoted(name, '[', ']');
}

std::string NameQuote::backQuoted(std::string_view name) {
    return quoted(name, '`', '`');
}

std::string NameQuote::bracketedPath(std::string_view dottedName) {
    std::string out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = dottedName.find('.', start);
        out += bracketed(dottedName.substr(start, dot == std::string_view::npos ? dot : dot - start));
        if (dot == std::string_view::npos) return out;
        out += '.';
        start = dot + 1;
    }
}

std::optional<std::string> NameQuote::unquoted(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    if (text.size() < 2) return std::nullopt;
    const char open = text.front();
    const char close = open == '[' ? ']' : open == '`' ? '`' : '\0';
    if (close == '\0' || text.back() != close) return std::nullopt;
    std::string name;
    name.reserve(text.size() - 2);
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] == close) {
            // Inside the name a delimiter only ever appears doubled.
            if (i + 2 >= text.size() || text[i + 1] != close) return std::nullopt;
            ++i;
        }
        name.push_back(text[i]);
    }
    return name;
}

std::string NameQuote::sheetReference(std::string_view name) {
    const bool plain = !name.empty() && std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '_' || c >= 0x80;
    });
    if (plain) return std::string(name);
    std::string quoted = "'";
    for (char c : name) {
        if (c == '\'') quoted += '\'';
        quoted += c;
    }
    return quoted + "'";
}

} // namespace qv
