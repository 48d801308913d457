// Builds the items of each parenthesis level (inner levels first) and lets LevelEmitter write them.
#include "engines/accesssql/StatementTranslator.h"

#include "engines/accesssql/AccessDate.h"
#include "engines/accesssql/AccessSqlErrors.h"
#include "engines/accesssql/LevelEmitter.h"
#include "engines/accesssql/SqlLexer.h"
#include "engines/accesssql/SqlQuote.h"
#include "engines/accesssql/TextColumnType.h"

#include <array>
#include <cstdlib>
#include <fmt/format.h>
#include <sqlite3.h>

namespace qv::accesssql {

namespace {

struct FunctionType {
    std::string_view name;
    TypeHint type;
};

// What the functions that decide `+` and `-` return; any other function is Unknown.
constexpr std::array kFunctionTypes{
    FunctionType{"CDate", TypeHint::Date},     FunctionType{"CStr", TypeHint::Text},
    FunctionType{"Chr", TypeHint::Text},       FunctionType{"Date", TypeHint::Date},
    FunctionType{"DateAdd", TypeHint::Date},   FunctionType{"DateSerial", TypeHint::Date},
    FunctionType{"DateValue", TypeHint::Date}, FunctionType{"Format", TypeHint::Text},
    FunctionType{"LCase", TypeHint::Text},     FunctionType{"LTrim", TypeHint::Text},
    FunctionType{"Left", TypeHint::Text},      FunctionType{"Mid", TypeHint::Text},
    FunctionType{"Now", TypeHint::Date},       FunctionType{"RTrim", TypeHint::Text},
    FunctionType{"Replace", TypeHint::Text},   FunctionType{"Right", TypeHint::Text},
    FunctionType{"Space", TypeHint::Text},     FunctionType{"String", TypeHint::Text},
    FunctionType{"Time", TypeHint::Date},      FunctionType{"TimeSerial", TypeHint::Date},
    FunctionType{"TimeValue", TypeHint::Date}, FunctionType{"Trim", TypeHint::Text},
    FunctionType{"UCase", TypeHint::Text},
};

TypeHint functionType(std::string_view name) {
    for (const FunctionType& f : kFunctionTypes)
        if (Keyword::equalsNoCase(f.name, name)) return f.type;
    return TypeHint::Unknown;
}

TypeHint parameterType(int daoType) {
    switch (daoType) {
    case 1:
        return TypeHint::Bool;
    case 8:
        return TypeHint::Date;
    case 10:
    case 12:
        return TypeHint::Text;
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 20:
        return TypeHint::Number;
    default:
        return TypeHint::Unknown;
    }
}

bool isOp(const Token& t, Op op) {
    return t.kind == TokenKind::Op && t.op == op;
}

// A function whose name SQLite reads as a keyword (Left, Right, IsNull) is called by its quoted
// name; SQLite's own keyword constructs that take parentheses keep their meaning.
bool needsQuoting(std::string_view name) {
    if (sqlite3_keyword_check(name.data(), static_cast<int>(name.size())) == 0) return false;
    static constexpr std::array<std::string_view, 14> kSqliteConstructs{
        "CAST",  "RAISE", "GLOB",   "MATCH",   "REGEXP", "CHECK",     "DEFAULT",
        "USING", "OVER",  "FILTER", "COLLATE", "AS",     "GENERATED", "WINDOW"};
    for (std::string_view c : kSqliteConstructs)
        if (Keyword::equalsNoCase(c, name)) return false;
    return true;
}

} // namespace

StatementTranslator::StatementTranslator(std::string_view sql, const std::vector<Token>& tokens,
                                         std::size_t begin, std::size_t end,
                                         const std::vector<AccessParameter>& parameters,
                                         const TranslateOptions& options, StatementKind kind)
    : mSql(sql), mTokens(tokens), mPos(begin), mEnd(end), mParameters(parameters), mOptions(options),
      mKind(kind) {}

std::string StatementTranslator::translate() {
    Level level = translateLevel(true);
    return std::move(level.text);
}

StatementTranslator::Level StatementTranslator::translateLevel(bool top) {
    // A level has at most as many items as tokens up to its closing parenthesis.
    std::size_t depth = 0, count = 0;
    for (std::size_t i = mPos; i < mEnd; ++i, ++count) {
        const Token& t = mTokens[i];
        if (isOp(t, Op::LParen))
            ++depth;
        else if (isOp(t, Op::RParen) && depth-- == 0)
            break;
    }
    std::vector<SqlItem> items;
    items.reserve(count);
    buildItems(items, top);
    bindParameters(items);
    Level level;
    emit(items, top, level);
    return level;
}

void StatementTranslator::buildItems(std::vector<SqlItem>& items, bool top) {
    while (mPos < mEnd) {
        const Token& t = mTokens[mPos];
        if (isOp(t, Op::RParen)) {
            if (top)
                throwSqlError(err::SyntaxInExpression,
                              fmt::format("Extra ) in query expression '{}'.", mSql.substr(0, t.pos + 1)));
            return;
        }
        SqlItem it;
        it.spaceBefore = t.spaceBefore;
        it.first = it.last = static_cast<std::uint32_t>(mPos);
        switch (t.kind) {
        case TokenKind::Word:
            addWord(items, t);
            continue;
        case TokenKind::Name: {
            const std::string name = SqlLexer::nameValue(t);
            it.atom = AtomKind::Identifier;
            it.text = SqlQuote::identifier(name);
            it.value = name;
            it.path = name;
            it.bracketed = true;
            break;
        }
        case TokenKind::String:
            it.atom = AtomKind::String;
            it.value = SqlLexer::stringValue(t);
            it.text = SqlQuote::text(it.value);
            it.type = TypeHint::Text;
            break;
        case TokenKind::Number:
            it.atom = AtomKind::Number;
            it.text = t.raw;
            it.number = std::strtod(it.text.c_str(), nullptr);
            it.type = TypeHint::Number;
            break;
        case TokenKind::Date: {
            const auto stamp = AccessDate::parse(t.raw.substr(1, t.raw.size() - 2));
            it.atom = AtomKind::Date;
            it.text = "'" + AccessDate::toText(*stamp) + "'"; // the lexer has validated it
            it.type = TypeHint::Date;
            break;
        }
        case TokenKind::Parameter:
            it.atom = AtomKind::Parameter;
            it.text = t.raw;
            if (t.raw == "?") mAnonymousParameters = true;
            break;
        case TokenKind::Op:
            if (t.op == Op::LParen) {
                addGroup(items);
                continue;
            }
            if ((t.op == Op::Dot || t.op == Op::Bang) && qualify(items)) continue;
            if (t.op == Op::Semicolon) throwSqlError(err::CharactersAfterEnd);
            it.kind = t.op == Op::Comma ? ItemKind::Comma : ItemKind::Op;
            it.op = t.op;
            it.text = t.raw;
            break;
        case TokenKind::End:
            return;
        }
        items.push_back(std::move(it));
        ++mPos;
    }
    if (!top) {
        const Token& open = mTokens[items.empty() ? mPos - 1 : items.front().first - 1];
        throwSqlError(err::SyntaxInExpression,
                      fmt::format("Missing ), ], or Item in query expression '{}'.", mSql.substr(open.pos)));
    }
}

// A parenthesised group becomes one atom; a word right before it makes it a function call.
void StatementTranslator::addGroup(std::vector<SqlItem>& items) {
    const Token& open = mTokens[mPos];
    const std::size_t openIndex = mPos;
    ++mPos;
    if (++mDepth > kMaxNesting) throwSqlError(err::TooComplex);
    Level inner = translateLevel(false);
    --mDepth;
    const Token& close = mTokens[mPos]; // the ')' that ended the level
    ++mPos;
    std::string text;
    text.reserve(inner.text.size() + 2);
    text.push_back('(');
    text.append(inner.text);
    if (close.spaceBefore) text.push_back(' ');
    text.push_back(')');

    if (!items.empty() && items.back().atom == AtomKind::Function && items.back().text.empty()) {
        SqlItem& fn = items.back(); // a function name waiting for its arguments
        fn.last = static_cast<std::uint32_t>(mPos - 1);
        if (fn.value.empty()) { // a DDL counter type swallows its (seed, increment)
            fn.text = "INTEGER";
            return;
        }
        fn.text = needsQuoting(fn.value) ? SqlQuote::identifier(fn.value) : fn.value;
        if (open.spaceBefore) fn.text.push_back(' ');
        fn.text.append(text);
        return;
    }
    SqlItem it;
    it.atom = AtomKind::Group;
    it.spaceBefore = open.spaceBefore;
    it.first = static_cast<std::uint32_t>(openIndex);
    it.last = static_cast<std::uint32_t>(mPos - 1);
    it.text = std::move(text);
    it.subquery = inner.subquery;
    it.type = inner.singleExpression ? inner.type : TypeHint::Unknown;
    items.push_back(std::move(it));
}

// A column's type follows its name, which follows '(' or ',' of a table's column list, or
// ADD [COLUMN] / ALTER COLUMN. A constraint's name follows CONSTRAINT, a keyword, so a constraint
// or column called String or Memo stays a name.
bool StatementTranslator::atColumnType(std::size_t at) const {
    if (at < 2) return false;
    const Token& name = mTokens[at - 1];
    const bool isName = name.kind == TokenKind::Name ||
                        (name.kind == TokenKind::Word && Keyword::lookup(name.raw) == Kw::None);
    if (!isName) return false;
    const Token& before = mTokens[at - 2];
    if (before.kind == TokenKind::Word) {
        const Kw kw = Keyword::lookup(before.raw);
        return kw == Kw::Column || kw == Kw::Add;
    }
    return isOp(before, Op::LParen) || isOp(before, Op::Comma);
}

void StatementTranslator::addWord(std::vector<SqlItem>& items, const Token& t) {
    const bool call = mPos + 1 < mEnd && isOp(mTokens[mPos + 1], Op::LParen);
    Kw kw = Keyword::lookup(t.raw);
    // Left(...), Right(...) and Asc(...) are the functions, not the join or sort words.
    if (call && (kw == Kw::Left || kw == Kw::Right || kw == Kw::Asc)) kw = Kw::None;
    SqlItem it;
    it.spaceBefore = t.spaceBefore;
    it.first = it.last = static_cast<std::uint32_t>(mPos);
    ++mPos;
    if (kw == Kw::True || kw == Kw::Yes || kw == Kw::False || kw == Kw::No || kw == Kw::Off) {
        const bool truth = kw == Kw::True || kw == Kw::Yes;
        it.atom = AtomKind::Bool;
        it.number = truth ? 1 : 0;
        it.text = truth ? "1" : "0";
        it.type = TypeHint::Bool;
    } else if (kw == Kw::Null) {
        it.atom = AtomKind::Null;
        it.text = "NULL";
    } else if (kw != Kw::None) {
        it.kind = ItemKind::Keyword;
        it.kw = kw;
        it.text = t.raw;
    } else if (mKind == StatementKind::DataDefinition &&
               (Keyword::equalsNoCase(t.raw, "COUNTER") || Keyword::equalsNoCase(t.raw, "AUTOINCREMENT"))) {
        // Access's auto-number column type; as SQLite's INTEGER PRIMARY KEY it numbers rows itself.
        it.atom = call ? AtomKind::Function : AtomKind::Identifier;
        it.text = call ? "" : "INTEGER";
    } else if (mKind == StatementKind::DataDefinition && atColumnType(mPos - 1) &&
               !TextColumnType::replacementFor(t.raw).empty()) {
        const std::string word(TextColumnType::replacementFor(t.raw));
        if (call) {
            it.atom = AtomKind::Function; // STRING(10): the length follows as written
            it.value = word;
        } else {
            it.atom = AtomKind::Identifier;
            it.text = word;
        }
    } else if (call) {
        it.atom = AtomKind::Function; // text is filled in when the arguments follow
        it.value = t.raw;
        it.type = functionType(t.raw);
    } else {
        it.atom = AtomKind::Identifier;
        it.text = t.raw;
        it.value = t.raw;
        it.path = t.raw;
    }
    items.push_back(std::move(it));
}

// Joins "a.b", "[a].[b]", "a!b" and "a.*" into the identifier item before the separator.
bool StatementTranslator::qualify(std::vector<SqlItem>& items) {
    if (items.empty() || items.back().atom != AtomKind::Identifier || mPos + 1 >= mEnd) return false;
    const Token& sep = mTokens[mPos];
    const Token& part = mTokens[mPos + 1];
    const bool star = isOp(part, Op::Star);
    if (part.kind != TokenKind::Word && part.kind != TokenKind::Name && !star) return false;
    SqlItem& it = items.back();
    const std::string name = part.kind == TokenKind::Name ? SqlLexer::nameValue(part) : std::string(part.raw);
    if (!star && it.qualifier.empty() && sep.raw == "." && mOptions.isTable && !mOptions.isTable(it.path) &&
        mOptions.isTable(it.path + "." + name)) {
        it.path += "." + name;
        it.value = it.path;
        it.text = SqlQuote::identifier(it.path);
        it.bracketed = true;
        it.last = static_cast<std::uint32_t>(mPos + 1);
        mPos += 2;
        return true;
    }
    it.qualifier = it.path;
    it.text.push_back('.');
    it.text.append(part.kind == TokenKind::Name ? SqlQuote::identifier(name) : std::string(name));
    it.path.push_back(sep.raw.front());
    it.path.append(name);
    it.value = name;
    it.bracketed = part.kind == TokenKind::Name;
    it.last = static_cast<std::uint32_t>(mPos + 1);
    mPos += 2;
    return true;
}

void StatementTranslator::bindParameters(std::vector<SqlItem>& items) const {
    if (mParameters.empty()) return;
    for (SqlItem& it : items) {
        if (it.atom != AtomKind::Identifier) continue;
        for (const AccessParameter& p : mParameters) {
            if (Keyword::equalsNoCase(p.name, it.path)) {
                it.atom = AtomKind::Parameter;
                it.text = p.bindName;
                it.type = parameterType(p.daoType);
                break;
            }
        }
    }
}

void StatementTranslator::emit(std::vector<SqlItem>& items, bool top, Level& level) {
    LevelEmitter emitter(items, top, mSql, mTokens, mOptions, mKind, mAnonymousParameters);
    level.text = emitter.run();
    level.singleExpression = emitter.singleExpression();
    level.type = emitter.singleType();
    level.subquery = emitter.isSubquery();
    if (top && emitter.makeTable()) mKind = StatementKind::MakeTable;
}

} // namespace qv::accesssql
