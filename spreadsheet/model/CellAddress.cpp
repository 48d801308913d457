// Parsing and printing of cell references. The parsers accept exactly what the host accepts
// in code (absolute or relative A1 markers, whole rows and columns, comma-separated areas)
// and refuse anything outside the sheet's 1048576 rows and 16384 columns.
#include "spreadsheet/model/CellAddress.h"

#include <algorithm>
#include <cctype>

namespace qv::sheet {

std::optional<Rect> intersect(const Rect& a, const Rect& b) {
    Rect r{std::max(a.r1, b.r1), std::max(a.c1, b.c1), std::min(a.r2, b.r2), std::min(a.c2, b.c2)};
    if (r.r1 > r.r2 || r.c1 > r.c2) return std::nullopt;
    return r;
}

std::vector<Rect> subtract(const Rect& a, const Rect& b) {
    auto cut = intersect(a, b);
    if (!cut) return {a};
    std::vector<Rect> out;
    if (a.r1 < cut->r1) out.push_back({a.r1, a.c1, cut->r1 - 1, a.c2});
    if (cut->r2 < a.r2) out.push_back({cut->r2 + 1, a.c1, a.r2, a.c2});
    if (a.c1 < cut->c1) out.push_back({cut->r1, a.c1, cut->r2, cut->c1 - 1});
    if (cut->c2 < a.c2) out.push_back({cut->r1, cut->c2 + 1, cut->r2, a.c2});
    return out;
}

long CellAddress::columnNumber(std::string_view letters) {
    if (letters.empty() || letters.size() > 3) return 0;
    long n = 0;
    for (char ch : letters) {
        if (!std::isalpha(static_cast<unsigned char>(ch))) return 0;
        n = n * 26 + (std::toupper(static_cast<unsigned char>(ch)) - 'A' + 1);
    }
    return n <= MaxColumn ? n : 0;
}

std::string CellAddress::columnLetters(long column) {
    std::string s;
    while (column > 0) {
        long rem = (column - 1) % 26;
        s.insert(s.begin(), static_cast<char>('A' + rem));
        column = (column - 1) / 26;
    }
    return s;
}

namespace {

struct Part {
    long row = 0, col = 0; // 0 = not given
};

bool parseNumber(std::string_view s, long& out) {
    if (s.empty() || s.size() > 7) return false;
    long n = 0;
    for (char ch : s) {
        if (!std::isdigit(static_cast<unsigned char>(ch))) return false;
        n = n * 10 + (ch - '0');
    }
    out = n;
    return true;
}

// One side of an A1 reference: "$A$1", "A1", "A", "$3".
std::optional<Part> parseA1Part(std::string_view s) {
    Part p;
    std::size_t i = 0;
    if (i < s.size() && s[i] == '$') ++i;
    std::size_t letters = i;
    while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i])))
        ++i;
    if (i > letters) {
        p.col = CellAddress::columnNumber(s.substr(letters, i - letters));
        if (p.col == 0) return std::nullopt;
        if (i < s.size() && s[i] == '$') ++i;
    } else if (letters > 0 && i == letters) {
        // "$3": the dollar belonged to a row number
    }
    if (i < s.size()) {
        long r = 0;
        if (!parseNumber(s.substr(i), r) || r < 1 || r > MaxRow) return std::nullopt;
        p.row = r;
    }
    if (p.row == 0 && p.col == 0) return std::nullopt;
    return p;
}

std::string trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return std::string(s);
}

std::vector<std::string> splitTop(std::string_view text, char sep) {
    std::vector<std::string> out;
    std::string cur;
    bool quoted = false;
    for (char ch : text) {
        if (ch == '\'') quoted = !quoted;
        if (ch == sep && !quoted) {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += ch;
        }
    }
    out.push_back(cur);
    return out;
}

std::optional<Rect> combine(const Part& a, const Part& b, bool single) {
    Rect r;
    if (single) {
        if (a.row == 0 || a.col == 0) return std::nullopt;
        return Rect{a.row, a.col, a.row, a.col};
    }
    if (a.row && a.col && b.row && b.col) {
        r = {std::min(a.row, b.row), std::min(a.col, b.col), std::max(a.row, b.row), std::max(a.col, b.col)};
    } else if (!a.row && !b.row && a.col && b.col) {
        r = {1, std::min(a.col, b.col), MaxRow, std::max(a.col, b.col)};
    } else if (!a.col && !b.col && a.row && b.row) {
        r = {std::min(a.row, b.row), 1, std::max(a.row, b.row), MaxColumn};
    } else {
        return std::nullopt;
    }
    return r;
}

