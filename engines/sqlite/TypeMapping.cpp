// Matching is on the leading type word, case-insensitive, so "NVARCHAR(160)", "varchar (40)" and
// "UNSIGNED BIG INT" all land somewhere sensible; anything unknown falls back to SQLite's own
// affinity rules, so that no column is left without a type.
#include "engines/sqlite/TypeMapping.h"

#include "platform/TextUtil.h"
#include "platform/engine/AdoConstants.h"
#include "platform/engine/DaoConstants.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <sqlite3.h>
#include <string>

namespace qv::engine {

namespace {

constexpr long LongTextSize = 1073741823; // what the driver reports for memo and long binary

struct Parsed {
    std::string word; // the type name without the size, blanks collapsed
    long size = -1;
};

Parsed parse(std::string_view declared) {
    Parsed p;
    std::string u = TextUtil::upperAscii(declared);
    auto paren = u.find('(');
    std::string head = u.substr(0, paren);
    // collapse blanks: "UNSIGNED BIG INT" -> "UNSIGNED BIG INT", trimmed
    std::string word;
    bool blank = false;
    for (char c : head) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            blank = !word.empty();
        } else {
            if (blank) word += ' ';
            blank = false;
            word += c;
        }
    }
    p.word = word;
    if (paren != std::string::npos) {
        auto start = u.find_first_not_of(' ', paren + 1);
        if (start != std::string::npos) {
            long n = 0;
            auto r = std::from_chars(u.data() + start, u.data() + u.size(), n);
            if (r.ec == std::errc()) p.size = n;
        }
    }
    return p;
}

bool isAny(const std::string& w, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return w == n; });
}

ColumnType make(int dao, int ado, long size, StorageKind storage) {
    return ColumnType{dao, ado, size, storage};
}

} // namespace

ColumnType TypeMapping::fromDeclared(std::string_view declaredType) {
    const Parsed p = parse(declaredType);
    const std::string& w = p.word;
    // SQLite keeps text of any length whatever the declaration says; only a stated length is a
    // limit the product may warn about. Reporting a made-up 255 would let a writer cut longer
    // values that the file holds.
    if (w.empty()) return make(dao::Text, ado::VarWChar, LongTextSize, StorageKind::Text);

    if (isAny(w, {"TEXT", "VARCHAR", "NVARCHAR", "CHAR", "NCHAR", "CHARACTER", "VARYING CHARACTER",
                  "NATIVE CHARACTER", "STRING", "ALPHANUMERIC", "NTEXT", "CLOB"})) {
        if (p.size > 0) {
            ColumnType t = make(dao::Text, ado::VarWChar, p.size, StorageKind::Text);
            t.sized = true;
            return t;
        }
        if (isAny(w, {"VARCHAR", "NVARCHAR", "CHAR", "NCHAR", "CHARACTER", "STRING", "ALPHANUMERIC"}))
            return make(dao::Text, ado::VarWChar, LongTextSize, StorageKind::Text);
        return make(dao::Memo, ado::LongVarWChar, LongTextSize, StorageKind::Text);
    }
    if (isAny(w, {"MEMO", "NOTE", "LONGTEXT", "LONGCHAR", "MEDIUMTEXT", "HYPERLINK", "HYPERLINK TEXT"}))
        return make(dao::Memo, ado::LongVarWChar, LongTextSize, StorageKind::Text);
    if (isAny(w, {"BYTE", "TINYINT", "UNSIGNED TINYINT"}))
        return make(dao::Byte, ado::UnsignedTinyInt, 1, StorageKind::Integer);
    if (isAny(w, {"SMALLINT", "SHORT", "INT2", "INTEGER2"}))
        return make(dao::Integer, ado::SmallInt, 2, StorageKind::Integer);
    if (isAny(w, {"INTEGER", "INT", "LONG", "INT4", "INTEGER4", "MEDIUMINT", "COUNTER", "AUTOINCREMENT",
                  "AUTONUMBER"}))
        return make(dao::Long, ado::Integer, 4, StorageKind::Integer);
    if (isAny(w, {"BIGINT", "INT8", "UNSIGNED BIG INT", "INTEGER8", "LONGLONG"}))
        return make(dao::BigInt, ado::BigInt, 8, StorageKind::Integer);
    if (isAny(w, {"CURRENCY", "MONEY", "SMALLMONEY"}))
        return make(dao::Currency, ado::Currency, 8, StorageKind::Currency);
    // A declared REAL is SQLite's eight-byte double, whatever the word means in Access SQL:
    // reading it as single precision would round every stored value.
    if (isAny(w, {"SINGLE", "FLOAT4", "IEEESINGLE"}))
        return make(dao::Single, ado::Single, 4, StorageKind::Real);
    if (isAny(w, {"REAL", "DOUBLE", "DOUBLE PRECISION", "FLOAT", "FLOAT8", "IEEEDOUBLE", "NUMBER"}))
        return make(dao::Double, ado::Double, 8, StorageKind::Real);
    if (isAny(w, {"DECIMAL", "NUMERIC", "DEC"}))
        return make(dao::Decimal, ado::Numeric, 19, StorageKind::Real);
    if (isAny(w, {"DATE", "DATETIME", "TIMESTAMP", "TIME", "SMALLDATETIME", "DATETIME2"}))
        return make(dao::Date, ado::DBTimeStamp, 16, StorageKind::Date);
    if (isAny(w, {"BOOLEAN", "BOOL", "BIT", "YESNO", "LOGICAL"}))
        return make(dao::Boolean, ado::Boolean, 2, StorageKind::Boolean);
    if (isAny(w, {"GUID", "UNIQUEIDENTIFIER", "UUID", "REPLICATIONID"}))
        return make(dao::GUID, ado::GUID, 16, StorageKind::Text);
    if (isAny(w, {"BINARY", "VARBINARY"})) {
        ColumnType t = make(dao::Binary, ado::VarBinary, p.size > 0 ? p.size : 510, StorageKind::Blob);
        t.sized = p.size > 0;
        return t;
    }
    if (isAny(w, {"BLOB", "LONGBINARY", "OLEOBJECT", "IMAGE", "GENERAL"}))
        return make(dao::LongBinary, ado::LongVarBinary, LongTextSize, StorageKind::Blob);
    if (w == "ATTACHMENT") return make(dao::Attachment, ado::LongVarBinary, LongTextSize, StorageKind::Blob);

    // SQLite's affinity rules for everything else.
    if (w.find("INT") != std::string::npos) return make(dao::Long, ado::Integer, 4, StorageKind::Integer);
    if (w.find("CHAR") != std::string::npos || w.find("CLOB") != std::string::npos ||
        w.find("TEXT") != std::string::npos)
        return make(dao::Memo, ado::LongVarWChar, LongTextSize, StorageKind::Text);
    if (w.find("BLOB") != std::string::npos)
        return make(dao::LongBinary, ado::LongVarBinary, LongTextSize, StorageKind::Blob);
    if (w.find("REAL") != std::string::npos || w.find("FLOA") != std::string::npos ||
        w.find("DOUB") != std::string::npos)
        return make(dao::Double, ado::Double, 8, StorageKind::Real);
    return make(dao::Decimal, ado::Numeric, 19, StorageKind::Real);
}

