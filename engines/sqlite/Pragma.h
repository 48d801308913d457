// Catalogue pragmas as plain statements ("PRAGMA table_info('T')") rather than their table-valued
// forms: the encryption library is built on an SQLite older than those, and one text must serve
// connections of both libraries. The argument is a quoted literal, so any table name is safe.
#pragma once

#include <string>

namespace qv::engine {

class Pragma {
  public:
    static std::string about(const char* pragma, const std::string& argument) {
        std::string sql = "PRAGMA ";
        sql += pragma;
        sql += "('";
        for (char c : argument) {
            sql += c;
            if (c == '\'') sql += '\'';
        }
        return sql + "')";
    }

    // Result columns of the pragmas the catalogue reads.
    enum TableInfo {
        TableInfoCid,
        TableInfoName,
        TableInfoType,
        TableInfoNotNull,
        TableInfoDefault,
        TableInfoPk
    };
    enum IndexList { IndexListSeq, IndexListName, IndexListUnique, IndexListOrigin };
    enum IndexInfo { IndexInfoSeqno, IndexInfoCid, IndexInfoName };
    enum ForeignKeyList {
        ForeignKeyId,
        ForeignKeySeq,
        ForeignKeyTable,
        ForeignKeyFrom,
        ForeignKeyTo,
        ForeignKeyOnUpdate,
        ForeignKeyOnDelete
    };
};

} // namespace qv::engine
