// Conversions (CStr, CLng, CInt, CByte, CDbl, CSng, CBool, CCur, Val) and arithmetic (Int,
// Fix, Round with banker's rounding, Sgn, Abs, Sqr, Exp, Log), plus the helpers the translator
// emits for `\` (qv_intdiv) and `^` (qv_pow). Integer conversions round half to even and
// refuse values outside their range, as the engine does.
#pragma once

#include "sqlite/SqliteRef.h"

namespace qv::accesssql {

class NumberFunctions {
  public:
    static void registerOn(SqliteRef db);
};

} // namespace qv::accesssql
