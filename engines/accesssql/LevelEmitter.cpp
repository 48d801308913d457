// The clause-by-clause writer of one parenthesis level; see LevelEmitter.h.
#include "engines/accesssql/LevelEmitter.h"

#include "engines/accesssql/AccessSqlErrors.h"
#include "engines/accesssql/ExpressionTranslator.h"
#include "engines/accesssql/SqlLexer.h"
#include "engines/accesssql/SqlQuote.h"

#include <cmath>
#include <fmt/format.h>

namespace qv::accesssql {

namespace {

bool isKeyword(const SqlItem& it, Kw kw) {
    return it.kind == ItemKind::Keyword && it.kw == kw;
}

} // namespace

LevelEmitter::LevelEmitter(const std::vector<SqlItem>& items, bool top, std::string_view sql,
                           const std::vector<Token>& tokens, const TranslateOptions& options,
                           StatementKind kind, bool anonymousParameters)
    : mItems(items), mTopLevel(top), mSql(sql), mTokens(tokens), mOptions(options), mKind(kind),
      mAnonymousParameters(anonymousParameters) {}

std::string LevelEmitter::run() {
    mOut.reserve(mSql.size() + 16);
    mSubquery = !mItems.empty() && isKeyword(mItems.front(), Kw::Select);
    const std::size_t n = mItems.size();
    std::size_t segmentStart = 0;
    bool delimited = false;
    for (std::size_t k = 0; k < n;) {
        const SqlItem& it = mItems[k];
        const bool delimiter =
            it.kind == ItemKind::Comma || (it.kind == ItemKind::Keyword && Keyword::isClause(it.kw));
        if (!delimiter) {
            ++k;
            continue;
        }
        delimited = true;
        segment(segmentStart, k);
        k = clauseWord(k);
        segmentStart = k;
    }
    segment(segmentStart, n);
    mSingle = !delimited && mSingle;
    finishMember(false);
    if (!mMakeTableTarget.empty()) mOut = "CREATE TABLE " + mMakeTableTarget + " AS " + mOut;
    return std::move(mOut);
}

void LevelEmitter::append(std::string_view text, bool space) {
    if (text.empty()) return;
    if (!mOut.empty()) {
        const char last = mOut.back();
        const auto word = [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                   static_cast<unsigned char>(c) >= 0x80;
        };
        // Never let two tokens run together into one word or into a comment opener, also where
        // a removed word (TOP 5, INTO x) used to stand between them.
        if (space || (word(last) && word(text.front())) || (last == '-' && text.front() == '-') ||
            (last == '/' && text.front() == '*'))
            mOut.push_back(' ');
    }
    mOut.append(text);
}

void LevelEmitter::segment(std::size_t begin, std::size_t end) {
    mSingle = false;
    if (begin >= end) {
        if (mClause == Clause::Set) throwSqlError(err::SyntaxInUpdate);
        return;
    }
    if (mClause == Clause::Delete) {
        // DELETE * FROM T and DELETE T.* FROM T name what DELETE FROM T deletes anyway.
        for (std::size_t k = begin; k < end; ++k) {
            const SqlItem& it = mItems[k];
            const bool star = it.kind == ItemKind::Op && it.op == Op::Star;
            if (!star && it.atom != AtomKind::Identifier) throwSqlError(err::CouldNotDelete);
        }
        return;
    }
    if (mClause == Clause::Set) {
        assignment(begin, end);
        return;
    }
    ExpressionTranslator x(mItems, mOptions, mSql);
    if (auto e = x.translate(begin, end)) {
        append(e->sql, mItems[begin].spaceBefore);
        mSingle = true;
        mSingleType = e->type;
        return;
    }
    verbatim(begin, end);
}

// SET [T].[x] = expr: SQLite takes no qualifier on the assigned column, and `=` here assigns,
// so `SET Flag = True` stays a value and does not become a truth test.
void LevelEmitter::assignment(std::size_t begin, std::size_t end) {
    const SqlItem& target = mItems[begin];
    if (begin + 2 > end || target.atom != AtomKind::Identifier || mItems[begin + 1].kind != ItemKind::Op ||
        mItems[begin + 1].op != Op::Eq)
        throwSqlError(err::SyntaxInUpdate);
    append(target.bracketed ? SqlQuote::identifier(target.value) : target.value, target.spaceBefore);
    append("=", mItems[begin + 1].spaceBefore);
    if (begin + 2 == end) throwSqlError(err::SyntaxInUpdate);
    ExpressionTranslator x(mItems, mOptions, mSql);
    if (auto e = x.translate(begin + 2, end)) {
        append(e->sql, mItems[begin + 2].spaceBefore);
        return;
    }
    verbatim(begin + 2, end);
}

void LevelEmitter::verbatim(std::size_t begin, std::size_t end) {
    for (std::size_t k = begin; k < end; ++k) {
        const SqlItem& it = mItems[k];
        // These only mean what Access means once rewritten as an expression; copied as they are
        // they would run with another meaning, so the statement is refused instead.
        const bool needsRewrite =
            (it.kind == ItemKind::Op && (it.op == Op::Amp || it.op == Op::Backslash || it.op == Op::Caret)) ||
            (it.kind == ItemKind::Keyword && (it.kw == Kw::Mod || it.kw == Kw::Like || it.kw == Kw::ALike ||
                                              it.kw == Kw::Xor || it.kw == Kw::Eqv || it.kw == Kw::Imp));
        if (needsRewrite) missingOperator(begin, end);
    }
    for (std::size_t k = begin; k < end; ++k)
        append(mItems[k].text, mItems[k].spaceBefore);
}

std::size_t LevelEmitter::clauseWord(std::size_t k) {
    const SqlItem& it = mItems[k];
    if (it.kind == ItemKind::Comma) {
        // DELETE a, b FROM T: the fields Access lists there are no part of what SQLite deletes.
        if (mClause != Clause::Delete) append(",", it.spaceBefore);
        return k + 1;
    }
    switch (it.kw) {
    case Kw::Select:
        return selectWord(k);
    case Kw::Into:
        return intoWord(k);
    case Kw::From:
        mClause = Clause::From;
        break;
    case Kw::Where:
        mClause = Clause::Where;
        break;
    case Kw::Group:
        mClause = Clause::GroupBy;
        break;
    case Kw::Having:
        mClause = Clause::Having;
        break;
    case Kw::Order:
        mOrderPos = mOut.size();
        mClause = Clause::OrderBy;
        break;
    case Kw::Union:
        finishMember(true);
        mCompound = true;
        mClause = Clause::None;
        break;
    case Kw::Inner:
    case Kw::Left:
    case Kw::Right:
    case Kw::Outer:
    case Kw::Full:
    case Kw::Cross:
    case Kw::Join:
        if (mTopLevel && mKind == StatementKind::Delete)
            throwSqlError(err::CouldNotDelete,
                          "Could not delete from specified tables: a DELETE over a join is not supported; "
                          "choose the rows with WHERE ... IN (SELECT ...).");
        if (mTopLevel && mKind == StatementKind::Update && mClause == Clause::Update)
            throwSqlError(
                err::NotSupported,
                "An UPDATE over a join is not supported; choose the rows with WHERE ... IN (SELECT ...).");
        break;
    case Kw::On:
        if (mTopLevel && mKind == StatementKind::DataDefinition && mItems.size() > 1 &&
            isKeyword(mItems[0], Kw::Drop) && isKeyword(mItems[1], Kw::Index))
            return mItems.size(); // DROP INDEX i ON T: SQLite names the index alone
        mClause = Clause::On;
        break;
    case Kw::Set:
        mClause = Clause::Set;
        break;
    case Kw::Values:
        mClause = Clause::Values;
        break;
    case Kw::Update:
        mClause = Clause::Update;
        break;
    case Kw::Insert:
        mClause = Clause::Insert;
        break;
    case Kw::Delete:
        append(it.text, it.spaceBefore);
        mClause = Clause::Delete;
        return k + 1;
    case Kw::With:
        if (k + 2 < mItems.size() && isKeyword(mItems[k + 1], Kw::OwnerAccess) &&
            isKeyword(mItems[k + 2], Kw::Option))
            return k + 3; // a permission hint with no meaning here
        break;
    case Kw::Transform:
    case Kw::Pivot:
        throwSqlError(err::NotSupported, "Crosstab queries (TRANSFORM ... PIVOT) are not supported.");
    case Kw::Parameters:
        throwSqlError(err::InvalidStatement, "A PARAMETERS declaration must come first in the statement.");
    case Kw::Procedure:
        throwSqlError(err::NotSupported, "PROCEDURE clauses are not supported.");
    case Kw::Top:
    case Kw::Percent:
        throwSqlError(
            err::ReservedWordOrArgument,
            "The SELECT statement includes a reserved word or an argument name that is misspelled or "
            "missing, or the punctuation is incorrect.");
    case Kw::DistinctRow:
        append("DISTINCT", it.spaceBefore);
        return k + 1;
    default:
        break;
    }
    append(it.text, it.spaceBefore);
    return k + 1;
}

std::size_t LevelEmitter::selectWord(std::size_t k) {
    const SqlItem& it = mItems[k];
    append(it.text, it.spaceBefore);
    mMemberStart = mOut.size() - it.text.size();
    mOrderPos = std::string::npos;
    mTopCount.clear();
    mTopPercent = false;
    mClause = Clause::Select;
    ++k;
    while (k < mItems.size() && mItems[k].kind == ItemKind::Keyword) {
        const SqlItem& w = mItems[k];
        if (w.kw == Kw::All || w.kw == Kw::Distinct) {
            append(w.text, w.spaceBefore);
        } else if (w.kw == Kw::DistinctRow) {
            append("DISTINCT", w.spaceBefore);
        } else if (w.kw == Kw::Top && mTopCount.empty()) {
            const bool number = k + 1 < mItems.size() && mItems[k + 1].atom == AtomKind::Number;
            const bool percent = number && k + 2 < mItems.size() && isKeyword(mItems[k + 2], Kw::Percent);
            if (!number || mItems[k + 1].number <= 0 ||
                (!percent && mItems[k + 1].number != std::floor(mItems[k + 1].number)))
                throwSqlError(
                    err::ReservedWordOrArgument,
                    fmt::format("The SELECT statement includes a reserved word or an argument name that is "
                                "misspelled or missing, or the punctuation is incorrect (TOP needs a "
                                "positive number) in '{}'.",
                                mSql));
            mTopCount = mItems[k + 1].text;
            mTopPercent = percent;
            if (percent && mAnonymousParameters)
                throwSqlError(err::NotSupported, "TOP ... PERCENT cannot be combined with ? parameters.");
            k += percent ? 2 : 1;
        } else {
            break;
        }
        ++k;
    }
    return k;
}

std::size_t LevelEmitter::intoWord(std::size_t k) {
    const SqlItem& it = mItems[k];
    if (mClause != Clause::Select) {
        append(it.text, it.spaceBefore);
        return k + 1;
    }
    if (!mTopLevel || mCompound)
        throwSqlError(err::NotSupported,
                      "SELECT ... INTO (a make-table query) is only possible as a whole statement.");
    if (k + 1 >= mItems.size() || mItems[k + 1].atom != AtomKind::Identifier)
        throwSqlError(
            err::ReservedWordOrArgument,
            "The SELECT statement includes a reserved word or an argument name that is misspelled or "
            "missing, or the punctuation is incorrect.");
    if (k + 2 < mItems.size() && isKeyword(mItems[k + 2], Kw::In))
        throwSqlError(err::NotSupported, "Tables in another database file (IN '...') are not supported.");
    mMakeTableTarget = mItems[k + 1].text;
    return k + 2;
}

// TOP n of the SELECT just written becomes LIMIT n after its ORDER BY. SQLite allows LIMIT only
// at the end of a whole UNION, so an arm of a UNION with TOP becomes a subquery of its own.
void LevelEmitter::finishMember(bool followedByUnion) {
    if (mTopCount.empty() || mMemberStart == std::string::npos) {
        mTopCount.clear();
        return;
    }
    const bool wrap = mCompound || followedByUnion;
    const std::size_t memberEnd =
        (!followedByUnion && wrap && mOrderPos != std::string::npos) ? mOrderPos : mOut.size();
    const std::size_t countEnd = mOrderPos != std::string::npos ? mOrderPos : memberEnd;
    std::string limit = " LIMIT ";
    if (mTopPercent) {
        // Access rounds a percentage of rows up.
        limit += "(SELECT -CAST(-(COUNT(*) * " + mTopCount + " / 100.0) AS INTEGER) FROM (" +
                 mOut.substr(mMemberStart, countEnd - mMemberStart) + "))";
    } else {
        limit += mTopCount;
    }
    if (!wrap) {
        mOut += limit;
    } else {
        std::string tail = mOut.substr(memberEnd);
        std::string body = mOut.substr(mMemberStart, memberEnd - mMemberStart);
        while (!body.empty() && body.back() == ' ')
            body.pop_back();
        mOut.resize(mMemberStart);
        mOut += "SELECT * FROM (" + body + limit + ")" + tail;
    }
    mTopCount.clear();
    mMemberStart = std::string::npos;
    mOrderPos = std::string::npos;
}

void LevelEmitter::missingOperator(std::size_t begin, std::size_t end) const {
    const std::string_view text =
        SqlLexer::sourceOf(mSql, mTokens[mItems[begin].first], mTokens[mItems[end - 1].last]);
    throwSqlError(err::SyntaxInExpression,
                  fmt::format("Syntax error (missing operator) in query expression '{}'.", text));
}

} // namespace qv::accesssql
