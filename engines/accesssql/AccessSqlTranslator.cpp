// The entry point of the translator: reads the PARAMETERS clause and the statement kind, and hands the
// body to StatementTranslator. Also the standalone-expression form used for field properties.
#include "engines/accesssql/AccessSqlTranslator.h"

#include "engines/accesssql/AccessDate.h"
#include "engines/accesssql/AccessSqlErrors.h"
#include "engines/accesssql/Crosstab.h"
#include "engines/accesssql/Keyword.h"
#include "engines/accesssql/SqlLexer.h"
#include "engines/accesssql/StatementTranslator.h"
#include "platform/OleDateTime.h"
#include "platform/engine/DaoConstants.h"

#include <array>
#include <fmt/format.h>

namespace qv::accesssql {

namespace {

struct TypeWord {
    std::string_view word;
    int daoType;
};

// The type words a PARAMETERS clause may use, with their synonyms.
constexpr std::array kTypeWords{
    TypeWord{"Bit", dao::Boolean},
    TypeWord{"Boolean", dao::Boolean},
    TypeWord{"YesNo", dao::Boolean},
    TypeWord{"Logical", dao::Boolean},
    TypeWord{"Logical1", dao::Boolean},
    TypeWord{"Byte", dao::Byte},
    TypeWord{"Integer1", dao::Byte},
    TypeWord{"TinyInt", dao::Byte},
    TypeWord{"Short", dao::Integer},
    TypeWord{"SmallInt", dao::Integer},
    TypeWord{"Integer2", dao::Integer},
    TypeWord{"Long", dao::Long},
    TypeWord{"Int", dao::Long},
    TypeWord{"Integer", dao::Long},
    TypeWord{"Integer4", dao::Long},
    TypeWord{"Counter", dao::Long},
    TypeWord{"AutoIncrement", dao::Long},
    TypeWord{"Currency", dao::Currency},
    TypeWord{"Money", dao::Currency},
    TypeWord{"Single", dao::Single},
    TypeWord{"Real", dao::Single},
    TypeWord{"Float4", dao::Single},
    TypeWord{"IEEESingle", dao::Single},
    TypeWord{"Double", dao::Double},
    TypeWord{"Float", dao::Double},
    TypeWord{"Float8", dao::Double},
    TypeWord{"IEEEDouble", dao::Double},
    TypeWord{"Number", dao::Double},
    TypeWord{"DateTime", dao::Date},
    TypeWord{"Date", dao::Date},
    TypeWord{"Time", dao::Date},
    TypeWord{"TimeStamp", dao::Date},
    TypeWord{"Binary", dao::Binary},
    TypeWord{"VarBinary", dao::Binary},
    TypeWord{"Text", dao::Text},
    TypeWord{"Char", dao::Text},
    TypeWord{"VarChar", dao::Text},
    TypeWord{"String", dao::Text},
    TypeWord{"Alphanumeric", dao::Text},
    TypeWord{"NChar", dao::Text},
    TypeWord{"NVarChar", dao::Text},
    TypeWord{"Value", dao::Text},
    TypeWord{"LongBinary", dao::LongBinary},
    TypeWord{"OLEObject", dao::LongBinary},
    TypeWord{"General", dao::LongBinary},
    TypeWord{"Image", dao::LongBinary},
    TypeWord{"Memo", dao::Memo},
    TypeWord{"LongText", dao::Memo},
    TypeWord{"LongChar", dao::Memo},
    TypeWord{"Note", dao::Memo},
    TypeWord{"NText", dao::Memo},
    TypeWord{"Guid", dao::GUID},
    TypeWord{"UniqueIdentifier", dao::GUID},
    TypeWord{"Decimal", dao::Decimal},
    TypeWord{"Numeric", dao::Decimal},
    TypeWord{"Dec", dao::Decimal},
};

bool isOp(const Token& t, Op op) {
    return t.kind == TokenKind::Op && t.op == op;
}

bool isWord(const Token& t, Kw kw) {
    return t.kind == TokenKind::Word && Keyword::lookup(t.raw) == kw;
}

[[noreturn]] void parameterSyntax(std::string_view detail) {
    throwSqlError(err::SyntaxInParameters, fmt::format("Syntax error in PARAMETER clause: {}.", detail));
}

// PARAMETERS name type [(size)], ... ; — answers the index of the first token after the ';'.
std::size_t readParameters(const std::vector<Token>& tokens, std::vector<AccessParameter>& out) {
    std::size_t i = 1;
    for (;;) {
        AccessParameter p;
        // The name: a word or [bracketed name], possibly a path such as [Forms]![f]![c].
        for (;;) {
            const Token& t = tokens[i];
            if (t.kind == TokenKind::Name)
                p.name.append(SqlLexer::nameValue(t));
            else if (t.kind == TokenKind::Word)
                p.name.append(t.raw);
            else
                parameterSyntax("a parameter name is missing");
            ++i;
            if (!(isOp(tokens[i], Op::Dot) || isOp(tokens[i], Op::Bang)) ||
                (tokens[i + 1].kind != TokenKind::Name && tokens[i + 1].kind != TokenKind::Word))
                break;
            p.name.push_back(tokens[i].raw.front());
            ++i;
        }
        const Token& type = tokens[i];
        if (type.kind != TokenKind::Word) parameterSyntax(fmt::format("the type of '{}' is missing", p.name));
        p.typeName = type.raw;
        bool known = false;
        for (const TypeWord& w : kTypeWords) {
            if (Keyword::equalsNoCase(w.word, type.raw)) {
                p.daoType = w.daoType;
                known = true;
                break;
            }
        }
        if (!known) parameterSyntax(fmt::format("'{}' is not a data type", type.raw));
        ++i;
        if (isOp(tokens[i], Op::LParen)) { // Text(50), Decimal(18, 2)
            ++i;
            if (tokens[i].kind != TokenKind::Number) parameterSyntax(fmt::format("the size of '{}'", p.name));
            p.size = std::atoi(std::string(tokens[i].raw).c_str());
            ++i;
            while (isOp(tokens[i], Op::Comma) && tokens[i + 1].kind == TokenKind::Number)
                i += 2;
            if (!isOp(tokens[i], Op::RParen)) parameterSyntax(fmt::format("the size of '{}'", p.name));
            ++i;
        }
        p.bindName = ":p" + std::to_string(out.size() + 1);
        for (const AccessParameter& q : out)
            if (Keyword::equalsNoCase(q.name, p.name))
                parameterSyntax(fmt::format("'{}' is declared twice", p.name));
        out.push_back(std::move(p));
        if (isOp(tokens[i], Op::Comma)) {
            ++i;
            continue;
        }
        if (isOp(tokens[i], Op::Semicolon)) return i + 1;
        throwSqlError(err::SyntaxInParameters);
    }
}

// The end of the statement: its first ';' outside parentheses. Only more semicolons and blanks
// may follow it.
std::size_t statementEnd(const std::vector<Token>& tokens, std::size_t begin) {
    for (std::size_t i = begin; i < tokens.size(); ++i) {
        if (!isOp(tokens[i], Op::Semicolon)) continue;
        for (std::size_t j = i + 1; j < tokens.size(); ++j)
            if (tokens[j].kind != TokenKind::End && !isOp(tokens[j], Op::Semicolon))
                throwSqlError(err::CharactersAfterEnd);
        return i;
    }
    return tokens.size() - 1; // the End token
}

StatementKind kindOf(const Token& first) {
    if (isOp(first, Op::LParen)) return StatementKind::Select;
    if (first.kind == TokenKind::Word) {
        switch (Keyword::lookup(first.raw)) {
        case Kw::Select:
            return StatementKind::Select;
        case Kw::Insert:
            return StatementKind::Insert;
        case Kw::Update:
            return StatementKind::Update;
        case Kw::Delete:
            return StatementKind::Delete;
        case Kw::Create:
        case Kw::Drop:
        case Kw::Alter:
            return StatementKind::DataDefinition;
        case Kw::Transform:
            throwSqlError(err::NotSupported, "Crosstab queries (TRANSFORM ... PIVOT) are not supported.");
        case Kw::Procedure:
            throwSqlError(err::NotSupported, "PROCEDURE clauses are not supported.");
        default:
            break;
        }
    }
    throwSqlError(err::InvalidStatement);
}

} // namespace

TranslatedSql AccessSqlTranslator::translate(std::string_view accessSql) {
    static const TranslateOptions none;
    return translate(accessSql, none);
}

TranslatedSql AccessSqlTranslator::translate(std::string_view accessSql, const TranslateOptions& options) {
    const std::vector<Token> tokens = SqlLexer::tokenize(accessSql);
    TranslatedSql result;
    std::size_t begin = 0;
    if (isWord(tokens[0], Kw::Parameters)) begin = readParameters(tokens, result.parameters);
    if (isWord(tokens[begin], Kw::Transform)) {
        // With its headings listed, a crosstab is a plain grouped SELECT; without, its columns
        // come from the data, which whoever runs it lists first (Crosstab::headingsSql).
        const auto crosstab = Crosstab::parse(accessSql);
        if (crosstab && crosstab->hasFixedHeadings())
            return translate(crosstab->expand(crosstab->fixedHeadings()), options);
        throwSqlError(err::NotSupported,
                      "A crosstab query (TRANSFORM ... PIVOT) without an IN list takes its "
                      "columns from the data; it runs only where the data is at hand.");
    }
    const std::size_t end = statementEnd(tokens, begin);
    if (begin >= end)
        throwSqlError(
            err::InvalidStatement,
            "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'.");
    StatementTranslator statement(accessSql, tokens, begin, end, result.parameters, options,
                                  kindOf(tokens[begin]));
    result.sql = statement.translate();
    result.kind = statement.kind();
    return result;
}

std::string AccessSqlTranslator::translateExpression(std::string_view expression) {
    std::size_t start = expression.find_first_not_of(" \t\r\n");
    if (start != std::string_view::npos && expression[start] == '=') ++start;
    const std::string_view body =
        start == std::string_view::npos ? std::string_view{} : expression.substr(start);
    const bool blank = body.find_first_not_of(" \t\r\n") == std::string_view::npos;
    // A comma, a clause word or a semicolon outside parentheses would make the SELECT more
    // than one expression.
    const std::vector<Token> tokens = SqlLexer::tokenize(body);
    bool single = !blank;
    int depth = 0;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (isOp(t, Op::LParen))
            ++depth;
        else if (isOp(t, Op::RParen))
            --depth;
        if (depth > 0) continue;
        const Kw kw = t.kind == TokenKind::Word ? Keyword::lookup(t.raw) : Kw::None;
        const bool call =
            (kw == Kw::Left || kw == Kw::Right || kw == Kw::Asc) && isOp(tokens[i + 1], Op::LParen);
        if ((Keyword::isClause(kw) && !call) || isOp(t, Op::Comma) || isOp(t, Op::Semicolon)) single = false;
    }
    std::string sql;
    try {
        sql = translate(fmt::format("SELECT {}", body)).sql;
    } catch (const NumberedError&) {
        single = false;
    }
    if (!single || sql.compare(0, 7, "SELECT ") != 0)
        throwSqlError(err::SyntaxInExpression,
                      fmt::format("Syntax error (missing operator) in query expression '{}'.", body));
    return sql.substr(7);
}

std::string AccessSqlTranslator::dateLiteral(double oleDate) {
    if (!OleDateTime::isInDateRange(oleDate))
        throw NumberedError(
            err::Overflow, kTranslatorSource,
            fmt::format("The value {} is not a date between the years 100 and 9999.", oleDate));
    return "'" + AccessDate::toText(AccessDate::fromOle(oleDate)) + "'";
}

} // namespace qv::accesssql
