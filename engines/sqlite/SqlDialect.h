// The seam between the statements the product sends (its database's own SQL dialect) and what
// SQLite accepts. Every statement and every new connection passes through here: statements are
// translated with the knowledge of the open database's column types, and every connection gets
// the dialect's functions (Now, Nz, Format, and the helpers the translated text calls).
#pragma once

#include "engines/accesssql/TranslatedSql.h"
#include "sqlite/SqliteRef.h"

#include <string>
#include <string_view>
#include <vector>

namespace qv::engine {

class SqliteHandle;

struct DialectParameter {
    std::string name;     // as declared, without brackets
    int daoType = 10;     // catalogue type code of the declared type
    std::string bindName; // the SQLite parameter in the translated text (":p1", ...)
};

struct DialectStatement {
    std::string sql;
    std::vector<DialectParameter> parameters;
    accesssql::StatementKind kind = accesssql::StatementKind::Select;
    // After a statement of this kind the cached column types are stale.
    bool changesSchema() const {
        return kind == accesssql::StatementKind::DataDefinition ||
               kind == accesssql::StatementKind::MakeTable;
    }
};

class SqlDialect {
  public:
    // Translates with the column types of the database open in handle.
    static DialectStatement translate(std::string_view sql, const SqliteHandle& handle);
    // Translates knowing only the types of literals and functions.
    static DialectStatement translate(std::string_view sql);
    // A statement to be stored as a saved query checked without running it: refused with the
    // dialect's numbered error when the engine could not run it. A crosstab whose headings come
    // from the data is checked with its heading query and its grouping, as it will run.
    static void check(std::string_view sql);
    // Installs the dialect's functions on a freshly opened connection.
    static void prepareConnection(SqliteRef db);

    // Data definition in the product's dialect with every DEFAULT expression put in parentheses
    // (`DEFAULT Now()` -> `DEFAULT (Now())`): SQLite takes only literals bare, and a group is
    // translated as an expression, so `DEFAULT "abc"` and `DEFAULT True` get their SQLite form.
    static std::string groupDefaults(std::string_view accessSql);
    // A SQLite column default ("Now()", "'abc'", "(1)") in the form the product compares
    // against when it fills a new row ("Now()", "\"abc\"", "1").
    static std::string defaultForProduct(std::string_view sqliteDefault);
    // A SQLite statement (a view's SELECT) in the product's dialect: "quoted" names become
    // [bracketed] ones, so the product can send the text back as it sends its own queries.
    static std::string toProductText(std::string_view sqliteSql);
};

} // namespace qv::engine
