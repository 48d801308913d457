// What the Access SQL translator hands to the SQLite engine: the statement in SQLite's dialect,
// the parameters declared by a leading PARAMETERS clause (already turned into SQLite named
// parameters in the text), and the kind of statement, so the engine can tell row-returning
// statements from action queries without parsing the text a second time.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::accesssql {

enum class StatementKind {
    Select, // returns rows (also UNION)
    Insert, // INSERT INTO ... VALUES / INSERT INTO ... SELECT
    Update,
    Delete,
    MakeTable,      // SELECT ... INTO NewTable FROM ..., translated to CREATE TABLE ... AS SELECT
    DataDefinition, // CREATE / DROP / ALTER
};

// One parameter of a PARAMETERS clause, in declaration order.
struct AccessParameter {
    std::string name;     // as declared, without brackets: "Enter start date"
    std::string typeName; // the type word as written: "DateTime", "Text", "Long"
    int daoType = 10;     // qv::dao::DataType of the type word (Text when unknown)
    int size = 0;         // Text(50) gives 50, otherwise 0
    std::string bindName; // the SQLite parameter that replaces it in the text: ":p1", ":p2", ...
};

struct TranslatedSql {
    std::string sql; // one SQLite statement, no trailing semicolon
    std::vector<AccessParameter> parameters;
    StatementKind kind = StatementKind::Select;
    bool returnsRows() const { return kind == StatementKind::Select; }
};

enum class ColumnType { Unknown, YesNo, Date, Text, Number };

// Optional knowledge of the schema, asked about the columns a statement names; qualifier is the
// table name or alias before the dot (empty when unqualified). Without it the translator knows
// only the types of literals and functions.
// - Access stores true as -1 and the add-in writes 1: a comparison of a yes/no column with a
//   numeric literal (`Flag = -1`, `Flag = 1`) becomes a truth test only for a known yes/no column.
// - `OrderDate + 1` is date arithmetic, and `FirstName + LastName` joins text, only when the
//   column is known to be a date or text column.
struct TranslateOptions {
    std::function<bool(std::string_view qualifier, std::string_view column)> isYesNoColumn;
    std::function<ColumnType(std::string_view qualifier, std::string_view column)> columnType;
    // Whether a table or view of the name exists. SQLite allows a dot inside a table's name, and
    // the product names tables as [owner].[table] at every dot: a pair whose first part names no
    // table while the joined name does is read as that one table.
    std::function<bool(std::string_view name)> isTable;
};

} // namespace qv::accesssql
