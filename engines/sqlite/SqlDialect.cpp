// Statements are translated by the Access SQL translator; this file adds what only the engine
// knows (the open database's column types) and the conversions of the few SQL fragments the
// catalogue hands out (default values, view bodies), which must read the way the product's own
// queries read because the product sends them back to us.
#include "engines/sqlite/SqlDialect.h"

#include "engines/accesssql/AccessFunctions.h"
#include "engines/accesssql/AccessSqlTranslator.h"
#include "engines/accesssql/Crosstab.h"
#include "engines/sqlite/EngineErrors.h"
#include "engines/sqlite/SqliteHandle.h"
#include "engines/sqlite/Statement.h"
#include "platform/NameQuote.h"
#include "platform/TextUtil.h"

#include <cctype>
#include <fmt/format.h>
#include <optional>
#include <strings.h>

namespace qv::engine {

namespace {

DialectStatement fromTranslated(accesssql::TranslatedSql t) {
    DialectStatement out;
    out.sql = std::move(t.sql);
    out.kind = t.kind;
    for (auto& p : t.parameters)
        out.parameters.push_back({std::move(p.name), p.daoType, std::move(p.bindName)});
    return out;
}

// Whether the text can hold a crosstab at all, so that every other statement skips its parse.
bool mentionsTransform(std::string_view sql) {
    static constexpr std::string_view Word = "TRANSFORM";
    for (std::size_t i = 0; i + Word.size() <= sql.size(); ++i)
        if (TextUtil::equalsIgnoreCase(sql.substr(i, Word.size()), Word)) return true;
    return false;
}

std::optional<accesssql::Crosstab> crosstabOf(std::string_view sql) {
    if (!mentionsTransform(sql)) return std::nullopt;
    return accesssql::Crosstab::parse(sql);
}

// A crosstab whose headings come from the data, its headings read from the open database: the
// grouped SELECT with one column per heading value. Nothing for any other statement.
std::optional<std::string> expandCrosstab(std::string_view sql, const SqliteHandle& handle) {
    const auto crosstab = crosstabOf(sql);
    if (!crosstab || crosstab->hasFixedHeadings()) return std::nullopt;
    const std::string source = "Crosstab";
    return crosstab->expand(crosstab->listHeadings(source, [&](const std::string& headings, const auto& add) {
        Statement statement(handle.db(), headings, source);
        while (statement.step())
            add(statement.value(0));
    }));
}

// True when s is one group "( ... )" whose first parenthesis closes at the very end.
bool wholeGroup(std::string_view s) {
    if (s.size() < 2 || s.front() != '(' || s.back() != ')') return false;
    int depth = 0;
    char quote = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '\'' || c == '"')
            quote = c;
        else if (c == '(')
            ++depth;
        else if (c == ')' && --depth == 0 && i + 1 != s.size())
            return false;
    }
    return true;
}

// 'it''s' -> "it's", with double quotes doubled; anything else is not one text literal.
bool sqliteTextToProduct(std::string_view s, std::string& out) {
    if (s.size() < 2 || s.front() != '\'' || s.back() != '\'') return false;
    std::string text = "\"";
    for (std::size_t i = 1; i + 1 < s.size(); ++i) {
        if (s[i] == '\'') {
            if (s[i + 1] != '\'' || i + 2 >= s.size()) return false; // two literals, not one
            ++i;
        }
        if (s[i] == '"') text += '"';
        text += s[i];
    }
    out = text + "\"";
    return true;
}

bool isWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || (static_cast<unsigned char>(c) & 0x80);
}

bool sameWord(std::string_view a, const char* b) {
    const std::size_t n = std::char_traits<char>::length(b);
    return a.size() == n && strncasecmp(a.data(), b, n) == 0;
}

// Words that end a column's DEFAULT expression: the next constraint of the column.
bool endsDefault(std::string_view word) {
    for (const char* w :
         {"NOT", "NULL", "PRIMARY", "UNIQUE", "CHECK", "REFERENCES", "CONSTRAINT", "COLLATE"}) {
        if (sameWord(word, w)) return true;
    }
    return false;
}

// The end of the quoted or bracketed token that starts at i (one past its closing character).
std::size_t skipQuoted(std::string_view s, std::size_t i) {
    const char close = s[i] == '[' ? ']' : s[i];
    std::size_t e = i + 1;
    while (e < s.size()) {
        if (s[e] == close) {
            // A doubled delimiter stands for one, in names ("[a]]b]") as in literals.
            if (close != '#' && e + 1 < s.size() && s[e + 1] == close) {
                e += 2;
                continue;
            }
            return e + 1;
        }
        ++e;
    }
    return s.size();
}

bool startsDefinition(std::string_view sql) {
    sql = TextUtil::trim(sql);
    std::size_t n = 0;
    while (n < sql.size() && isWordChar(sql[n]))
        ++n;
    return sameWord(sql.substr(0, n), "CREATE") || sameWord(sql.substr(0, n), "ALTER");
}

} // namespace

