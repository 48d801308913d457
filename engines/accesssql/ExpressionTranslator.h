// Parses one expression (a run of items between clause words and commas) with Access's
// operator precedence and writes it with SQLite's. Where the two dialects differ in meaning the
// SQLite text makes the Access meaning explicit: `&` becomes qv_concat (null counts as empty
// text), `\` qv_intdiv, `^` qv_pow, `/` always divides as real numbers, `+` on text or dates
// becomes || or date arithmetic, LIKE patterns are rewritten, and a comparison with True or False
// becomes a truth test (`Flag <> 0`), because yes/no columns hold 1 or -1 for true.
// Parentheses are added wherever SQLite would group differently than Access.
#pragma once

#include "engines/accesssql/SqlItem.h"
#include "engines/accesssql/TranslatedSql.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::accesssql {

// SQLite binding strength of an emitted expression (higher binds tighter).
enum class Prec : int { Or = 1, And, Not, Eq, Rel, Bit, Add, Mul, Concat, Unary, Atom };

struct Expr {
    std::string sql;
    Prec prec = Prec::Atom;
    TypeHint type = TypeHint::Unknown;
    const SqlItem* column = nullptr; // a plain column reference
    bool isNumber = false;
    double number = 0;
    int boolLiteral = -1;            // 1 True/Yes/On, 0 False/No/Off
    const SqlItem* string = nullptr; // a string literal
    const SqlItem* date = nullptr;   // a #date# literal
};

class ExpressionTranslator {
  public:
    ExpressionTranslator(const std::vector<SqlItem>& items, const TranslateOptions& options,
                         std::string_view sql);

    // Translates items [begin, end). Answers nothing when they do not form one expression (a
    // column definition, `*`); throws NumberedError for an expression Access accepts but that
    // cannot be expressed here.
    std::optional<Expr> translate(std::size_t begin, std::size_t end);

  private:
    bool parseImp(Expr& out);
    bool parseEqv(Expr& out);
    bool parseXor(Expr& out);
    bool parseOr(Expr& out);
    bool parseAnd(Expr& out);
    bool parseNot(Expr& out);
    bool parseCompare(Expr& out);
    bool parseConcat(Expr& out);
    bool parseAdd(Expr& out);
    bool parseMod(Expr& out);
    bool parseIntDiv(Expr& out);
    bool parseMul(Expr& out);
    bool parseUnary(Expr& out);
    bool parseSigned(Expr& out);
    bool parsePow(Expr& out);
    bool parsePrimary(Expr& out);

    Expr compare(Expr l, Op op, const SqlItem& opItem, Expr r);
    Expr dateSpellings(const Expr& column, const SqlItem& date, bool eq);
    Expr like(Expr l, bool negated, bool ansi, Expr r);

    bool isYesNo(const Expr& e) const;
    bool atOp(Op op) const;
    bool atKw(Kw kw) const;
    bool atKw(Kw kw, std::size_t ahead) const;

    const std::vector<SqlItem>& mItems;
    const TranslateOptions& mOptions;
    std::string_view mSql;
    std::size_t mPos = 0;
    std::size_t mEnd = 0;
    int mDepth = 0; // prefix operators nest by recursion
};

} // namespace qv::accesssql
