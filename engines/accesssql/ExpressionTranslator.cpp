// Precedence climbing over the items of one expression, from Imp (loosest) down to ^ (tightest).
#include "engines/accesssql/ExpressionTranslator.h"

#include "engines/accesssql/AccessSqlErrors.h"
#include "engines/accesssql/LikePattern.h"
#include "engines/accesssql/SqlQuote.h"

namespace qv::accesssql {

namespace {

bool operator<(Prec a, Prec b) {
    return static_cast<int>(a) < static_cast<int>(b);
}

// The expression's text, in parentheses when it binds more loosely than its place requires.
std::string wrap(const Expr& e, Prec needed) {
    if (e.prec < needed) return "(" + e.sql + ")";
    return e.sql;
}

Expr make(std::string sql, Prec prec, TypeHint type) {
    Expr e;
    e.sql = std::move(sql);
    e.prec = prec;
    e.type = type;
    return e;
}

Expr call(std::string_view fn, const Expr& a, const Expr& b, TypeHint type) {
    std::string s;
    s.reserve(fn.size() + a.sql.size() + b.sql.size() + 4);
    s.append(fn).append("(").append(a.sql).append(", ").append(b.sql).append(")");
    return make(std::move(s), Prec::Atom, type);
}

// Joins with a binary operator, guarding against "--" (a comment to SQLite) after a minus.
Expr binary(const Expr& l, std::string_view op, const Expr& r, Prec prec, Prec leftNeeds, Prec rightNeeds,
            TypeHint type) {
    std::string s = wrap(l, leftNeeds);
    s.append(op);
    s.append(wrap(r, rightNeeds));
    return make(std::move(s), prec, type);
}

// The truth test that replaces a comparison with a yes/no value: stored true may be 1 or -1.
Expr truthTest(const Expr& operand, bool wantTrue) {
    return make(wrap(operand, Prec::Bit) + (wantTrue ? " <> 0" : " = 0"), Prec::Eq, TypeHint::Bool);
}

} // namespace

ExpressionTranslator::ExpressionTranslator(const std::vector<SqlItem>& items, const TranslateOptions& options,
                                           std::string_view sql)
    : mItems(items), mOptions(options), mSql(sql) {}

std::optional<Expr> ExpressionTranslator::translate(std::size_t begin, std::size_t end) {
    mPos = begin;
    mEnd = end;
    Expr e;
    if (!parseImp(e) || mPos != mEnd) return std::nullopt;
    return e;
}

bool ExpressionTranslator::isYesNo(const Expr& e) const {
    if (!e.column) return false;
    if (e.type == TypeHint::Bool) return true; // told by columnType
    return mOptions.isYesNoColumn && mOptions.isYesNoColumn(e.column->qualifier, e.column->value);
}

bool ExpressionTranslator::atOp(Op op) const {
    return mPos < mEnd && mItems[mPos].kind == ItemKind::Op && mItems[mPos].op == op;
}

bool ExpressionTranslator::atKw(Kw kw) const {
    return atKw(kw, 0);
}

bool ExpressionTranslator::atKw(Kw kw, std::size_t ahead) const {
    const std::size_t p = mPos + ahead;
    return p < mEnd && mItems[p].kind == ItemKind::Keyword && mItems[p].kw == kw;
}

// Imp, Eqv and Xor work on truth values here; nulls make the result null as in Access.
bool ExpressionTranslator::parseImp(Expr& out) {
    if (!parseEqv(out)) return false;
    while (atKw(Kw::Imp)) {
        ++mPos;
        Expr r;
        if (!parseEqv(r)) return false;
        out = make("NOT (" + wrap(out, Prec::Bit) + " <> 0) OR (" + wrap(r, Prec::Bit) + " <> 0)", Prec::Or,
                   TypeHint::Bool);
    }
    return true;
}

bool ExpressionTranslator::parseEqv(Expr& out) {
    if (!parseXor(out)) return false;
    while (atKw(Kw::Eqv)) {
        ++mPos;
        Expr r;
        if (!parseXor(r)) return false;
        out = make("(" + wrap(out, Prec::Bit) + " <> 0) = (" + wrap(r, Prec::Bit) + " <> 0)", Prec::Eq,
                   TypeHint::Bool);
    }
    return true;
}

bool ExpressionTranslator::parseXor(Expr& out) {
    if (!parseOr(out)) return false;
    while (atKw(Kw::Xor)) {
        ++mPos;
        Expr r;
        if (!parseOr(r)) return false;
        out = make("(" + wrap(out, Prec::Bit) + " <> 0) <> (" + wrap(r, Prec::Bit) + " <> 0)", Prec::Eq,
                   TypeHint::Bool);
    }
    return true;
}

bool ExpressionTranslator::parseOr(Expr& out) {
    if (!parseAnd(out)) return false;
    while (atKw(Kw::Or)) {
        ++mPos;
        Expr r;
        if (!parseAnd(r)) return false;
        out = binary(out, " OR ", r, Prec::Or, Prec::Or, Prec::And, TypeHint::Bool);
    }
    return true;
}

bool ExpressionTranslator::parseAnd(Expr& out) {
    if (!parseNot(out)) return false;
    while (atKw(Kw::And)) {
        ++mPos;
        Expr r;
        if (!parseNot(r)) return false;
        out = binary(out, " AND ", r, Prec::And, Prec::And, Prec::Not, TypeHint::Bool);
    }
    return true;
}

bool ExpressionTranslator::parseNot(Expr& out) {
    if (atKw(Kw::Not)) {
        ++mPos;
        if (++mDepth > kMaxNesting) throwSqlError(err::TooComplex);
        Expr e;
        const bool ok = parseNot(e);
        --mDepth;
        if (!ok) return false;
        out = make("NOT " + wrap(e, Prec::Not), Prec::Not, TypeHint::Bool);
        return true;
    }
    return parseCompare(out);
}

bool ExpressionTranslator::parseCompare(Expr& out) {
    if (!parseConcat(out)) return false;
    for (;;) {
        if (mPos >= mEnd) return true;
        const SqlItem& it = mItems[mPos];
        if (it.kind == ItemKind::Op && (it.op == Op::Eq || it.op == Op::Ne || it.op == Op::Lt ||
                                        it.op == Op::Le || it.op == Op::Gt || it.op == Op::Ge)) {
            ++mPos;
            Expr r;
            if (!parseConcat(r)) return false;
            out = compare(std::move(out), it.op, it, std::move(r));
            continue;
        }
        if (it.kind != ItemKind::Keyword) return true;
        bool negated = false;
        if (it.kw == Kw::Not &&
            (atKw(Kw::Like, 1) || atKw(Kw::ALike, 1) || atKw(Kw::Between, 1) || atKw(Kw::In, 1))) {
            negated = true;
            ++mPos;
        }
        const Kw kw = mItems[mPos].kw;
        if (kw == Kw::Like || kw == Kw::ALike) {
            ++mPos;
            Expr r;
            if (!parseConcat(r)) return false;
            out = like(std::move(out), negated, kw == Kw::ALike, std::move(r));
        } else if (kw == Kw::Between) {
            ++mPos;
            Expr lo, hi;
            if (!parseConcat(lo) || !atKw(Kw::And)) return false;
            ++mPos;
            if (!parseConcat(hi)) return false;
            out = make(wrap(out, Prec::Bit) + (negated ? " NOT BETWEEN " : " BETWEEN ") +
                           wrap(lo, Prec::Bit) + " AND " + wrap(hi, Prec::Bit),
                       Prec::Eq, TypeHint::Bool);
        } else if (kw == Kw::In) {
            ++mPos;
            if (mPos >= mEnd || mItems[mPos].kind != ItemKind::Atom || mItems[mPos].atom != AtomKind::Group)
                return false;
            out = make(wrap(out, Prec::Bit) + (negated ? " NOT IN " : " IN ") + mItems[mPos].text, Prec::Eq,
                       TypeHint::Bool);
            ++mPos;
        } else if (kw == Kw::Is) {
            ++mPos;
            const bool isNot = atKw(Kw::Not);
            if (isNot) ++mPos;
            if (mPos >= mEnd || mItems[mPos].kind != ItemKind::Atom || mItems[mPos].atom != AtomKind::Null)
                return false;
            ++mPos;
            out =
                make(wrap(out, Prec::Bit) + (isNot ? " IS NOT NULL" : " IS NULL"), Prec::Eq, TypeHint::Bool);
        } else {
            if (negated) --mPos;
            return true;
        }
    }
}

Expr ExpressionTranslator::compare(Expr l, Op op, const SqlItem& opItem, Expr r) {
    if (op == Op::Eq || op == Op::Ne) {
        const bool eq = op == Op::Eq;
        // `Flag = True` and friends: a truth test, whatever non-zero value means true.
        if (r.boolLiteral >= 0 && l.boolLiteral < 0) return truthTest(l, (r.boolLiteral == 1) == eq);
        if (l.boolLiteral >= 0 && r.boolLiteral < 0) return truthTest(r, (l.boolLiteral == 1) == eq);
        // `Flag = -1` / `Flag = 1` only when the schema says Flag is a yes/no column.
        if (r.isNumber && isYesNo(l)) return truthTest(l, (r.number != 0) == eq);
        if (l.isNumber && isYesNo(r)) return truthTest(r, (l.number != 0) == eq);
        if (r.date && l.column && l.type == TypeHint::Date) return dateSpellings(l, *r.date, eq);
        if (l.date && r.column && r.type == TypeHint::Date) return dateSpellings(r, *l.date, eq);
    }
    const Prec prec = (op == Op::Eq || op == Op::Ne) ? Prec::Eq : Prec::Rel;
    std::string opText = " ";
    opText.append(op == Op::Ne ? std::string_view("<>") : std::string_view(opItem.text));
    opText.push_back(' ');
    return binary(l, opText, r, prec, Prec::Bit, Prec::Bit, TypeHint::Bool);
}

// Dates are stored as text, and a file written by another program may spell a moment
// "2011-03-04" or "2011-03-04T09:15:00" where this engine writes "2011-03-04 09:15:00"; the engine
// reads all of them as the same date, so a date column equals a date literal in any of them.
// An IN list keeps the comparison exact and lets an index on the column still serve it.
Expr ExpressionTranslator::dateSpellings(const Expr& column, const SqlItem& date, bool eq) {
    const std::string text = date.text.substr(1, date.text.size() - 2); // 'YYYY-MM-DD HH:MM:SS'
    std::string list = date.text;
    if (text.size() == 19) {
        list += ", '" + text.substr(0, 10) + "T" + text.substr(11) + "'";
        if (text.compare(11, 8, "00:00:00") == 0) list += ", '" + text.substr(0, 10) + "'";
    }
    return make(wrap(column, Prec::Bit) + (eq ? " IN (" : " NOT IN (") + list + ")", Prec::Eq,
                TypeHint::Bool);
}

Expr ExpressionTranslator::like(Expr l, bool negated, bool ansi, Expr r) {
    const std::string_view notText = negated ? " NOT LIKE " : " LIKE ";
    if (ansi) // ALIKE already uses SQLite's % and _.
        return make(wrap(l, Prec::Bit) + std::string(notText) + wrap(r, Prec::Bit), Prec::Eq, TypeHint::Bool);
    if (r.string) {
        if (auto p = LikePattern::toSqlite(r.string->value)) {
            std::string s = wrap(l, Prec::Bit);
            s.append(notText).append(SqlQuote::text(p->pattern));
            if (p->needsEscape) s.append(" ESCAPE '\\'");
            return make(std::move(s), Prec::Eq, TypeHint::Bool);
        }
    }
    Expr m = call("qv_like", l, r, TypeHint::Bool);
    if (!negated) return m;
    return make("NOT " + m.sql, Prec::Not, TypeHint::Bool);
}

bool ExpressionTranslator::parseConcat(Expr& out) {
    if (!parseAdd(out)) return false;
    if (!atOp(Op::Amp)) return true;
    std::string s = "qv_concat(" + out.sql;
    while (atOp(Op::Amp)) {
        ++mPos;
        Expr r;
        if (!parseAdd(r)) return false;
        s.append(", ").append(r.sql);
    }
    s.push_back(')');
    out = make(std::move(s), Prec::Atom, TypeHint::Text);
    return true;
}

bool ExpressionTranslator::parseAdd(Expr& out) {
    if (!parseMod(out)) return false;
    while (atOp(Op::Plus) || atOp(Op::Minus)) {
        const bool plus = mItems[mPos].op == Op::Plus;
        ++mPos;
        Expr r;
        if (!parseMod(r)) return false;
        if (plus) {
            if (out.type == TypeHint::Date || r.type == TypeHint::Date)
                out = call("qv_dateplus", out, r, TypeHint::Date);
            else if (out.type == TypeHint::Text || r.type == TypeHint::Text)
                // Access's + joins text and, unlike &, lets a null make the whole result null.
                out = binary(out, " || ", r, Prec::Concat, Prec::Concat, Prec::Unary, TypeHint::Text);
            else
                out = binary(out, " + ", r, Prec::Add, Prec::Add, Prec::Mul, TypeHint::Number);
        } else {
            if (out.type == TypeHint::Date)
                out = call("qv_dateminus", out, r,
                           r.type == TypeHint::Date ? TypeHint::Number : TypeHint::Date);
            else
                out = binary(out, " - ", r, Prec::Add, Prec::Add, Prec::Mul, TypeHint::Number);
        }
    }
    return true;
}

bool ExpressionTranslator::parseMod(Expr& out) {
    if (!parseIntDiv(out)) return false;
    while (atKw(Kw::Mod)) {
        ++mPos;
        Expr r;
        if (!parseIntDiv(r)) return false;
        out = binary(out, " % ", r, Prec::Mul, Prec::Mul, Prec::Concat, TypeHint::Number);
    }
    return true;
}

bool ExpressionTranslator::parseIntDiv(Expr& out) {
    if (!parseMul(out)) return false;
    while (atOp(Op::Backslash)) {
        ++mPos;
        Expr r;
        if (!parseMul(r)) return false;
        out = call("qv_intdiv", out, r, TypeHint::Number);
    }
    return true;
}

bool ExpressionTranslator::parseMul(Expr& out) {
    if (!parseUnary(out)) return false;
    while (atOp(Op::Star) || atOp(Op::Slash)) {
        const bool times = mItems[mPos].op == Op::Star;
        ++mPos;
        Expr r;
        if (!parseUnary(r)) return false;
        if (times) {
            out = binary(out, " * ", r, Prec::Mul, Prec::Mul, Prec::Concat, TypeHint::Number);
        } else {
            // Access always divides as real numbers; SQLite divides integers as integers.
            Expr l = out;
            if (l.isNumber && l.sql.find_first_of(".eE") == std::string::npos)
                l.sql += ".0";
            else if (!l.isNumber)
                l = make("CAST(" + l.sql + " AS REAL)", Prec::Atom, TypeHint::Number);
            out = binary(l, " / ", r, Prec::Mul, Prec::Mul, Prec::Concat, TypeHint::Number);
        }
    }
    return true;
}

bool ExpressionTranslator::parseUnary(Expr& out) {
    if (atOp(Op::Minus) || atOp(Op::Plus)) {
        if (++mDepth > kMaxNesting) throwSqlError(err::TooComplex);
        const bool ok = parseSigned(out);
        --mDepth;
        return ok;
    }
    return parsePow(out);
}

bool ExpressionTranslator::parseSigned(Expr& out) {
    if (atOp(Op::Minus)) {
        ++mPos;
        Expr e;
        if (!parseUnary(e)) return false;
        if (e.isNumber) {
            out = e;
            out.number = -e.number;
            out.sql = e.sql.front() == '-' ? e.sql.substr(1) : "-" + e.sql;
            return true;
        }
        const std::string inner = wrap(e, Prec::Unary);
        out = make((inner.front() == '-' ? "- " : "-") + inner, Prec::Unary,
                   e.type == TypeHint::Unknown ? TypeHint::Unknown : TypeHint::Number);
        return true;
    }
    ++mPos; // unary plus changes nothing
    return parseUnary(out);
}

bool ExpressionTranslator::parsePow(Expr& out) {
    if (!parsePrimary(out)) return false;
    while (atOp(Op::Caret)) {
        ++mPos;
        Expr r;
        // The exponent may carry its own sign: 2 ^ -1.
        if (atOp(Op::Minus) || atOp(Op::Plus)) {
            if (!parseUnary(r)) return false;
        } else if (!parsePrimary(r)) {
            return false;
        }
        out = call("qv_pow", out, r, TypeHint::Number);
    }
    return true;
}

bool ExpressionTranslator::parsePrimary(Expr& out) {
    if (mPos >= mEnd) return false;
    const SqlItem& it = mItems[mPos];
    if (it.kind == ItemKind::Keyword && it.kw == Kw::Exists) {
        ++mPos;
        if (mPos >= mEnd || mItems[mPos].atom != AtomKind::Group) return false;
        out = make("EXISTS " + mItems[mPos].text, Prec::Atom, TypeHint::Bool);
        ++mPos;
        return true;
    }
    if (it.kind == ItemKind::Keyword && (it.kw == Kw::Any || it.kw == Kw::Some))
        throwSqlError(err::NotSupported,
                      "Comparisons with ANY or SOME of a subquery are not supported; use IN or EXISTS.");
    if (it.kind != ItemKind::Atom) return false;
    ++mPos;
    out = Expr{};
    out.sql = it.text;
    out.prec = Prec::Atom;
    out.type = it.type;
    switch (it.atom) {
    case AtomKind::Number:
        out.isNumber = true;
        out.number = it.number;
        break;
    case AtomKind::String:
        out.string = &it;
        break;
    case AtomKind::Bool:
        out.boolLiteral = it.number != 0 ? 1 : 0;
        break;
    case AtomKind::Date:
        out.date = &it;
        break;
    case AtomKind::Identifier:
        out.column = &it;
        if (mOptions.columnType) {
            switch (mOptions.columnType(it.qualifier, it.value)) {
            case ColumnType::YesNo:
                out.type = TypeHint::Bool;
                break;
            case ColumnType::Date:
                out.type = TypeHint::Date;
                break;
            case ColumnType::Text:
                out.type = TypeHint::Text;
                break;
            case ColumnType::Number:
                out.type = TypeHint::Number;
                break;
            case ColumnType::Unknown:
                break;
            }
        }
        break;
    default:
        break;
    }
    return true;
}

} // namespace qv::accesssql
