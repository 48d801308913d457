// Cut at the top-level clause words of the token stream, so words inside parentheses, strings
// and brackets never split the statement. The value expression is rewritten call by call: every
// aggregate's argument list is wrapped in the heading's condition, which keeps Count(*) and
// expressions over several aggregates (Sum(a)/Count(b)) meaning what they meant per heading.
#include "engines/accesssql/Crosstab.h"

#include "engines/accesssql/AccessSqlErrors.h"
#include "engines/accesssql/AccessSqlTranslator.h"
#include "engines/accesssql/Keyword.h"
#include "engines/accesssql/SqlLexer.h"
#include "platform/NameQuote.h"
#include "platform/OleDateTime.h"

#include <array>
#include <fmt/format.h>

namespace qv::accesssql {

namespace {

bool isWord(const Token& t, Kw kw) {
    return t.kind == TokenKind::Word && Keyword::lookup(t.raw) == kw;
}
bool isOp(const Token& t, Op op) {
    return t.kind == TokenKind::Op && t.op == op;
}

bool isAggregate(std::string_view word) {
    static constexpr std::array<std::string_view, 11> names = {
        "Sum", "Count", "Avg", "Min", "Max", "First", "Last", "StDev", "StDevP", "Var", "VarP"};
    for (std::string_view n : names)
        if (Keyword::equalsNoCase(n, word)) return true;
    return false;
}

[[noreturn]] void malformed(const std::string& what) {
    throwSqlError(err::NotSupported, fmt::format("The crosstab query has no {}.", what));
}

std::string trimmed(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r' || s[b] == '\n'))
        ++b;
    while (e > b &&
           (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r' || s[e - 1] == '\n' || s[e - 1] == ';'))
        --e;
    return std::string(s.substr(b, e - b));
}

} // namespace

std::optional<Crosstab> Crosstab::parse(std::string_view sql) {
    const std::vector<Token> tokens = SqlLexer::tokenize(sql);
    std::size_t begin = 0;
    if (isWord(tokens[0], Kw::Parameters)) {
        while (tokens[begin].kind != TokenKind::End && !isOp(tokens[begin], Op::Semicolon))
            ++begin;
        if (tokens[begin].kind == TokenKind::End) return std::nullopt;
        ++begin;
    }
    if (!isWord(tokens[begin], Kw::Transform)) return std::nullopt;
    Crosstab c;
    c.mPrefix = std::string(sql.substr(0, tokens[begin].pos));
    // Positions of the top-level clause words.
    std::size_t select = 0, from = 0, group = 0, pivot = 0, in = 0, end = 0;
    int depth = 0;
    for (std::size_t i = begin + 1; tokens[i].kind != TokenKind::End; ++i) {
        const Token& t = tokens[i];
        if (isOp(t, Op::LParen)) ++depth;
        if (isOp(t, Op::RParen)) --depth;
        if (depth != 0) continue;
        if (!select && isWord(t, Kw::Select))
            select = i;
        else if (select && !from && !pivot && isWord(t, Kw::From))
            from = i;
        else if (from && !group && !pivot && isWord(t, Kw::Group))
            group = i;
        else if (select && !pivot && isWord(t, Kw::Pivot))
            pivot = i;
        else if (pivot && !in && isWord(t, Kw::In))
            in = i;
        else if (isOp(t, Op::Semicolon) && !end)
            end = i;
    }
    if (!select) malformed("SELECT");
    if (!from) malformed("FROM clause");
    if (!pivot) malformed("PIVOT clause");
    if (!group || group > pivot) malformed("GROUP BY clause");
    const std::size_t stop = end ? tokens[end].pos : sql.size();
    auto text = [&](std::size_t a, std::size_t b) {
        return trimmed(sql.substr(tokens[a].pos, tokens[b].pos - tokens[a].pos));
    };

    // The value: the text up to SELECT, less a trailing "AS alias".
    std::size_t valueEnd = select;
    for (std::size_t i = begin + 1, d = 0; i < select; ++i) {
        if (isOp(tokens[i], Op::LParen)) ++d;
        if (isOp(tokens[i], Op::RParen)) --d;
        if (d == 0 && isWord(tokens[i], Kw::As)) valueEnd = i;
    }
    if (valueEnd == begin + 1) malformed("value to show");
    c.mValue = text(begin + 1, valueEnd);
    bool aggregated = false;
    for (std::size_t i = begin + 1; i + 1 < valueEnd; ++i)
        if (tokens[i].kind == TokenKind::Word && isOp(tokens[i + 1], Op::LParen) &&
            isAggregate(tokens[i].raw))
            aggregated = true;
    if (!aggregated) malformed("aggregate (Sum, Count, Avg, ...) to show");

    c.mSelectList = text(select + 1, from);
    c.mFromWhere = text(from, group);
    c.mGrouping = text(group, pivot);
    const std::size_t pivotEnd = in ? in : (end ? end : tokens.size() - 1);
    c.mPivot = trimmed(
        sql.substr(tokens[pivot + 1].pos,
                   (pivotEnd == tokens.size() - 1 ? stop : tokens[pivotEnd].pos) - tokens[pivot + 1].pos));
    if (c.mPivot.empty()) malformed("heading to pivot on");
    if (in) {
        std::size_t i = in + 1;
        if (!isOp(tokens[i], Op::LParen)) malformed("list of headings after IN");
        for (++i; tokens[i].kind != TokenKind::End && !isOp(tokens[i], Op::RParen); ++i) {
            const Token& t = tokens[i];
            if (isOp(t, Op::Comma)) continue;
            bool negative = false;
            if (isOp(t, Op::Minus) && tokens[i + 1].kind == TokenKind::Number) {
                negative = true;
                ++i;
            }
            const Token& v = tokens[i];
            if (v.kind == TokenKind::String)
                c.mFixed.push_back(textHeading(SqlLexer::stringValue(v)));
            else if (v.kind == TokenKind::Number)
                c.mFixed.push_back(numberHeading((negative ? "-" : "") + std::string(v.raw)));
            else if (isWord(v, Kw::Null))
                c.mFixed.push_back(nullHeading());
            else
                throwSqlError(err::NotSupported,
                              fmt::format("A crosstab heading must be a text or a number, not '{}'.", v.raw));
        }
        if (c.mFixed.empty()) malformed("headings in its IN list");
    }
    return c;
}

Crosstab::Heading Crosstab::textHeading(const std::string& text) {
    std::string literal = "'";
    for (char ch : text)
        literal += ch == '\'' ? std::string("''") : std::string(1, ch);
    return {literal + "'", text};
}

Crosstab::Heading Crosstab::numberHeading(const std::string& digits) {
    return {digits, digits};
}

Crosstab::Heading Crosstab::headingOf(const Variant& value) {
    if (value.isNull() || value.isEmpty()) return nullHeading();
    if (value.type() == VarType::String) return textHeading(value.toString());
    if (value.type() == VarType::Date) {
        const std::string iso = OleDateTime::toIsoText(value.toDouble());
        return {"#" + iso + "#", iso};
    }
    return numberHeading(value.toString());
}

std::vector<Crosstab::Heading> Crosstab::listHeadings(const std::string& source,
                                                      const HeadingRows& readRows) const {
    const TranslatedSql headings = AccessSqlTranslator::translate(headingsSql());
    if (!headings.parameters.empty())
        throw NumberedError(
            3708, source,
            fmt::format("The crosstab query needs a value for '{}' to list its column headings; give its "
                        "headings an IN list to run it with parameters.",
                        headings.parameters[0].name));
    std::vector<Heading> list;
    readRows(headings.sql, [&](const Variant& value) {
        if (list.size() == MaxColumns)
            throw NumberedError(
                err::NotSupported, source,
                fmt::format("The crosstab query has more than {} column headings.", MaxColumns));
        list.push_back(headingOf(value));
    });
    return list;
}

std::string Crosstab::headingsSql() const {
    return fmt::format("{}SELECT DISTINCT {} {} ORDER BY {}", mPrefix, mPivot, mFromWhere, mPivot);
}

std::string Crosstab::expand(const std::vector<Heading>& headings) const {
    const std::vector<Token> tokens = SqlLexer::tokenize(mValue);
    std::string columns;
    for (const Heading& h : headings) {
        const std::string condition = h.literal == "Null" ? fmt::format("({}) Is Null", mPivot)
                                                          : fmt::format("({}) = {}", mPivot, h.literal);
        // Each aggregate's arguments become IIf(condition, arguments, Null); Count(*) counts 1s.
        std::string value;
        std::size_t copied = 0;
        for (std::size_t i = 0; tokens[i].kind != TokenKind::End; ++i) {
            if (!(tokens[i].kind == TokenKind::Word && isOp(tokens[i + 1], Op::LParen) &&
                  isAggregate(tokens[i].raw)))
                continue;
            std::size_t close = i + 2;
            for (int d = 0; tokens[close].kind != TokenKind::End; ++close) {
                if (isOp(tokens[close], Op::LParen)) ++d;
                if (isOp(tokens[close], Op::RParen) && d-- == 0) break;
            }
            if (tokens[close].kind == TokenKind::End) break;
            const std::size_t argsBegin = tokens[i + 2].pos;
            std::string args = trimmed(mValue.substr(argsBegin, tokens[close].pos - argsBegin));
            if (args == "*") args = "1";
            value += mValue.substr(copied, argsBegin - copied);
            value += fmt::format("IIf({}, {}, Null)", condition, args);
            copied = tokens[close].pos;
            i = close;
        }
        value += mValue.substr(copied);
        columns += fmt::format(", {} AS {}", value, NameQuote::bracketed(h.name));
    }
    return fmt::format("{}SELECT {}{} {} {}", mPrefix, mSelectList, columns, mFromWhere, mGrouping);
}

} // namespace qv::accesssql
