// Now, Date, Time, Year ... Second, Weekday, DateAdd, DateDiff, DatePart, DateSerial,
// TimeSerial, DateValue, TimeValue, MonthName, WeekdayName, and the date arithmetic the
// translator emits for `date + n` and `date - x` (qv_dateplus, qv_dateminus).
#pragma once

#include "sqlite/SqliteRef.h"

namespace qv::accesssql {

class DateFunctions {
  public:
    static void registerOn(SqliteRef db);
};

} // namespace qv::accesssql
