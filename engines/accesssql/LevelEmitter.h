// Writes the items of one parenthesis level as SQLite text, clause by clause. Clause words and
// commas cut the level into segments; a segment that is an expression goes through
// ExpressionTranslator, any other is copied item by item. The emitter also carries the
// clause-level rewrites: TOP to LIMIT, DISTINCTROW, SELECT ... INTO, DELETE *, SET T.x,
// WITH OWNERACCESS OPTION, and the refusal of crosstabs and joined updates and deletes.
#pragma once

#include "engines/accesssql/SqlItem.h"
#include "engines/accesssql/Token.h"
#include "engines/accesssql/TranslatedSql.h"

#include <string>
#include <string_view>
#include <vector>

namespace qv::accesssql {

class LevelEmitter {
  public:
    LevelEmitter(const std::vector<SqlItem>& items, bool top, std::string_view sql,
                 const std::vector<Token>& tokens, const TranslateOptions& options, StatementKind kind,
                 bool anonymousParameters);

    std::string run();

    bool singleExpression() const { return mSingle; }
    TypeHint singleType() const { return mSingleType; }
    bool isSubquery() const { return mSubquery; }
    bool makeTable() const { return !mMakeTableTarget.empty(); }

  private:
    enum class Clause {
        None,
        Select,
        From,
        Where,
        GroupBy,
        Having,
        OrderBy,
        Insert,
        Values,
        Update,
        Set,
        Delete,
        On,
        Other
    };

    void segment(std::size_t begin, std::size_t end);
    void assignment(std::size_t begin, std::size_t end);
    void verbatim(std::size_t begin, std::size_t end);
    std::size_t clauseWord(std::size_t k); // handles the clause word at k, answers the next index
    std::size_t selectWord(std::size_t k);
    std::size_t intoWord(std::size_t k);
    void finishMember(bool followedByUnion);
    void append(std::string_view text, bool space);

    [[noreturn]] void missingOperator(std::size_t begin, std::size_t end) const;

    const std::vector<SqlItem>& mItems;
    bool mTopLevel;
    std::string_view mSql;
    const std::vector<Token>& mTokens;
    const TranslateOptions& mOptions;
    StatementKind mKind;
    bool mAnonymousParameters;

    std::string mOut;
    Clause mClause = Clause::None;
    bool mSingle = false;
    TypeHint mSingleType = TypeHint::Unknown;
    bool mSubquery = false;
    std::string mMakeTableTarget;

    // The SELECT being written at this level (one arm of a UNION at a time).
    std::size_t mMemberStart = std::string::npos;
    std::size_t mOrderPos = std::string::npos;
    std::string mTopCount; // the n of TOP n, empty without TOP
    bool mTopPercent = false;
    bool mCompound = false;
};

} // namespace qv::accesssql
