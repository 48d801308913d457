#include "platform/OleDateTime.h"

#include <cmath>
#include <cstdio>
#include <fmt/format.h>

namespace qv {

namespace {
// Days from the civil calendar (proleptic Gregorian), after H. Hinnant's algorithm.
long long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long yy = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

const long long kEpoch = daysFromCivil(1899, 12, 30);
} // namespace

bool OleDateTime::isValidDate(int year, int month, int day) {
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    static const int dim[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int max = month == 2 && leap ? 29 : dim[month - 1];
    return day <= max;
}

double OleDateTime::fromParts(const DateTimeParts& p) {
    const double days = static_cast<double>(daysFromCivil(p.year, p.month, p.day) - kEpoch);
    const double frac = (p.hour * 3600.0 + p.minute * 60.0 + p.second) / 86400.0;
    return days >= 0 ? days + frac : days - frac;
}

DateTimeParts OleDateTime::toParts(double ole) {
    DateTimeParts p;
    double whole = std::trunc(ole);
    double frac = std::fabs(ole - whole);
    long long secs = std::llround(frac * 86400.0);
    if (secs >= 86400) { // rounding carried into the next day
        secs -= 86400;
        // The next calendar day also before the epoch: there the whole part counts days
        // backwards but the time runs forwards from it, so -1.9999999 is 30 December 1899.
        whole += 1;
    }
    civilFromDays(static_cast<long long>(whole) + kEpoch, p.year, p.month, p.day);
    p.hour = static_cast<int>(secs / 3600);
    p.minute = static_cast<int>(secs / 60 % 60);
    p.second = static_cast<int>(secs % 60);
    return p;
}

int OleDateTime::weekday(double ole) {
    const long long days = static_cast<long long>(std::floor(ole));
    // 30 Dec 1899 was a Saturday (7).
    long long w = (days + 6) % 7;
    if (w < 0) w += 7;
    return static_cast<int>(w) + 1;
}

std::optional<double> OleDateTime::parse(std::string_view text) {
    std::string s(text);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
    std::size_t lead = 0;
    while (lead < s.size() && std::isspace(static_cast<unsigned char>(s[lead])))
        ++lead;
    s.erase(0, lead);
    if (s.empty()) return std::nullopt;

    DateTimeParts p;
    int n = 0, a = 0, b = 0, c = 0, h = 0, mi = 0, se = 0;
    char sep = 0;
    bool haveDate = false, haveTime = false;
    // ISO date with optional time.
    if (std::sscanf(s.c_str(), "%4d-%2d-%2d%n", &a, &b, &c, &n) == 3) {
        p.year = a, p.month = b, p.day = c;
        haveDate = true;
    } else if (std::sscanf(s.c_str(), "%2d/%2d/%4d%n", &a, &b, &c, &n) == 3) {
        p.year = c, p.month = a, p.day = b;
        haveDate = true;
    }
    std::string rest = haveDate ? s.substr(static_cast<std::size_t>(n)) : s;
    if (!rest.empty() && (rest[0] == 'T' || rest[0] == ' ')) rest.erase(0, 1);
    if (!rest.empty()) {
        int m = 0;
        const int got = std::sscanf(rest.c_str(), "%2d:%2d%n:%2d%n", &h, &mi, &m, &se, &m);
        if (got < 2 || static_cast<std::size_t>(m) != rest.size()) {
            // Allow a fractional-seconds tail such as "12:00:00.000".
            int m2 = 0;
            double fs = 0;
            if (std::sscanf(rest.c_str(), "%2d:%2d:%lf%n", &h, &mi, &fs, &m2) == 3 &&
                static_cast<std::size_t>(m2) == rest.size() && fs >= 0 && fs < 60) {
                se = static_cast<int>(fs);
            } else {
                return std::nullopt;
            }
        }
        if (got == 2) se = 0;
        if (h < 0 || h > 23 || mi < 0 || mi > 59 || se < 0 || se > 59) return std::nullopt;
        p.hour = h, p.minute = mi, p.second = se;
        haveTime = true;
    }
    (void)sep;
    if (haveDate && !isValidDate(p.year, p.month, p.day)) return std::nullopt;
    if (!haveDate && !haveTime) return std::nullopt;
    if (!haveDate) return (h * 3600.0 + mi * 60.0 + se) / 86400.0;
    return fromParts(p);
}

std::string OleDateTime::toIsoText(double ole) {
    const DateTimeParts p = toParts(ole);
    const bool hasTime = p.hour || p.minute || p.second;
    if (std::trunc(ole) == 0 && hasTime) return fmt::format("{:02}:{:02}:{:02}", p.hour, p.minute, p.second);
    if (!hasTime) return fmt::format("{:04}-{:02}-{:02}", p.year, p.month, p.day);
    return fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02}", p.year, p.month, p.day, p.hour, p.minute,
                       p.second);
}

bool OleDateTime::isInDateRange(double ole) {
    // The coarse bound first: the calendar arithmetic below is only defined for finite values
    // within a long long of days.
    if (!std::isfinite(ole) || ole < -657436.0 || ole > 2958467.0) return false;
    const int year = toParts(ole).year;
    return year >= 100 && year <= 9999;
}

} // namespace qv
