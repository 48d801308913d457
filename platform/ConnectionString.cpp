// A small scanner rather than a split on ';': only a scanner can tell a ';' inside braces from
// a separator.
#include "platform/ConnectionString.h"
#include "platform/TextUtil.h"

#include "platform/NumberedError.h"

#include <cctype>

namespace qv {

ConnectionString ConnectionString::parse(std::string_view text) {
    ConnectionString cs;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        auto eq = text.find('=', i);
        auto semi = text.find(';', i);
        if (eq == std::string_view::npos || (semi != std::string_view::npos && semi < eq)) {
            // A fragment without '=' carries no key: skip it.
            if (semi == std::string_view::npos) break;
            i = semi + 1;
            continue;
        }
        std::string key = TextUtil::lowerAscii(TextUtil::trim(text.substr(i, eq - i)));
        std::size_t j = eq + 1;
        while (j < n && std::isspace(static_cast<unsigned char>(text[j])))
            ++j;
        std::string value;
        if (j < n && text[j] == '{') {
            ++j;
            bool closed = false;
            while (j < n) {
                if (text[j] == '}') {
                    if (j + 1 < n && text[j + 1] == '}') {
                        value += '}';
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                value += text[j++];
            }
            if (!closed) {
                throw NumberedError(err::AdoOpenRefused, "ADODB.Connection",
                                    "The connection string has a braced value without its closing brace.");
            }
            // Anything up to the separator after the closing brace is ignored.
            auto next = text.find(';', j);
            i = next == std::string_view::npos ? n : next + 1;
        } else {
            auto next = text.find(';', j);
            std::size_t end = next == std::string_view::npos ? n : next;
            value = std::string(TextUtil::trim(text.substr(j, end - j)));
            i = end == n ? n : end + 1;
        }
        if (!key.empty()) cs.mValues.emplace(std::move(key), std::move(value));
    }
    return cs;
}

std::string ConnectionString::quote(std::string_view value) {
    bool needs =
        value.find_first_of(";{}") != std::string_view::npos || TextUtil::trim(value).size() != value.size();
    if (!needs) return std::string(value);
    std::string out = "{";
    for (char c : value) {
        out += c;
        if (c == '}') out += '}';
    }
    out += '}';
    return out;
}

std::string ConnectionString::value(std::string_view key) const {
    auto it = mValues.find(TextUtil::lowerAscii(key));
    return it == mValues.end() ? std::string() : it->second;
}

bool ConnectionString::has(std::string_view key) const {
    return mValues.count(TextUtil::lowerAscii(key)) != 0;
}

} // namespace qv
