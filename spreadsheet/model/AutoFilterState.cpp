// Comparisons follow the host: numbers compare as numbers when both sides are numbers, text
// compares case-insensitively on the displayed text, and '*' / '?' are wildcards in equality
// tests only.
#include "spreadsheet/model/AutoFilterState.h"

#include "platform/OleDateTime.h"
#include "platform/TextUtil.h"
#include "platform/host/HostConstants.h"

#include <charconv>

namespace qv::sheet {

namespace {

bool wildMatch(std::string_view pat, std::string_view text) {
    std::size_t p = 0, t = 0, star = std::string_view::npos, mark = 0;
    while (t < text.size()) {
        if (p < pat.size() && pat[p] == '~' && p + 1 < pat.size() && pat[p + 1] == text[t]) {
            p += 2;
            ++t;
        } else if (p < pat.size() && (pat[p] == '?' || pat[p] == text[t])) {
            ++p;
            ++t;
        } else if (p < pat.size() && pat[p] == '*') {
            star = p++;
            mark = t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++mark;
        } else {
            return false;
        }
    }
    while (p < pat.size() && pat[p] == '*')
        ++p;
    return p == pat.size();
}

std::optional<double> numberOf(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    if (s.empty()) return std::nullopt;
    double d = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), d);
    if (r.ec == std::errc() && r.ptr == s.data() + s.size()) return d;
    if (auto date = OleDateTime::parse(s)) return *date;
    return std::nullopt;
}

bool matchOne(std::string_view criterion, const Variant& value, const std::string& text) {
    std::string_view op = "=";
    for (std::string_view candidate : {"<>", ">=", "<=", "=", ">", "<"})
        if (criterion.substr(0, candidate.size()) == candidate) {
            op = candidate;
            criterion.remove_prefix(candidate.size());
            break;
        }
    const bool blank = value.isEmpty() || (value.isString() && value.str().empty());
    if (criterion.empty()) {
        if (op == "=") return blank;
        if (op == "<>") return !blank;
    }
    const bool cellIsNumber = value.isNumber() || value.isDate();
    auto critNumber = numberOf(criterion);
    if (op == "=" || op == "<>") {
        bool equal;
        if (cellIsNumber && critNumber && criterion.find_first_of("*?") == std::string_view::npos)
            equal = value.toDouble() == *critNumber ||
                    TextUtil::lowerAscii(text) == TextUtil::lowerAscii(criterion);
        else
            equal = wildMatch(TextUtil::lowerAscii(criterion), TextUtil::lowerAscii(text));
        return op == "=" ? equal : !equal;
    }
    if (blank) return false;
    int cmp;
    if (cellIsNumber && critNumber) {
        double a = value.toDouble();
        cmp = a < *critNumber ? -1 : a > *critNumber ? 1 : 0;
    } else if (cellIsNumber != static_cast<bool>(critNumber)) {
        return false; // numbers and texts are never ordered against each other
    } else {
        std::string a = TextUtil::lowerAscii(text), b = TextUtil::lowerAscii(criterion);
        cmp = a < b ? -1 : a > b ? 1 : 0;
    }
    if (op == ">") return cmp > 0;
    if (op == "<") return cmp < 0;
    if (op == ">=") return cmp >= 0;
    return cmp <= 0;
}

} // namespace

bool AutoFilterState::anyOn() const {
    for (const auto& f : mFilters)
        if (f.on) return true;
    return false;
}

bool AutoFilterState::matches(const FilterState& f, const Variant& value, const std::string& text) {
    if (!f.on) return true;
    if (f.op == xl::FilterValues) {
        std::string_view list = f.criteria1;
        while (true) {
            auto nl = list.find('\n');
            std::string_view item = list.substr(0, nl);
            if (!item.empty() && item.front() == '=') item.remove_prefix(1);
            if (TextUtil::lowerAscii(item) == TextUtil::lowerAscii(text)) return true;
            if (nl == std::string_view::npos) return false;
            list.remove_prefix(nl + 1);
        }
    }
    bool first = matchOne(f.criteria1, value, text);
    if (f.criteria2.empty() || (f.op != xl::FilterAnd && f.op != xl::FilterOr)) return first;
    bool second = matchOne(f.criteria2, value, text);
    return f.op == xl::FilterOr ? (first || second) : (first && second);
}

} // namespace qv::sheet
