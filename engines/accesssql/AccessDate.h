// Dates as the Access dialect sees them, kept as whole days since 30 December 1899 plus the
// seconds of the day. Keeping the two apart (rather than the automation model's day fraction)
// makes DateAdd, DateDiff and the canonical text exact: no rounding of fractions ever moves a
// value across midnight.
//
// The storage form of a date in our SQLite databases is the text 'YYYY-MM-DD HH:MM:SS', always
// with the time, so that text comparison orders dates and a literal equals the stored value.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qv::accesssql {

struct Stamp {
    long long days = 0; // days since 1899-12-30
    int seconds = 0;    // 0..86399
    bool operator==(const Stamp&) const = default;
};

struct CivilDate {
    int year = 1899, month = 12, day = 30;
};

class AccessDate {
  public:
    // Text as written in a #...# literal or stored in a column: "MM/dd/yyyy", "M/d/yy",
    // "yyyy-mm-dd", "yyyy/mm/dd", each with an optional time "HH:nn[:ss][ AM|PM]", or a time
    // alone (which lies on 30 December 1899). Also "yyyy-mm-ddTHH:nn:ss" and fractional seconds.
    static std::optional<Stamp> parse(std::string_view text);

    static Stamp fromOle(double oleDate);
    static double toOle(const Stamp& s);

    // 'YYYY-MM-DD HH:MM:SS' without quotes.
    static std::string toText(const Stamp& s);

    static long long daysFromCivil(int year, int month, int day); // month 1..12, day may overflow
    static CivilDate civil(long long days);
    // 1 = Sunday.
    static int weekday(long long days);
    static int daysInMonth(int year, int month);
    // Adds whole months, clamping the day to the end of the target month (Jan 31 + 1 = Feb 28/29).
    static Stamp addMonths(const Stamp& s, long long months);
    // Adds seconds, carrying into days.
    static Stamp addSeconds(const Stamp& s, long long seconds);
};

} // namespace qv::accesssql
