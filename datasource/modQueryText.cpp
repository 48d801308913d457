#include "datasource/modQueryText.h"

namespace qv {

namespace {

// The position just past a span that starts at `from` with `open` and ends with `close`; a
// doubled closing character inside stays part of the span. npos when the span never ends.
std::size_t spanEnd(const std::string& s, std::size_t from, char close, bool doubledCloses) {
    for (std::size_t i = from + 1; i < s.size(); ++i) {
        if (s[i] != close) continue;
        if (doubledCloses && i + 1 < s.size() && s[i + 1] == close) {
            ++i;
            continue;
        }
        return i + 1;
    }
    return std::string::npos;
}

} // namespace

std::string SingleQuotedLiterals(const std::string& sql) {
    std::string out;
    out.reserve(sql.size() + 8);
    std::size_t i = 0;
    auto copyThrough = [&](std::size_t end) {
        if (end == std::string::npos) end = sql.size();
        out.append(sql, i, end - i);
        i = end;
    };
    while (i < sql.size()) {
        const char c = sql[i];
        if (c == '[') {
            copyThrough(spanEnd(sql, i, ']', true));
        } else if (c == '`') {
            copyThrough(spanEnd(sql, i, '`', true));
        } else if (c == '\'') {
            copyThrough(spanEnd(sql, i, '\'', true));
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            const std::size_t eol = sql.find('\n', i);
            copyThrough(eol == std::string::npos ? eol : eol + 1);
        } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
            const std::size_t close = sql.find("*/", i + 2);
            copyThrough(close == std::string::npos ? close : close + 2);
        } else if (c == '"') {
            const std::size_t end = spanEnd(sql, i, '"', true);
            if (end == std::string::npos) {
                copyThrough(end);
                break;
            }
            out += '\'';
            for (std::size_t k = i + 1; k + 1 < end; ++k) {
                const char ch = sql[k];
                if (ch == '"') {
                    out += '"'; // a doubled double quote is one double quote of the value
                    ++k;
                } else if (ch == '\'') {
                    out += "''";
                } else {
                    out += ch;
                }
            }
            out += '\'';
            i = end;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

} // namespace qv
