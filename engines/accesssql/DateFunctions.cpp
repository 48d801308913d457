// The date functions over AccessDate; intervals are read from their Access codes ("yyyy", "q", ...).
#include "engines/accesssql/DateFunctions.h"

#include "engines/accesssql/AccessDate.h"
#include "engines/accesssql/Keyword.h"
#include "engines/accesssql/NumberText.h"
#include "engines/accesssql/SqlValue.h"

#include <array>
#include <cmath>
#include <ctime>

namespace qv::accesssql {

namespace {

enum class Interval { Year, Quarter, Month, DayOfYear, Day, Weekday, Week, Hour, Minute, Second, Invalid };

Interval intervalOf(sqlite3_value* v) {
    const std::string_view s = SqlValue::textView(v);
    static constexpr std::array<std::pair<std::string_view, Interval>, 10> names{{
        {"yyyy", Interval::Year},
        {"q", Interval::Quarter},
        {"m", Interval::Month},
        {"y", Interval::DayOfYear},
        {"d", Interval::Day},
        {"w", Interval::Weekday},
        {"ww", Interval::Week},
        {"h", Interval::Hour},
        {"n", Interval::Minute},
        {"s", Interval::Second},
    }};
    for (const auto& [name, interval] : names)
        if (Keyword::equalsNoCase(name, s)) return interval;
    return Interval::Invalid;
}

long long floorDiv(long long a, long long b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

Stamp now() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return Stamp{AccessDate::daysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
                 local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec};
}

// The first-day-of-week argument: 0 means the system's, which is Sunday here.
int firstDayArg(int argc, sqlite3_value** argv, int index) {
    if (argc <= index || SqlValue::isNull(argv[index])) return 1;
    const int f = SqlValue::api().value_int(argv[index]);
    return f >= 1 && f <= 7 ? f : 1;
}

// Weekday counted from the given first day of the week: 1..7.
int weekdayFrom(long long days, int firstDay) {
    return (AccessDate::weekday(days) - firstDay + 7) % 7 + 1;
}

int dayOfYear(long long days) {
    const CivilDate c = AccessDate::civil(days);
    return static_cast<int>(days - AccessDate::daysFromCivil(c.year, 1, 1)) + 1;
}

// Week of the year. firstWeek: 1 the week of 1 January, 2 the first week with four days,
// 3 the first full week.
int weekOfYear(long long days, int firstDay, int firstWeek) {
    int year = AccessDate::civil(days).year;
    auto weekOneStart = [&](int y) {
        const long long jan1 = AccessDate::daysFromCivil(y, 1, 1);
        const int offset = weekdayFrom(jan1, firstDay) - 1; // days since the week began
        if (firstWeek == 2) return offset <= 3 ? jan1 - offset : jan1 - offset + 7;
        if (firstWeek == 3) return offset == 0 ? jan1 : jan1 - offset + 7;
        return jan1 - offset;
    };
    long long start = weekOneStart(year);
    if (days < start) start = weekOneStart(--year);
    return static_cast<int>((days - start) / 7) + 1;
}

bool argsNull(int argc, sqlite3_value** argv, int upTo) {
    for (int i = 0; i < argc && i < upTo; ++i)
        if (SqlValue::isNull(argv[i])) return true;
    return false;
}

// Applies fn to the date in argument 0, answering null for null and an error for non-dates.
template <typename Fn> void withDate(sqlite3_context* ctx, sqlite3_value* v, const char* name, Fn fn) {
    if (SqlValue::isNull(v)) {
        SqlValue::api().result_null(ctx);
        return;
    }
    const auto s = SqlValue::date(v);
    if (!s) {
        SqlValue::typeMismatch(ctx, name);
        return;
    }
    fn(*s);
}

void fnNow(sqlite3_context* ctx, int, sqlite3_value**) {
    SqlValue::resultDate(ctx, now());
}
void fnDate(sqlite3_context* ctx, int, sqlite3_value**) {
    SqlValue::resultDate(ctx, Stamp{now().days, 0});
}
void fnTime(sqlite3_context* ctx, int, sqlite3_value**) {
    SqlValue::resultDate(ctx, Stamp{0, now().seconds});
}

void fnYear(sqlite3_context* ctx, int, sqlite3_value** a) {
    withDate(ctx, a[0], "Year",
             [&](Stamp s) { SqlValue::api().result_int(ctx, AccessDate::civil(s.days).year); });
}
void fnMonth(sqlite3_context* ctx, int, sqlite3_value** a) {
    withDate(ctx, a[0], "Month",
             [&](Stamp s) { SqlValue::api().result_int(ctx, AccessDate::civil(s.days).month); });
}
void fnDay(sqlite3_context* ctx, int, sqlite3_value** a) {
    withDate(ctx, a[0], "Day",
             [&](Stamp s) { SqlValue::api().result_int(ctx, AccessDate::civil(s.days).day); });
}
void fnHour(sqlite3_context* ctx, int, sqlite3_value** a) {
    withDate(ctx, a[0], "Hour", [&](Stamp s) { SqlValue::api().result_int(ctx, s.seconds / 3600); });
}
void fnMinute(sqlite3_context* ctx, int, sqlite3_value** a) {
    withDate(ctx, a[0], "Minute", [&](Stamp s) { SqlValue::api().result_int(ctx, s.seconds / 60 % 60); });
}
void fnSecond(sqlite3_context* ctx, int, sqlite3_value** a) {
    withDate(ctx, a[0], "Second", [&](Stamp s) { SqlValue::api().result_int(ctx, s.seconds % 60); });
}
void fnWeekday(sqlite3_context* ctx, int argc, sqlite3_value** a) {
    const int first = firstDayArg(argc, a, 1);
    withDate(ctx, a[0], "Weekday",
             [&](Stamp s) { SqlValue::api().result_int(ctx, weekdayFrom(s.days, first)); });
}
void fnDateValue(sqlite3_context* ctx, int, sqlite3_value** a) {
    withDate(ctx, a[0], "DateValue", [&](Stamp s) { SqlValue::resultDate(ctx, Stamp{s.days, 0}); });
}
void fnTimeValue(sqlite3_context* ctx, int, sqlite3_value** a) {
    withDate(ctx, a[0], "TimeValue", [&](Stamp s) { SqlValue::resultDate(ctx, Stamp{0, s.seconds}); });
}
void fnCDate(sqlite3_context* ctx, int, sqlite3_value** a) {
    withDate(ctx, a[0], "CDate", [&](Stamp s) { SqlValue::resultDate(ctx, s); });
}

void fnDateAdd(sqlite3_context* ctx, int, sqlite3_value** a) {
    if (argsNull(3, a, 3)) {
        SqlValue::api().result_null(ctx);
        return;
    }
    const Interval interval = intervalOf(a[0]);
    const auto number = SqlValue::number(a[1]);
    if (interval == Interval::Invalid || !number) {
        SqlValue::error(ctx, "DateAdd", "Invalid procedure call or argument");
        return;
    }
    const long long n = static_cast<long long>(NumberText::round(*number, 0, Rounding::HalfEven));
    withDate(ctx, a[2], "DateAdd", [&](Stamp s) {
        switch (interval) {
        case Interval::Year:
            s = AccessDate::addMonths(s, n * 12);
            break;
        case Interval::Quarter:
            s = AccessDate::addMonths(s, n * 3);
            break;
        case Interval::Month:
            s = AccessDate::addMonths(s, n);
            break;
        case Interval::DayOfYear:
        case Interval::Day:
        case Interval::Weekday:
            s.days += n;
            break;
        case Interval::Week:
            s.days += n * 7;
            break;
        case Interval::Hour:
            s = AccessDate::addSeconds(s, n * 3600);
            break;
        case Interval::Minute:
            s = AccessDate::addSeconds(s, n * 60);
            break;
        case Interval::Second:
            s = AccessDate::addSeconds(s, n);
            break;
        case Interval::Invalid:
            break;
        }
        SqlValue::resultDate(ctx, s);
    });
}

void fnDateDiff(sqlite3_context* ctx, int argc, sqlite3_value** a) {
    if (argsNull(3, a, 3)) {
        SqlValue::api().result_null(ctx);
        return;
    }
    const Interval interval = intervalOf(a[0]);
    const auto d1 = SqlValue::date(a[1]);
    const auto d2 = SqlValue::date(a[2]);
    if (interval == Interval::Invalid) {
        SqlValue::error(ctx, "DateDiff", "Invalid procedure call or argument");
        return;
    }
    if (!d1 || !d2) {
        SqlValue::typeMismatch(ctx, "DateDiff");
        return;
    }
    const CivilDate c1 = AccessDate::civil(d1->days), c2 = AccessDate::civil(d2->days);
    const long long secs1 = d1->days * 86400 + d1->seconds, secs2 = d2->days * 86400 + d2->seconds;
    long long r = 0;
    // Calendar intervals count the boundaries crossed, not elapsed whole units.
    switch (interval) {
    case Interval::Year:
        r = c2.year - c1.year;
        break;
    case Interval::Quarter:
        r = (c2.year * 4LL + (c2.month - 1) / 3) - (c1.year * 4LL + (c1.month - 1) / 3);
        break;
    case Interval::Month:
        r = (c2.year * 12LL + c2.month) - (c1.year * 12LL + c1.month);
        break;
    case Interval::DayOfYear:
    case Interval::Day:
        r = d2->days - d1->days;
        break;
    case Interval::Weekday:
        r = (d2->days - d1->days) / 7;
        break;
    case Interval::Week: {
        const long long anchor = firstDayArg(argc, a, 3) % 7; // a day that starts a week
        r = floorDiv(d2->days - anchor, 7) - floorDiv(d1->days - anchor, 7);
        break;
    }
    case Interval::Hour:
        r = floorDiv(secs2, 3600) - floorDiv(secs1, 3600);
        break;
    case Interval::Minute:
        r = floorDiv(secs2, 60) - floorDiv(secs1, 60);
        break;
    case Interval::Second:
        r = secs2 - secs1;
        break;
    case Interval::Invalid:
        break;
    }
    SqlValue::api().result_int64(ctx, r);
}

void fnDatePart(sqlite3_context* ctx, int argc, sqlite3_value** a) {
    if (argsNull(2, a, 2)) {
        SqlValue::api().result_null(ctx);
        return;
    }
    const Interval interval = intervalOf(a[0]);
    if (interval == Interval::Invalid) {
        SqlValue::error(ctx, "DatePart", "Invalid procedure call or argument");
        return;
    }
    const int firstDay = firstDayArg(argc, a, 2);
    const int firstWeek = argc > 3 && !SqlValue::isNull(a[3]) ? SqlValue::api().value_int(a[3]) : 1;
    withDate(ctx, a[1], "DatePart", [&](Stamp s) {
        const CivilDate c = AccessDate::civil(s.days);
        int r = 0;
        switch (interval) {
        case Interval::Year:
            r = c.year;
            break;
        case Interval::Quarter:
            r = (c.month - 1) / 3 + 1;
            break;
        case Interval::Month:
            r = c.month;
            break;
        case Interval::DayOfYear:
            r = dayOfYear(s.days);
            break;
        case Interval::Day:
            r = c.day;
            break;
        case Interval::Weekday:
            r = weekdayFrom(s.days, firstDay);
            break;
        case Interval::Week:
            r = weekOfYear(s.days, firstDay, firstWeek >= 1 && firstWeek <= 3 ? firstWeek : 1);
            break;
        case Interval::Hour:
            r = s.seconds / 3600;
            break;
        case Interval::Minute:
            r = s.seconds / 60 % 60;
            break;
        case Interval::Second:
            r = s.seconds % 60;
            break;
        case Interval::Invalid:
            break;
        }
        SqlValue::api().result_int(ctx, r);
    });
}

bool wholeArgs(sqlite3_context* ctx, sqlite3_value** a, const char* name, long long (&out)[3]) {
    for (int i = 0; i < 3; ++i) {
        if (SqlValue::isNull(a[i])) {
            SqlValue::api().result_null(ctx);
            return false;
        }
        const auto n = SqlValue::number(a[i]);
        if (!n) {
            SqlValue::typeMismatch(ctx, name);
            return false;
        }
        out[i] = static_cast<long long>(NumberText::round(*n, 0, Rounding::HalfEven));
    }
    return true;
}

// DateSerial(2011, 14, 0) is 31 January 2012: months and days roll over.
void fnDateSerial(sqlite3_context* ctx, int, sqlite3_value** a) {
    long long v[3];
    if (!wholeArgs(ctx, a, "DateSerial", v)) return;
    long long year = v[0];
    if (year >= 0 && year < 30)
        year += 2000;
    else if (year >= 30 && year < 100)
        year += 1900;
    const long long months = year * 12 + (v[1] - 1);
    const long long y = floorDiv(months, 12);
    const int m = static_cast<int>(months - y * 12) + 1;
    if (y < 100 || y > 9999) {
        SqlValue::error(ctx, "DateSerial", "Invalid procedure call or argument");
        return;
    }
    SqlValue::resultDate(ctx, Stamp{AccessDate::daysFromCivil(static_cast<int>(y), m, 1) + v[2] - 1, 0});
}

void fnTimeSerial(sqlite3_context* ctx, int, sqlite3_value** a) {
    long long v[3];
    if (!wholeArgs(ctx, a, "TimeSerial", v)) return;
    SqlValue::resultDate(ctx, AccessDate::addSeconds(Stamp{0, 0}, v[0] * 3600 + v[1] * 60 + v[2]));
}

constexpr std::array<const char*, 12> kMonths{"January",   "February", "March",    "April",
                                              "May",       "June",     "July",     "August",
                                              "September", "October",  "November", "December"};
constexpr std::array<const char*, 7> kDays{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                           "Thursday", "Friday", "Saturday"};

void fnMonthName(sqlite3_context* ctx, int argc, sqlite3_value** a) {
    if (SqlValue::isNull(a[0])) return SqlValue::api().result_null(ctx);
    const int m = SqlValue::api().value_int(a[0]);
    if (m < 1 || m > 12) return SqlValue::error(ctx, "MonthName", "Invalid procedure call or argument");
    const std::string_view name = kMonths[static_cast<std::size_t>(m - 1)];
    const bool abbreviate = argc > 1 && SqlValue::api().value_int(a[1]) != 0;
    SqlValue::resultText(ctx, abbreviate ? name.substr(0, 3) : name);
}

void fnWeekdayName(sqlite3_context* ctx, int argc, sqlite3_value** a) {
    if (SqlValue::isNull(a[0])) return SqlValue::api().result_null(ctx);
    const int w = SqlValue::api().value_int(a[0]);
    if (w < 1 || w > 7) return SqlValue::error(ctx, "WeekdayName", "Invalid procedure call or argument");
    const int first = firstDayArg(argc, a, 2);
    const std::string_view name = kDays[static_cast<std::size_t>((w - 1 + first - 1) % 7)];
    const bool abbreviate = argc > 1 && SqlValue::api().value_int(a[1]) != 0;
    SqlValue::resultText(ctx, abbreviate ? name.substr(0, 3) : name);
}

// date + n: n days (fractions are times of day) added to whichever side is the date.
void fnDatePlus(sqlite3_context* ctx, int, sqlite3_value** a) {
    if (argsNull(2, a, 2)) return SqlValue::api().result_null(ctx);
    int dateArg = SqlValue::api().value_type(a[0]) == SQLITE_TEXT ? 0 : 1;
    const auto d = SqlValue::date(a[dateArg]);
    const auto n = SqlValue::number(a[1 - dateArg]);
    if (!d || !n) {
        const auto x = SqlValue::number(a[0]), y = SqlValue::number(a[1]);
        if (x && y) return SqlValue::resultNumber(ctx, *x + *y);
        return SqlValue::typeMismatch(ctx, "+");
    }
    SqlValue::resultDate(ctx, AccessDate::addSeconds(*d, std::llround(*n * 86400.0)));
}

// date - date is the number of days between; date - n is a date.
void fnDateMinus(sqlite3_context* ctx, int, sqlite3_value** a) {
    if (argsNull(2, a, 2)) return SqlValue::api().result_null(ctx);
    const auto d = SqlValue::date(a[0]);
    if (!d) return SqlValue::typeMismatch(ctx, "-");
    if (SqlValue::api().value_type(a[1]) == SQLITE_TEXT) {
        if (const auto other = SqlValue::date(a[1])) {
            const long long secs = (d->days - other->days) * 86400 + (d->seconds - other->seconds);
            return SqlValue::api().result_double(ctx, static_cast<double>(secs) / 86400.0);
        }
    }
    const auto n = SqlValue::number(a[1]);
    if (!n) return SqlValue::typeMismatch(ctx, "-");
    SqlValue::resultDate(ctx, AccessDate::addSeconds(*d, -std::llround(*n * 86400.0)));
}

} // namespace

void DateFunctions::registerOn(SqliteRef db) {
    // Only the argument-less Date() and Time() are taken over; SQLite's date('now', ...) stays.
    SqlValue::define(db, "Now", 0, fnNow, false);
    SqlValue::define(db, "Date", 0, fnDate, false);
    SqlValue::define(db, "Time", 0, fnTime, false);
    SqlValue::define(db, "Year", 1, fnYear);
    SqlValue::define(db, "Month", 1, fnMonth);
    SqlValue::define(db, "Day", 1, fnDay);
    SqlValue::define(db, "Hour", 1, fnHour);
    SqlValue::define(db, "Minute", 1, fnMinute);
    SqlValue::define(db, "Second", 1, fnSecond);
    SqlValue::define(db, "Weekday", 1, fnWeekday);
    SqlValue::define(db, "Weekday", 2, fnWeekday);
    SqlValue::define(db, "DateValue", 1, fnDateValue);
    SqlValue::define(db, "TimeValue", 1, fnTimeValue);
    SqlValue::define(db, "CDate", 1, fnCDate);
    SqlValue::define(db, "CVDate", 1, fnCDate);
    SqlValue::define(db, "DateAdd", 3, fnDateAdd);
    for (int n = 3; n <= 5; ++n)
        SqlValue::define(db, "DateDiff", n, fnDateDiff);
    for (int n = 2; n <= 4; ++n)
        SqlValue::define(db, "DatePart", n, fnDatePart);
    SqlValue::define(db, "DateSerial", 3, fnDateSerial);
    SqlValue::define(db, "TimeSerial", 3, fnTimeSerial);
    SqlValue::define(db, "MonthName", 1, fnMonthName);
    SqlValue::define(db, "MonthName", 2, fnMonthName);
    for (int n = 1; n <= 3; ++n)
        SqlValue::define(db, "WeekdayName", n, fnWeekdayName);
    SqlValue::define(db, "qv_dateplus", 2, fnDatePlus);
    SqlValue::define(db, "qv_dateminus", 2, fnDateMinus);
}

} // namespace qv::accesssql
