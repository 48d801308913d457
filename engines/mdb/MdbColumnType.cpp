#include "engines/mdb/MdbColumnType.h"

#include <glib.h>
// glib.h first: mdbtools.h relies on it.
#include <mdbtools.h>

#include "engines/accesssql/TextColumnType.h"

#include <fmt/format.h>

namespace qv::engine {

MdbColumnType MdbColumnType::from(int code, int size, int precision, int scale, bool jet3, bool multiValue) {
    MdbColumnType t;
    t.code = code;
    switch (code) {
    case MDB_BOOL:
        t.declared = "YESNO";
        break;
    case MDB_BYTE:
        t.declared = "BYTE";
        break;
    case MDB_INT:
        t.declared = "SMALLINT";
        break;
    case MDB_LONGINT:
        t.declared = "INTEGER";
        break;
    case MDB_MONEY:
        t.declared = "CURRENCY";
        break;
    case MDB_FLOAT:
        t.declared = "SINGLE";
        break;
    case MDB_DOUBLE:
        t.declared = "DOUBLE";
        break;
    case MDB_DATETIME:
        t.declared = "DATETIME";
        break;
    case MDB_BINARY:
        t.declared = fmt::format("BINARY({})", size > 0 ? size : 255);
        break;
    // Jet 4 and later keep text as UTF-16: the length in the file is in bytes.
    case MDB_TEXT:
        t.declared = fmt::format("TEXT({})", jet3 ? size : size / 2);
        break;
    case MDB_OLE:
        t.declared = "LONGBINARY";
        break;
    case MDB_MEMO:
        t.declared = accesssql::TextColumnType::memo();
        break;
    case MDB_REPID:
        t.declared = "GUID";
        break;
    case MDB_NUMERIC:
        t.declared = fmt::format("DECIMAL({},{})", precision, scale);
        break;
    case mdbtype::BigInt:
        t.declared = "BIGINT";
        break;
    case MDB_COMPLEX:
        t.complex = true;
        t.supported = false;
        t.declared = multiValue ? std::string(accesssql::TextColumnType::memo()) : "ATTACHMENT";
        break;
    default:
        // Extended date/time and anything newer: the stored bytes are kept as text.
        t.supported = false;
        t.declared = accesssql::TextColumnType::memo();
        break;
    }
    t.mapped = TypeMapping::fromDeclared(t.declared);
    return t;
}

} // namespace qv::engine