std::string SqlDialect::groupDefaults(std::string_view sql) {
    if (!startsDefinition(sql)) return std::string(sql);
    std::string out;
    std::size_t i = 0;
    while (i < sql.size()) {
        const char c = sql[i];
        if (c == '\'' || c == '"' || c == '[' || c == '`' || c == '#') {
            const std::size_t e = skipQuoted(sql, i);
            out.append(sql.substr(i, e - i));
            i = e;
            continue;
        }
        if (!isWordChar(c)) {
            out += c;
            ++i;
            continue;
        }
        std::size_t e = i;
        while (e < sql.size() && isWordChar(sql[e]))
            ++e;
        const std::string_view word = sql.substr(i, e - i);
        out.append(word);
        i = e;
        if (!sameWord(word, "DEFAULT")) continue;
        // The expression runs to the next top-level comma, closing parenthesis or constraint.
        std::size_t start = i;
        while (start < sql.size() && std::isspace(static_cast<unsigned char>(sql[start])))
            ++start;
        std::size_t end = start;
        int depth = 0;
        while (end < sql.size()) {
            const char d = sql[end];
            if (d == '\'' || d == '"' || d == '[' || d == '`' || d == '#') {
                end = skipQuoted(sql, end);
                continue;
            }
            if (d == '(') ++depth;
            if (d == ')') {
                if (depth == 0) break;
                --depth;
            }
            if (d == ',' && depth == 0) break;
            if (isWordChar(d)) {
                std::size_t w = end;
                while (w < sql.size() && isWordChar(sql[w]))
                    ++w;
                if (depth == 0 && end > start && endsDefault(sql.substr(end, w - end))) break;
                end = w;
                continue;
            }
            ++end;
        }
        const std::string_view expression = TextUtil::trim(sql.substr(start, end - start));
        if (expression.empty() || sameWord(expression, "NULL") || wholeGroup(expression)) continue;
        out.append(sql.substr(i, start - i));
        out += "(";
        out.append(expression);
        out += ") ";
        i = start + expression.size();
    }
    return out;
}

DialectStatement SqlDialect::translate(std::string_view sql, const SqliteHandle& handle) {
    SchemaTypes& types = handle.schemaTypes();
    types.refreshIfChanged(handle.db());
    accesssql::TranslateOptions options;
    options.columnType = [&types](std::string_view qualifier, std::string_view column) {
        return types.columnType(qualifier, column);
    };
    options.isYesNoColumn = [&types](std::string_view qualifier, std::string_view column) {
        return types.columnType(qualifier, column) == accesssql::ColumnType::YesNo;
    };
    options.isTable = [&types](std::string_view name) { return types.hasTable(name); };
    if (const auto expanded = expandCrosstab(sql, handle))
        return fromTranslated(accesssql::AccessSqlTranslator::translate(*expanded, options));
    return fromTranslated(accesssql::AccessSqlTranslator::translate(groupDefaults(sql), options));
}

void SqlDialect::check(std::string_view sql) {
    const auto crosstab = crosstabOf(sql);
    if (crosstab && !crosstab->hasFixedHeadings()) {
        translate(crosstab->headingsSql());
        translate(crosstab->expand({accesssql::Crosstab::nullHeading()}));
        return;
    }
    translate(sql);
}

DialectStatement SqlDialect::translate(std::string_view sql) {
    return fromTranslated(accesssql::AccessSqlTranslator::translate(groupDefaults(sql)));
}

void SqlDialect::prepareConnection(SqliteRef db) {
    accesssql::AccessFunctions::registerAll(db);
}

std::string SqlDialect::defaultForProduct(std::string_view sqliteDefault) {
    std::string_view s = TextUtil::trim(sqliteDefault);
    while (wholeGroup(s))
        s = TextUtil::trim(s.substr(1, s.size() - 2));
    std::string text;
    if (sqliteTextToProduct(s, text)) return text;
    if (s.size() == 12 && strncasecmp(s.data(), "CURRENT_DATE", 12) == 0) return "Date()";
    if (s.size() == 12 && strncasecmp(s.data(), "CURRENT_TIME", 12) == 0) return "Time()";
    return std::string(s);
}

std::string SqlDialect::toProductText(std::string_view sql) {
    std::string out;
    out.reserve(sql.size());
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (c == '\'' || c == '[' || c == '`') {
            // A text literal or an already bracketed name is copied whole.
            const char close = c == '[' ? ']' : c;
            std::size_t e = i + 1;
            while (e < sql.size()) {
                if (sql[e] == close) {
                    if (close == '\'' && e + 1 < sql.size() && sql[e + 1] == '\'') {
                        e += 2;
                        continue;
                    }
                    break;
                }
                ++e;
            }
            out.append(sql.substr(i, e - i + 1));
            i = e;
            continue;
        }
        if (c == '"') {
            std::string name;
            std::size_t e = i + 1;
            for (; e < sql.size(); ++e) {
                if (sql[e] == '"') {
                    if (e + 1 < sql.size() && sql[e + 1] == '"') {
                        name += '"';
                        ++e;
                        continue;
                    }
                    break;
                }
                name += sql[e];
            }
            out += NameQuote::bracketed(name);
            i = e;
            continue;
        }
        out += c;
    }
    return out;
}

} // namespace qv::engine
