// Format(value, format) for the cases queries use: the named formats ("Short Date", "Long
// Date", "General Date", "Long Time", "Short Time", "Medium Date", "Fixed", "Standard",
// "Percent", "Currency", "Scientific", "General Number", "Yes/No", "True/False", "On/Off") and
// custom date patterns (yyyy, mm, dd, mmm, dddd, hh, nn, ss, AM/PM, q, w, ww, y, quoted and
// back-slashed literals) and number patterns (0, #, thousands separators, %, E+00, sections
// separated by ";"). Names of months and days and the named formats follow English (United
// States) conventions: the engine has no regional settings of its own.
#pragma once

#include "engines/accesssql/AccessDate.h"

#include <string>
#include <string_view>

namespace qv::accesssql {

class AccessFormat {
  public:
    // True when the format is a date/time format (named or by its pattern letters).
    static bool isDateFormat(std::string_view format);
    static std::string formatDate(const Stamp& value, std::string_view format);
    static std::string formatNumber(double value, std::string_view format);
    // Text formats: ">" upper case, "<" lower case, anything else leaves the text alone.
    static std::string formatText(std::string_view value, std::string_view format);
};

} // namespace qv::accesssql
