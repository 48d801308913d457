// The text functions (Len, Left, Right, Mid, InStr, UCase, LCase, Space, String, Replace,
// StrComp, Asc, Chr, ...), the null and type tests (Nz, IsNull, IsNumeric, IsDate), and the
// helpers the translator emits for `&` (qv_concat) and LIKE (qv_like). Positions and lengths
// count characters; comparisons ignore case, as queries compare text.
#pragma once

#include "sqlite/SqliteRef.h"

namespace qv::accesssql {

class TextFunctions {
  public:
    static void registerOn(SqliteRef db);
};

} // namespace qv::accesssql
