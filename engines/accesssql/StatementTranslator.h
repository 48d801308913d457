// Rebuilds the body of one statement (after any PARAMETERS clause, without the final
// semicolon) in SQLite's dialect. Each parenthesis level is first turned into items (see
// SqlItem.h), inner levels before outer ones, and then written clause by clause: TOP becomes
// LIMIT at the end of its SELECT (wrapping the SELECT when it is one arm of a UNION), SELECT ...
// INTO becomes CREATE TABLE ... AS SELECT, `DELETE * FROM` loses its star, `UPDATE ... SET T.x`
// loses its qualifier, and every expression goes through ExpressionTranslator.
#pragma once

#include "engines/accesssql/SqlItem.h"
#include "engines/accesssql/Token.h"
#include "engines/accesssql/TranslatedSql.h"

#include <string>
#include <string_view>
#include <vector>

namespace qv::accesssql {

class StatementTranslator {
  public:
    StatementTranslator(std::string_view sql, const std::vector<Token>& tokens, std::size_t begin,
                        std::size_t end, const std::vector<AccessParameter>& parameters,
                        const TranslateOptions& options, StatementKind kind);

    std::string translate();
    // The kind after translation: a SELECT with INTO turns out to be a make-table query.
    StatementKind kind() const { return mKind; }

  private:
    struct Level {
        std::string text;
        TypeHint type = TypeHint::Unknown;
        bool singleExpression = false;
        bool subquery = false;
    };

    Level translateLevel(bool top);
    void buildItems(std::vector<SqlItem>& items, bool top);
    void addGroup(std::vector<SqlItem>& items);
    void addWord(std::vector<SqlItem>& items, const Token& t);
    bool atColumnType(std::size_t at) const;
    bool qualify(std::vector<SqlItem>& items);
    void bindParameters(std::vector<SqlItem>& items) const;
    void emit(std::vector<SqlItem>& items, bool top, Level& level);

    std::string_view mSql;
    const std::vector<Token>& mTokens;
    std::size_t mPos;
    std::size_t mEnd;
    const std::vector<AccessParameter>& mParameters;
    const TranslateOptions& mOptions;
    StatementKind mKind;
    bool mAnonymousParameters = false;
    int mDepth = 0;
};

} // namespace qv::accesssql
