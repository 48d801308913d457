// A saved query rebuilt from its MSysQueries rows into the Access SQL text that Access itself
// shows, and that the dialect translator runs. Access keeps no SQL for most queries: each row
// holds one piece (a table, an output column, a join, the WHERE text, ...) with its attribute
// number, and the rows of one query are ordered by their binary Order key.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace qv::engine {

struct MdbQueryRow {
    int attribute = 0;
    std::string name1;
    std::string name2;
    std::string expression;
    long flag = 0;
};

struct MdbQueryParameter {
    std::string name;
    int type = 10; // catalogue type code
    // A prompt ("Enter a date:") is one bracketed name whatever it holds; other names may be
    // paths ("Forms!Orders!OrderID") declared part by part.
    bool prompt = false;
};

struct MdbDecodedQuery {
    int type = 0; // catalogue query type (0 select, 16 crosstab, 32 delete, 48 update, 64 append,
                  // 80 make-table, 96 data definition, 112 pass-through, 128 union)
    std::string sql;
    std::vector<MdbQueryParameter> parameters;
    std::string connect; // pass-through queries: the ODBC connect string
};

class MdbQueryDecoder {
  public:
    // Rows in their stored order. Raises 3343 naming the query when the rows do not make a query
    // (no type row, an unknown type, a join naming a table the query does not have).
    // objectFlags: the query's MSysObjects flags, whose 0xF0 bits give its type when the rows
    // carry no type row (Access leaves it out of some select queries).
    static MdbDecodedQuery decode(const std::string& name, const std::vector<MdbQueryRow>& rows,
                                  const std::string& source, long objectFlags = 0);
    // Adds the form and report references ("Forms!Orders!OrderID") the query does not declare
    // to its parameters and its PARAMETERS clause, as text.
    static void declareFormReferences(MdbDecodedQuery& q, std::string& sql);
    // Adds every bracketed name the query neither declares nor knows (isKnown: a table, query,
    // column or alias of the database, given without brackets) as a Text parameter, as Access
    // asks for "[Enter a date:]" when it finds no column of that name.
    static void declarePrompts(MdbDecodedQuery& q, std::string& sql,
                               const std::function<bool(const std::string&)>& isKnown);
    // The names the text gives with AS (output columns and table aliases), without brackets.
    static std::vector<std::string> aliases(const std::string& sql);
    // [Name] when the name is not a plain identifier.
    static std::string bracketed(const std::string& name);
    // The PARAMETERS clause's name for a catalogue type code ("Text", "DateTime", "Long", ...).
    static std::string parameterTypeName(int daoType);

  private:
    // Appends the parameters and writes the PARAMETERS clause anew with all of them.
    static void declareMore(MdbDecodedQuery& q, std::string& sql, std::vector<MdbQueryParameter> added);
};

} // namespace qv::engine
