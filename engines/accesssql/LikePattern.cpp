// LIKE patterns: compiled to a short element list, matched greedily with one backtrack point per star.
#include "engines/accesssql/LikePattern.h"

#include "engines/accesssql/Utf8.h"

#include <vector>

namespace qv::accesssql {

namespace {

enum class ElemKind { Star, Any, Digit, Literal, Class };

struct Range {
    char32_t lo, hi;
};

struct Elem {
    ElemKind kind = ElemKind::Literal;
    char32_t cp = 0;
    bool negated = false;
    std::vector<Range> ranges;
};

// Reads a [...] group starting after the '['. Answers false when there is no closing ']'
// (then the '[' is an ordinary character).
bool readClass(std::string_view p, std::size_t& i, Elem& e) {
    std::size_t k = i;
    e.kind = ElemKind::Class;
    if (k < p.size() && p[k] == '!') {
        e.negated = true;
        ++k;
    }
    while (k < p.size() && p[k] != ']') {
        const char32_t lo = Utf8::next(p, k);
        char32_t hi = lo;
        if (k + 1 < p.size() && p[k] == '-' && p[k + 1] != ']') {
            ++k;
            hi = Utf8::next(p, k);
        }
        // Both cases of the range take part: [a-c] also matches "B".
        const Range lowered{Utf8::toLower(lo), Utf8::toLower(hi)};
        const Range raised{Utf8::toUpper(lo), Utf8::toUpper(hi)};
        e.ranges.push_back(lowered);
        if (raised.lo != lowered.lo || raised.hi != lowered.hi) e.ranges.push_back(raised);
    }
    if (k >= p.size()) return false;
    i = k + 1;
    return true;
}

std::vector<Elem> compile(std::string_view p) {
    std::vector<Elem> out;
    for (std::size_t i = 0; i < p.size();) {
        Elem e;
        const char c = p[i];
        if (c == '*') {
            ++i;
            if (!out.empty() && out.back().kind == ElemKind::Star) continue;
            e.kind = ElemKind::Star;
        } else if (c == '?') {
            ++i;
            e.kind = ElemKind::Any;
        } else if (c == '#') {
            ++i;
            e.kind = ElemKind::Digit;
        } else if (c == '[') {
            std::size_t k = i + 1;
            if (readClass(p, k, e)) {
                i = k;
            } else {
                e = Elem{};
                e.cp = '[';
                ++i;
            }
        } else {
            e.cp = Utf8::toLower(Utf8::next(p, i));
        }
        out.push_back(std::move(e));
    }
    return out;
}

bool matchOne(const Elem& e, char32_t c) {
    switch (e.kind) {
    case ElemKind::Any:
        return true;
    case ElemKind::Digit:
        return c >= '0' && c <= '9';
    case ElemKind::Literal:
        return Utf8::toLower(c) == e.cp;
    case ElemKind::Class: {
        bool in = false;
        for (const Range& r : e.ranges)
            if (c >= r.lo && c <= r.hi) {
                in = true;
                break;
            }
        return in != e.negated;
    }
    case ElemKind::Star:
        return false;
    }
    return false;
}

} // namespace

std::optional<LikePattern::SqlitePattern> LikePattern::toSqlite(std::string_view p) {
    SqlitePattern out;
    out.pattern.reserve(p.size() + 4);
    for (std::size_t i = 0; i < p.size(); ++i) {
        const char c = p[i];
        if (static_cast<unsigned char>(c) >= 0x80) return std::nullopt;
        switch (c) {
        case '*':
            out.pattern.push_back('%');
            break;
        case '?':
            out.pattern.push_back('_');
            break;
        case '#':
            return std::nullopt;
        case '[': {
            // Only a class holding one plain character ([*], [?], [#], [[]) is a literal.
            if (i + 2 < p.size() && p[i + 2] == ']' && p[i + 1] != '!' &&
                static_cast<unsigned char>(p[i + 1]) < 0x80) {
                const char lit = p[i + 1];
                if (lit == '%' || lit == '_' || lit == '\\') {
                    out.pattern.push_back('\\');
                    out.needsEscape = true;
                }
                out.pattern.push_back(lit);
                i += 2;
                break;
            }
            if (p.find(']', i + 1) != std::string_view::npos) return std::nullopt;
            out.pattern.push_back('[');
            break;
        }
        case '%':
        case '_':
        case '\\':
            out.pattern.push_back('\\');
            out.pattern.push_back(c);
            out.needsEscape = true;
            break;
        default:
            out.pattern.push_back(c);
            break;
        }
    }
    return out;
}

bool LikePattern::match(std::string_view pattern, std::string_view text) {
    const std::vector<Elem> elems = compile(pattern);
    std::vector<char32_t> chars;
    chars.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
        chars.push_back(Utf8::next(text, i));

    // Greedy matching with one backtrack point per star: every other element takes exactly one
    // character, so retrying from the most recent star is enough.
    std::size_t e = 0, t = 0;
    std::size_t starElem = std::string::npos, starText = 0;
    while (t < chars.size()) {
        if (e < elems.size() && elems[e].kind == ElemKind::Star) {
            starElem = e++;
            starText = t;
        } else if (e < elems.size() && matchOne(elems[e], chars[t])) {
            ++e;
            ++t;
        } else if (starElem != std::string::npos) {
            e = starElem + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (e < elems.size() && elems[e].kind == ElemKind::Star)
        ++e;
    return e == elems.size();
}

} // namespace qv::accesssql