// "R1C1", "R2", "C3" (absolute only: relative forms need a base cell the callers never give).
std::optional<Part> parseR1C1Part(std::string_view s) {
    Part p;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == 'R' || s[i] == 'r')) {
        ++i;
        std::size_t start = i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            ++i;
        if (!parseNumber(s.substr(start, i - start), p.row) || p.row < 1 || p.row > MaxRow)
            return std::nullopt;
    }
    if (i < s.size() && (s[i] == 'C' || s[i] == 'c')) {
        ++i;
        std::size_t start = i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            ++i;
        if (!parseNumber(s.substr(start, i - start), p.col) || p.col < 1 || p.col > MaxColumn)
            return std::nullopt;
    }
    if (i != s.size() || (p.row == 0 && p.col == 0)) return std::nullopt;
    return p;
}

template <class PartParser>
std::optional<std::vector<Rect>> parseAreas(std::string_view text, PartParser parsePart, bool bareLines) {
    std::vector<Rect> areas;
    for (const std::string& rawArea : splitTop(text, ',')) {
        std::string area = trimmed(rawArea);
        if (area.empty()) return std::nullopt;
        auto colon = area.find(':');
        std::optional<Rect> rect;
        if (colon == std::string::npos) {
            auto p = parsePart(area);
            if (!p) return std::nullopt;
            if (p->row && p->col)
                rect = Rect{p->row, p->col, p->row, p->col};
            else if (bareLines)
                rect = combine(*p, *p, false);
        } else {
            auto a = parsePart(std::string_view(area).substr(0, colon));
            auto b = parsePart(std::string_view(area).substr(colon + 1));
            if (!a || !b) return std::nullopt;
            rect = combine(*a, *b, false);
        }
        if (!rect) return std::nullopt;
        areas.push_back(*rect);
    }
    return areas;
}

} // namespace

std::optional<std::vector<Rect>> CellAddress::parseA1(std::string_view text) {
    // A bare "A" or "3" is only a reference as part of "A:A" / "3:3".
    return parseAreas(text, parseA1Part, false);
}

std::optional<std::vector<Rect>> CellAddress::parseR1C1(std::string_view text) {
    return parseAreas(text, parseR1C1Part, true);
}

std::string CellAddress::formatA1(const Rect& r, bool rowAbsolute, bool columnAbsolute) {
    const char* rd = rowAbsolute ? "$" : "";
    const char* cd = columnAbsolute ? "$" : "";
    if (r.entireColumns()) return cd + columnLetters(r.c1) + ":" + cd + columnLetters(r.c2);
    if (r.entireRows()) return rd + std::to_string(r.r1) + ":" + rd + std::to_string(r.r2);
    std::string a = cd + columnLetters(r.c1) + rd + std::to_string(r.r1);
    if (r.r1 == r.r2 && r.c1 == r.c2) return a;
    return a + ":" + cd + columnLetters(r.c2) + rd + std::to_string(r.r2);
}

std::string CellAddress::formatR1C1(const Rect& r) {
    if (r.entireColumns())
        return r.c1 == r.c2 ? "C" + std::to_string(r.c1)
                            : "C" + std::to_string(r.c1) + ":C" + std::to_string(r.c2);
    if (r.entireRows())
        return r.r1 == r.r2 ? "R" + std::to_string(r.r1)
                            : "R" + std::to_string(r.r1) + ":R" + std::to_string(r.r2);
    std::string a = "R" + std::to_string(r.r1) + "C" + std::to_string(r.c1);
    if (r.r1 == r.r2 && r.c1 == r.c2) return a;
    return a + ":R" + std::to_string(r.r2) + "C" + std::to_string(r.c2);
}

std::string CellAddress::quoteSheet(const std::string& name) {
    bool plain = !name.empty() && !std::isdigit(static_cast<unsigned char>(name[0]));
    for (char ch : name)
        if (!(std::isalnum(static_cast<unsigned char>(ch)) || ch == '_' || ch == '.' ||
              static_cast<unsigned char>(ch) >= 0x80))
            plain = false;
    if (plain) return name;
    std::string out = "'";
    for (char ch : name) {
        if (ch == '\'') out += '\'';
        out += ch;
    }
    return out + "'";
}

std::optional<std::pair<std::string, std::string>> CellAddress::splitSheet(std::string_view text) {
    if (!text.empty() && text[0] == '\'') {
        std::string name;
        std::size_t i = 1;
        for (; i < text.size(); ++i) {
            if (text[i] == '\'') {
                if (i + 1 < text.size() && text[i + 1] == '\'') {
                    name += '\'';
                    ++i;
                    continue;
                }
                break;
            }
            name += text[i];
        }
        if (i + 1 >= text.size() || text[i] != '\'' || text[i + 1] != '!') return std::nullopt;
        return std::make_pair(name, std::string(text.substr(i + 2)));
    }
    auto bang = text.rfind('!');
    if (bang == std::string_view::npos) return std::make_pair(std::string(), std::string(text));
    return std::make_pair(std::string(text.substr(0, bang)), std::string(text.substr(bang + 1)));
}

} // namespace qv::sheet
