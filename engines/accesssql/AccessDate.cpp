// Calendar arithmetic on whole days and seconds; see AccessDate.h for why dates are kept that way.
#include "engines/accesssql/AccessDate.h"

#include "platform/OleDateTime.h"

#include <cmath>
#include <fmt/format.h>

namespace qv::accesssql {

namespace {

constexpr int kSecondsPerDay = 86400;

// A tiny cursor over the text; the date grammar is small enough that a hand-written scanner is
// both faster and clearer than a general parser.
struct Cursor {
    std::string_view s;
    std::size_t i = 0;
    bool atEnd() const { return i >= s.size(); }
    char peek() const { return atEnd() ? '\0' : s[i]; }
    bool digit() const { return !atEnd() && s[i] >= '0' && s[i] <= '9'; }
    // Reads up to maxDigits digits; answers the digit count (0 when none).
    int number(int& value, int maxDigits) {
        value = 0;
        int n = 0;
        while (digit() && n < maxDigits) {
            value = value * 10 + (s[i] - '0');
            ++i;
            ++n;
        }
        return n;
    }
    void skipSpaces() {
        while (!atEnd() && (s[i] == ' ' || s[i] == '\t'))
            ++i;
    }
};

int pivotYear(int year, int digits) {
    if (digits > 2) return year;
    return year < 30 ? 2000 + year : 1900 + year; // the engine's two-digit-year window
}

bool readTime(Cursor& c, int& seconds) {
    int h = 0, mi = 0, se = 0;
    if (c.number(h, 2) == 0 || c.peek() != ':') return false;
    ++c.i;
    if (c.number(mi, 2) != 2) return false;
    if (c.peek() == ':') {
        ++c.i;
        if (c.number(se, 2) != 2) return false;
        if (c.peek() == '.') { // fractional seconds are dropped, as the engine stores whole seconds
            ++c.i;
            int ignored = 0;
            if (c.number(ignored, 9) == 0) return false;
        }
    }
    c.skipSpaces();
    if (!c.atEnd()) {
        const char m = static_cast<char>(c.peek() | 0x20);
        if (m != 'a' && m != 'p') return false;
        ++c.i;
        if (!c.atEnd() && (c.peek() | 0x20) == 'm') ++c.i;
        if (h < 1 || h > 12) return false;
        if (h == 12) h = 0;
        if (m == 'p') h += 12;
    }
    c.skipSpaces();
    if (!c.atEnd() || h > 23 || mi > 59 || se > 59) return false;
    seconds = h * 3600 + mi * 60 + se;
    return true;
}

} // namespace

std::optional<Stamp> AccessDate::parse(std::string_view text) {
    Cursor c{text};
    c.skipSpaces();
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    c.s = text;
    if (c.atEnd()) return std::nullopt;

    const std::size_t start = c.i;
    int a = 0;
    const int aDigits = c.number(a, 4);
    if (aDigits == 0) return std::nullopt;
    const char sep = c.peek();
    if (sep == ':') { // a time alone lies on day zero
        c.i = start;
        int seconds = 0;
        if (!readTime(c, seconds)) return std::nullopt;
        return Stamp{0, seconds};
    }
    if (sep != '/' && sep != '-') return std::nullopt;
    ++c.i;
    int b = 0, d = 0;
    if (c.number(b, 2) == 0 || c.peek() != sep) return std::nullopt;
    ++c.i;
    const int dDigits = c.number(d, 4);
    if (dDigits == 0) return std::nullopt;

    int year = 0, month = 0, day = 0;
    if (aDigits == 4) {
        year = a, month = b, day = d;
        if (dDigits > 2) return std::nullopt;
    } else {
        if (aDigits > 2) return std::nullopt;
        month = a, day = b, year = pivotYear(d, dDigits);
    }
    if (!OleDateTime::isValidDate(year, month, day)) return std::nullopt;
    Stamp s{daysFromCivil(year, month, day), 0};
    if (c.atEnd()) return s;
    if (c.peek() != ' ' && c.peek() != 'T') return std::nullopt;
    ++c.i;
    c.skipSpaces();
    if (!readTime(c, s.seconds)) return std::nullopt;
    return s;
}

long long AccessDate::daysFromCivil(int year, int month, int day) {
    // Whole days only: the automation date of midnight is an exact integer.
    return std::llround(OleDateTime::fromParts(DateTimeParts{year, month, 1, 0, 0, 0})) + (day - 1);
}

CivilDate AccessDate::civil(long long days) {
    const DateTimeParts p = OleDateTime::toParts(static_cast<double>(days));
    return CivilDate{p.year, p.month, p.day};
}

int AccessDate::weekday(long long days) {
    // 30 December 1899 was a Saturday (7).
    long long w = (days + 6) % 7;
    if (w < 0) w += 7;
    return static_cast<int>(w) + 1;
}

int AccessDate::daysInMonth(int year, int month) {
    static const int dim[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : dim[month - 1];
}

Stamp AccessDate::addMonths(const Stamp& s, long long months) {
    const CivilDate c = civil(s.days);
    long long total = static_cast<long long>(c.year) * 12 + (c.month - 1) + months;
    const int year = static_cast<int>(total >= 0 ? total / 12 : (total - 11) / 12);
    const int month = static_cast<int>(total - static_cast<long long>(year) * 12) + 1;
    const int day = std::min(c.day, daysInMonth(year, month));
    return Stamp{daysFromCivil(year, month, day), s.seconds};
}

Stamp AccessDate::addSeconds(const Stamp& s, long long seconds) {
    long long total = static_cast<long long>(s.seconds) + seconds;
    long long dayShift = total / kSecondsPerDay;
    long long rest = total % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --dayShift;
    }
    return Stamp{s.days + dayShift, static_cast<int>(rest)};
}

Stamp AccessDate::fromOle(double oleDate) {
    // Negative automation dates count the day backwards and the fraction forwards.
    const double whole = std::trunc(oleDate);
    long long secs = std::llround(std::fabs(oleDate - whole) * kSecondsPerDay);
    long long days = static_cast<long long>(whole);
    if (secs >= kSecondsPerDay) {
        secs -= kSecondsPerDay;
        days += oleDate >= 0 ? 1 : -1;
    }
    return Stamp{days, static_cast<int>(secs)};
}

double AccessDate::toOle(const Stamp& s) {
    const double frac = static_cast<double>(s.seconds) / kSecondsPerDay;
    return s.days >= 0 ? static_cast<double>(s.days) + frac : static_cast<double>(s.days) - frac;
}

std::string AccessDate::toText(const Stamp& s) {
    const CivilDate c = civil(s.days);
    return fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02}", c.year, c.month, c.day, s.seconds / 3600,
                       s.seconds / 60 % 60, s.seconds % 60);
}

} // namespace qv::accesssql
