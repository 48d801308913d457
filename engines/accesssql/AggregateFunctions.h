// The aggregates of the dialect that SQLite lacks: First and Last (the value of the first or
// last row of a group, in the order the rows arrive), StDev and Var (sample), StDevP and VarP
// (population). Nulls are skipped by the statistics, as Sum and Avg skip them.
#pragma once

#include "sqlite/SqliteRef.h"

namespace qv::accesssql {

class AggregateFunctions {
  public:
    static void registerOn(SqliteRef db);
};

} // namespace qv::accesssql
