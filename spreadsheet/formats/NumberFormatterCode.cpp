// The format grammar. Tokenising and classifying are separate passes because the meaning of
// some codes depends on their neighbours: "m" is a minute only next to hours or seconds, a
// comma groups thousands between placeholders but scales by 1000 after the last one.
#include "spreadsheet/formats/NumberFormatterCode.h"

#include "platform/TextUtil.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>

namespace qv::sheet {

namespace {
// Past the character that follows s[pos] ("_x" and "*x" name one character of any length).
std::size_t skipCharacterAfter(const std::string& s, std::size_t pos) {
    return pos + 1 < s.size() ? pos + 1 + Utf8::decode(s, pos + 1).length : s.size();
}

bool startsWithNoCase(const std::string& s, std::size_t pos, std::string_view word) {
    return s.size() - pos >= word.size() &&
           TextUtil::equalsIgnoreCase(std::string_view(s).substr(pos, word.size()), word);
}

bool isDateKind(FormatTokenKind k) {
    return k >= FormatTokenKind::Year2 && k <= FormatTokenKind::AmPm;
}

void addLiteral(std::vector<FormatToken>& tokens, std::string_view text) {
    if (!tokens.empty() && tokens.back().kind == FormatTokenKind::Literal)
        tokens.back().text.append(text);
    else
        tokens.push_back({FormatTokenKind::Literal, std::string(text), 0});
}

bool isColorName(const std::string& inner) {
    static const char* names[] = {"black", "blue", "cyan", "green", "magenta", "red", "white", "yellow"};
    const std::string l = TextUtil::lowerAscii(inner);
    if (std::find_if(std::begin(names), std::end(names), [&](const char* n) { return l == n; }) !=
        std::end(names))
        return true;
    return l.size() > 5 && l.compare(0, 5, "color") == 0 && std::all_of(l.begin() + 5, l.end(), [](char c) {
               return std::isdigit(static_cast<unsigned char>(c));
           });
}

std::optional<FormatCondition> parseCondition(const std::string& inner) {
    FormatCondition c;
    std::size_t n = 0;
    if (inner.rfind("<=", 0) == 0) {
        c.op = FormatCondition::Op::LessEqual;
        n = 2;
    } else if (inner.rfind(">=", 0) == 0) {
        c.op = FormatCondition::Op::GreaterEqual;
        n = 2;
    } else if (inner.rfind("<>", 0) == 0) {
        c.op = FormatCondition::Op::NotEqual;
        n = 2;
    } else if (inner[0] == '<') {
        c.op = FormatCondition::Op::Less;
        n = 1;
    } else if (inner[0] == '>') {
        c.op = FormatCondition::Op::Greater;
        n = 1;
    } else if (inner[0] == '=') {
        c.op = FormatCondition::Op::Equal;
        n = 1;
    } else
        return std::nullopt;
    const std::string num = inner.substr(n);
    char* end = nullptr;
    c.value = std::strtod(num.c_str(), &end);
    if (num.empty() || end != num.c_str() + num.size()) return std::nullopt;
    return c;
}

// "[$€-413]": the symbol is shown, the language code picks month and day names.
void parseLocaleTag(const std::string& inner, FormatSection& section) {
    const auto dash = inner.find('-', 1);
    const std::string symbol = inner.substr(1, dash == std::string::npos ? std::string::npos : dash - 1);
    if (!symbol.empty()) addLiteral(section.tokens, symbol);
    if (dash == std::string::npos) return;
    unsigned long lcid = 0;
    const std::string hex = inner.substr(dash + 1);
    auto [p, ec] = std::from_chars(hex.data(), hex.data() + hex.size(), lcid, 16);
    if (ec != std::errc()) return;
    const unsigned long language = lcid & 0x3FF;
    if (language == 0x13)
        section.language = FormatLanguage::Dutch;
    else if (language == 0x09)
        section.language = FormatLanguage::English;
}

void parseBracket(const std::string& inner, FormatSection& section) {
    if (inner.empty()) return;
    if (inner[0] == '$') return parseLocaleTag(inner, section);
    if (isColorName(inner)) {
        section.color = inner;
        return;
    }
    if (auto c = parseCondition(inner)) {
        section.condition = c;
        return;
    }
    const char first = TextUtil::lowerAscii(inner[0]);
    const bool same =
        std::all_of(inner.begin(), inner.end(), [&](char c) { return TextUtil::lowerAscii(c) == first; });
    if (same && (first == 'h' || first == 'm' || first == 's')) {
        const auto kind = first == 'h'   ? FormatTokenKind::ElapsedHours
                          : first == 'm' ? FormatTokenKind::ElapsedMinutes
                                         : FormatTokenKind::ElapsedSeconds;
        section.tokens.push_back({kind, {}, static_cast<int>(inner.size())});
    }
    // Anything else ([DBNum1], calendars) changes nothing we render.
}

std::size_t runLength(const std::string& s, std::size_t pos) {
    std::size_t n = 1;
    while (pos + n < s.size() && TextUtil::lowerAscii(s[pos + n]) == TextUtil::lowerAscii(s[pos]))
        ++n;
    return n;
}

void tokenize(const std::string& s, std::size_t& pos, FormatSection& section) {
    auto& t = section.tokens;
    while (pos < s.size()) {
        const char c = s[pos];
        const char lc = TextUtil::lowerAscii(c);
        if (c == ';') {
            ++pos;
            return;
        }
        if (c == '"') {
            const auto close = s.find('"', pos + 1);
            const auto end = close == std::string::npos ? s.size() : close;
            addLiteral(t, std::string_view(s).substr(pos + 1, end - pos - 1));
            pos = end == s.size() ? end : end + 1;
        } else if (c == '\\') {
            if (pos + 1 < s.size()) {
                // Keep multi-byte characters whole.
                const std::size_t n = Utf8::decode(s, pos + 1).length;
                addLiteral(t, std::string_view(s).substr(pos + 1, n));
                pos += 1 + n;
            } else {
                ++pos;
            }
        } else if (c == '_') {
            addLiteral(t, " ");
            pos = skipCharacterAfter(s, pos);
        } else if (c == '*') {
            // Fill to the column width: a plain text rendering has no width to fill.
            pos = skipCharacterAfter(s, pos);
        } else if (c == '[') {
            const auto close = s.find(']', pos);
            const auto end = close == std::string::npos ? s.size() : close;
            parseBracket(s.substr(pos + 1, end - pos - 1), section);
            pos = end == s.size() ? end : end + 1;
        } else if (startsWithNoCase(s, pos, "general")) {
            t.push_back({FormatTokenKind::General, {}, 0});
            pos += 7;
        } else if (c == '0' || c == '#' || c == '?') {
            t.push_back({FormatTokenKind::Digit, std::string(1, c), 0});
            ++pos;
        } else if (c == '.') {
            const bool afterSeconds = !t.empty() && (t.back().kind == FormatTokenKind::Second ||
                                                     t.back().kind == FormatTokenKind::Second2 ||
                                                     t.back().kind == FormatTokenKind::ElapsedSeconds);
            if (afterSeconds && pos + 1 < s.size() && s[pos + 1] == '0') {
                std::size_t n = 0;
                while (pos + 1 + n < s.size() && s[pos + 1 + n] == '0')
                    ++n;
                t.push_back(
                    {FormatTokenKind::FractionSecond, {}, static_cast<int>(std::min<std::size_t>(n, 3))});
                pos += 1 + n;
            } else {
                t.push_back({FormatTokenKind::DecimalPoint, ".", 0});
                ++pos;
            }
        } else if (c == ',') {
            t.push_back({FormatTokenKind::Thousands, ",", 0});
            ++pos;
        } else if (c == '%') {
            t.push_back({FormatTokenKind::Percent, "%", 0});
            ++pos;
        } else if (c == '@') {
            t.push_back({FormatTokenKind::TextValue, {}, 0});
            ++pos;
        } else if (c == '/') {
            t.push_back({FormatTokenKind::DateSeparator, "/", 0});
            ++pos;
        } else if ((c == 'E' || c == 'e') && pos + 1 < s.size() && (s[pos + 1] == '+' || s[pos + 1] == '-')) {
            t.push_back({FormatTokenKind::Exponent, std::string(1, s[pos + 1]), 0});
            pos += 2;
        } else if (startsWithNoCase(s, pos, "am/pm")) {
            t.push_back({FormatTokenKind::AmPm, s.substr(pos, 5), 0});
            pos += 5;
        } else if (startsWithNoCase(s, pos, "a/p")) {
            t.push_back({FormatTokenKind::AmPm, s.substr(pos, 3), 0});
            pos += 3;
        } else if (lc == 'y' || lc == 'm' || lc == 'd' || lc == 'h' || lc == 's') {
            const std::size_t n = runLength(s, pos);
            FormatTokenKind k{};
            switch (lc) {
            case 'y':
                k = n <= 2 ? FormatTokenKind::Year2 : FormatTokenKind::Year4;
                break;
            case 'm':
                k = n == 1   ? FormatTokenKind::Month
                    : n == 2 ? FormatTokenKind::Month2
                    : n == 3 ? FormatTokenKind::MonthAbbr
                    : n == 4 ? FormatTokenKind::MonthName
                             : FormatTokenKind::MonthLetter;
                break;
            case 'd':
                k = n == 1   ? FormatTokenKind::Day
                    : n == 2 ? FormatTokenKind::Day2
                    : n == 3 ? FormatTokenKind::DayAbbr
                             : FormatTokenKind::DayName;
                break;
            case 'h':
                k = n == 1 ? FormatTokenKind::Hour : FormatTokenKind::Hour2;
                break;
            default:
                k = n == 1 ? FormatTokenKind::Second : FormatTokenKind::Second2;
                break;
            }
            t.push_back({k, {}, 0});
            pos += n;
        } else {
            const std::size_t n = Utf8::decode(s, pos).length;
            addLiteral(t, std::string_view(s).substr(pos, n));
            pos += n;
        }
    }
}

// The token before or after i that is not a literal.
const FormatToken* neighbour(const std::vector<FormatToken>& t, std::size_t i, int step) {
    for (long j = static_cast<long>(i) + step; j >= 0 && j < static_cast<long>(t.size()); j += step) {
        const auto k = t[static_cast<std::size_t>(j)].kind;
        if (k != FormatTokenKind::Literal && k != FormatTokenKind::DateSeparator)
            return &t[static_cast<std::size_t>(j)];
    }
    return nullptr;
}

void classify(FormatSection& sec) {
    auto& t = sec.tokens;
    bool date = false, digits = false, general = false, text = false;
    for (const auto& tok : t) {
        date = date || isDateKind(tok.kind) || tok.kind == FormatTokenKind::FractionSecond;
        digits = digits || tok.kind == FormatTokenKind::Digit;
        general = general || tok.kind == FormatTokenKind::General;
        text = text || tok.kind == FormatTokenKind::TextValue;
    }
    if (date) {
        sec.kind = FormatSectionKind::Date;
        for (std::size_t i = 0; i < t.size(); ++i) {
            auto& tok = t[i];
            if (tok.kind == FormatTokenKind::AmPm) sec.twelveHour = true;
            if (tok.kind == FormatTokenKind::FractionSecond)
                sec.fractionSecondDigits = std::max(sec.fractionSecondDigits, tok.width);
            if (tok.kind == FormatTokenKind::DecimalPoint || tok.kind == FormatTokenKind::Thousands ||
                tok.kind == FormatTokenKind::Percent || tok.kind == FormatTokenKind::Digit) {
                tok.kind = FormatTokenKind::Literal;
            }
            if (tok.kind != FormatTokenKind::Month && tok.kind != FormatTokenKind::Month2) continue;
            const FormatToken* before = neighbour(t, i, -1);
            const FormatToken* after = neighbour(t, i, +1);
            const bool minute =
                (before && (before->kind == FormatTokenKind::Hour || before->kind == FormatTokenKind::Hour2 ||
                            before->kind == FormatTokenKind::ElapsedHours)) ||
                (after &&
                 (after->kind == FormatTokenKind::Second || after->kind == FormatTokenKind::Second2 ||
                  after->kind == FormatTokenKind::ElapsedSeconds));
            if (minute)
                tok.kind =
                    tok.kind == FormatTokenKind::Month ? FormatTokenKind::Minute : FormatTokenKind::Minute2;
        }
        return;
    }
    if (!digits && general) {
        sec.kind = FormatSectionKind::General;
    } else if (!digits && text) {
        sec.kind = FormatSectionKind::Text;
    } else {
        sec.kind = FormatSectionKind::Number;
    }
    // Number layout; commas decide between grouping and scaling by what follows them.
    bool seenPoint = false, seenExponent = false, seenDigit = false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        auto& tok = t[i];
        switch (tok.kind) {
        case FormatTokenKind::Digit:
            seenDigit = true;
            if (seenExponent) break;
            if (seenPoint)
                ++sec.decimalDigits;
            else
                ++sec.integerDigits;
            if (!seenPoint && tok.text == "#") sec.engineering = true;
            break;
        case FormatTokenKind::DecimalPoint:
            if (seenPoint || seenExponent || !digits)
                tok.kind = FormatTokenKind::Literal;
            else
                seenPoint = sec.hasDecimalPoint = true;
            break;
        case FormatTokenKind::Thousands: {
            std::size_t j = i;
            while (j < t.size() && t[j].kind == FormatTokenKind::Thousands)
                ++j;
            const bool digitAfter = j < t.size() && t[j].kind == FormatTokenKind::Digit;
            if (!seenDigit || seenExponent) {
                for (std::size_t k = i; k < j; ++k)
                    t[k].kind = FormatTokenKind::Literal;
            } else if (digitAfter && !seenPoint) {
                sec.grouping = true;
                for (std::size_t k = i; k < j; ++k)
                    t[k].text.clear();
            } else if (!digitAfter) {
                sec.scale += static_cast<int>(j - i);
                for (std::size_t k = i; k < j; ++k)
                    t[k].text.clear();
            } else {
                for (std::size_t k = i; k < j; ++k)
                    t[k].kind = FormatTokenKind::Literal;
            }
            i = j - 1;
            break;
        }
        case FormatTokenKind::Percent:
            ++sec.percents;
            break;
        case FormatTokenKind::Exponent:
            if (!seenDigit || seenExponent)
                tok.kind = FormatTokenKind::Literal, tok.text = "E" + tok.text;
            else
                seenExponent = sec.scientific = true;
            break;
        case FormatTokenKind::DateSeparator:
            tok.kind = FormatTokenKind::Literal;
            break;
        default:
            break;
        }
    }
    sec.engineering = sec.scientific && sec.engineering && sec.integerDigits > 1;
}

} // namespace

bool FormatCondition::holds(double v) const {
    switch (op) {
    case Op::Less:
        return v < value;
    case Op::LessEqual:
        return v <= value;
    case Op::Greater:
        return v > value;
    case Op::GreaterEqual:
        return v >= value;
    case Op::Equal:
        return v == value;
    case Op::NotEqual:
        return v != value;
    }
    return false;
}

NumberFormatterCode NumberFormatterCode::parse(const std::string& format) {
    NumberFormatterCode code;
    std::size_t pos = 0;
    do {
        FormatSection section;
        tokenize(format, pos, section);
        classify(section);
        code.sections.push_back(std::move(section));
        // A trailing ';' opens an empty section ("0;" shows negatives as nothing).
        if (pos == format.size() && !format.empty() && format.back() == ';' && code.sections.size() < 4) {
            code.sections.emplace_back();
            code.sections.back().kind = FormatSectionKind::Number;
            break;
        }
    } while (pos < format.size() && code.sections.size() < 4);
    return code;
}

} // namespace qv::sheet
