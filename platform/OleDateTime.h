// Calendar arithmetic for OLE automation dates (days since 1899-12-30, time as the day
// fraction). Negative dates count the whole day backwards and the fraction forwards,
// exactly as the automation model does, so 30 Dec 1899 06:00 is 0.25 and 29 Dec 1899 06:00
// is -1.25.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qv {

struct DateTimeParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
    bool operator==(const DateTimeParts&) const = default;
};

class OleDateTime {
  public:
    static double fromParts(const DateTimeParts& p);
    static DateTimeParts toParts(double oleDate);
    // Day of week, 1 = Sunday.
    static int weekday(double oleDate);
    static bool isValidDate(int year, int month, int day);
    // "yyyy-mm-dd", "yyyy-mm-dd hh:mm[:ss]", "yyyy-mm-ddThh:mm:ss", "mm/dd/yyyy[ hh:mm[:ss]]", "hh:mm[:ss]".
    static std::optional<double> parse(std::string_view text);
    // "yyyy-mm-dd" for whole days, "hh:mm:ss" for times on day zero, both otherwise.
    static std::string toIsoText(double oleDate);
    // True for a finite value that lies, rounded to the second, between 1 January 100 and
    // 31 December 9999: the dates that have a four-digit year and may become date text.
    static bool isInDateRange(double oleDate);
};

} // namespace qv