ColumnType TypeMapping::fromStorageClass(int sqliteType) {
    switch (sqliteType) {
    case SQLITE_INTEGER:
        return make(dao::Long, ado::Integer, 4, StorageKind::Integer);
    case SQLITE_FLOAT:
        return make(dao::Double, ado::Double, 8, StorageKind::Real);
    case SQLITE_BLOB:
        return make(dao::LongBinary, ado::LongVarBinary, LongTextSize, StorageKind::Blob);
    default:
        return make(dao::Text, ado::VarWChar, LongTextSize, StorageKind::Text);
    }
}

int TypeMapping::daoTypeFromParameterName(std::string_view typeName) {
    const std::string w = parse(typeName).word;
    if (isAny(w, {"BIT", "YESNO", "BOOLEAN", "LOGICAL", "LOGICAL1"})) return dao::Boolean;
    if (isAny(w, {"BYTE", "INTEGER1", "TINYINT"})) return dao::Byte;
    if (isAny(w, {"SHORT", "SMALLINT", "INTEGER2"})) return dao::Integer;
    if (isAny(w, {"LONG", "INT", "INTEGER", "INTEGER4", "COUNTER", "AUTOINCREMENT"})) return dao::Long;
    if (isAny(w, {"CURRENCY", "MONEY"})) return dao::Currency;
    if (isAny(w, {"SINGLE", "REAL", "FLOAT4", "IEEESINGLE"})) return dao::Single;
    if (isAny(w, {"DOUBLE", "FLOAT", "FLOAT8", "IEEEDOUBLE", "NUMBER", "VALUE"})) return dao::Double;
    if (isAny(w, {"DATETIME", "DATE", "TIME", "TIMESTAMP"})) return dao::Date;
    if (isAny(w, {"BINARY", "VARBINARY"})) return dao::Binary;
    if (isAny(w, {"LONGBINARY", "OLEOBJECT", "GENERAL", "IMAGE"})) return dao::LongBinary;
    if (isAny(w, {"MEMO", "LONGTEXT", "LONGCHAR", "NOTE", "NTEXT"})) return dao::Memo;
    if (isAny(w, {"GUID", "UNIQUEIDENTIFIER"})) return dao::GUID;
    if (isAny(w, {"DECIMAL", "NUMERIC", "DEC"})) return dao::Decimal;
    if (isAny(w, {"BIGINT"})) return dao::BigInt;
    return dao::Text;
}

} // namespace qv::engine
