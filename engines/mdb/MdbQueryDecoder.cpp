#include "engines/mdb/MdbQueryDecoder.h"

#include "engines/sqlite/EngineErrors.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <cctype>
#include <fmt/format.h>
#include <glib.h>
#include <string_view>

namespace qv::engine {

namespace {

enum Attribute {
    TypeRow = 1,
    Parameter = 2,
    Flags = 3,
    RemoteDatabase = 4,
    Table = 5,
    Column = 6,
    Join = 7,
    Where = 8,
    GroupBy = 9,
    Having = 10,
    OrderBy = 11
};

// Option bits of the flags row.
constexpr long SelectStar = 1;
constexpr long Distinct = 2;
constexpr long OwnerAccess = 4;
constexpr long DistinctRow = 8;
constexpr long Top = 16;
constexpr long Percent = 32;

// Append queries mark columns that only carry criteria.
constexpr long CriteriaOnly = 0x8000;

std::vector<const MdbQueryRow*> rowsOf(const std::vector<MdbQueryRow>& rows, int attribute) {
    std::vector<const MdbQueryRow*> out;
    for (const auto& r : rows)
        if (r.attribute == attribute) out.push_back(&r);
    return out;
}

std::string joinList(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& i : items)
        out += (out.empty() ? "" : ", ") + i;
    return out;
}

struct FromPart {
    std::vector<std::string> keys; // table names or aliases it holds
    std::string text;
    bool joined = false;
};

[[noreturn]] void damaged(const std::string& name, const std::string& source, const std::string& why) {
    throw EngineErrors::make(err::UnrecognisedFormat, source,
                             fmt::format("The saved query '{}' cannot be read: {}", name, why));
}

std::string fromClause(const std::string& name, const std::vector<MdbQueryRow>& rows,
                       const std::string& source) {
    std::vector<FromPart> parts;
    for (const auto* t : rowsOf(rows, Table)) {
        FromPart p;
        std::string text = t->expression.empty()
                               ? MdbQueryDecoder::bracketed(t->name1)
                               : "[" + t->expression + "]." + MdbQueryDecoder::bracketed(t->name1);
        if (!t->name2.empty()) text += " AS " + MdbQueryDecoder::bracketed(t->name2);
        p.keys.push_back(t->name2.empty() ? t->name1 : t->name2);
        p.text = std::move(text);
        parts.push_back(std::move(p));
    }
    auto find = [&](const std::string& key) {
        for (std::size_t i = 0; i < parts.size(); ++i)
            if (std::find(parts[i].keys.begin(), parts[i].keys.end(), key) != parts[i].keys.end()) return i;
        damaged(name, source, fmt::format("a join names '{}', which is not among its tables.", key));
    };
    const auto joins = rowsOf(rows, Join);
    for (std::size_t j = 0; j < joins.size();) {
        // Consecutive joins between the same two tables are one join on several conditions.
        std::size_t k = j + 1;
        while (k < joins.size() && joins[k]->name1 == joins[j]->name1 && joins[k]->name2 == joins[j]->name2 &&
               joins[k]->flag == joins[j]->flag)
            ++k;
        std::string condition;
        if (k - j == 1) {
            condition = joins[j]->expression;
        } else {
            for (std::size_t i = j; i < k; ++i)
                condition += (i == j ? "(" : " AND (") + joins[i]->expression + ")";
        }
        const char* kind = joins[j]->flag == 1   ? "INNER"
                           : joins[j]->flag == 2 ? "LEFT"
                           : joins[j]->flag == 3 ? "RIGHT"
                                                 : nullptr;
        if (!kind) damaged(name, source, fmt::format("unknown join kind {}.", joins[j]->flag));
        const std::size_t left = find(joins[j]->name1);
        const std::size_t right = find(joins[j]->name2);
        if (left == right) damaged(name, source, "a join joins a table with itself.");
        FromPart merged;
        merged.joined = true;
        merged.keys = parts[left].keys;
        merged.keys.insert(merged.keys.end(), parts[right].keys.begin(), parts[right].keys.end());
        auto wrap = [](const FromPart& p) { return p.joined ? "(" + p.text + ")" : p.text; };
        merged.text = wrap(parts[left]) + " " + kind + " JOIN " + wrap(parts[right]) + " ON " + condition;
        parts.erase(parts.begin() + static_cast<std::ptrdiff_t>(std::max(left, right)));
        parts.erase(parts.begin() + static_cast<std::ptrdiff_t>(std::min(left, right)));
        parts.push_back(std::move(merged));
        j = k;
    }
    std::vector<std::string> texts;
    for (const auto& p : parts)
        texts.push_back(p.text);
    std::string from = joinList(texts);
    for (const auto* r : rowsOf(rows, RemoteDatabase)) {
        from += " IN '" + r->name1 + "'";
        if (!r->expression.empty()) from += " [" + r->expression + "]";
    }
    return from;
}

// As Access shows it: a name that is not a plain identifier in brackets, each part of a
// Forms!Form!Control reference bracketed on its own; an already bracketed name as it is.
std::string parameterName(const std::string& name, bool prompt = false) {
    if (prompt) return "[" + name + "]";
    if (name.empty() || name[0] == '[') return name;
    std::string out;
    std::size_t start = 0;
    for (;;) {
        const auto bang = name.find('!', start);
        const std::string part =
            name.substr(start, bang == std::string::npos ? std::string::npos : bang - start);
        out += MdbQueryDecoder::bracketed(part);
        if (bang == std::string::npos) break;
        out += '!';
        start = bang + 1;
    }
    return out;
}

std::string column(const MdbQueryRow& r) {
    return r.name1.empty() ? r.expression : r.expression + " AS " + MdbQueryDecoder::bracketed(r.name1);
}

std::string clauses(const std::vector<MdbQueryRow>& rows, bool groupAll) {
    std::string out;
    for (const auto* w : rowsOf(rows, Where))
        out += "\nWHERE " + w->expression;
    std::vector<std::string> group;
    for (const auto* g : rowsOf(rows, GroupBy))
        if (groupAll || (g->flag & 1) == 0) group.push_back(g->expression);
    if (!group.empty()) out += "\nGROUP BY " + joinList(group);
    for (const auto* h : rowsOf(rows, Having))
        out += "\nHAVING " + h->expression;
    std::vector<std::string> order;
    for (const auto* o : rowsOf(rows, OrderBy))
        order.push_back(o->expression + (o->name1 == "D" ? " DESC" : ""));
    if (!order.empty()) out += "\nORDER BY " + joinList(order);
    return out;
}

} // namespace

std::string MdbQueryDecoder::bracketed(const std::string& name) {
    if (name.empty()) return name;
    bool plain = !std::isdigit(static_cast<unsigned char>(name[0]));
    for (unsigned char c : name)
        if (!(std::isalnum(c) || c == '_' || c >= 0x80)) plain = false;
    return plain ? name : "[" + name + "]";
}

std::string MdbQueryDecoder::parameterTypeName(int daoType) {
    switch (daoType) {
    case 1:
        return "Bit";
    case 2:
        return "Byte";
    case 3:
        return "Short";
    case 4:
        return "Long";
    case 5:
        return "Currency";
    case 6:
        return "IEEESingle";
    case 7:
        return "IEEEDouble";
    case 8:
        return "DateTime";
    case 9:
        return "Binary";
    case 10:
        return "Text";
    case 11:
        return "LongBinary";
    case 12:
        return "Memo";
    case 15:
        return "Guid";
    case 16:
        return "BigInt";
    case 20:
        return "Decimal";
    default:
        return "Value";
    }
}

namespace {

// A name path's parts without their brackets, joined by their '!' or '.'.
std::string plainPath(const std::string& path) {
    std::string out;
    for (char c : path)
        if (c != '[' && c != ']') out += c;
    return out;
}

bool startsNoCase(const std::string& s, std::size_t at, std::string_view word) {
    return s.size() - at >= word.size() && g_ascii_strncasecmp(s.data() + at, word.data(), word.size()) == 0;
}

} // namespace

// Access asks for a form's or report's control as a parameter when the form is not open (it
// never is here). A reference the query does not declare is declared, as text, so that it is
// prompted for like any other parameter instead of failing as an unknown column.
void MdbQueryDecoder::declareFormReferences(MdbDecodedQuery& q, std::string& sql) {
    std::vector<std::string> known;
    for (const auto& p : q.parameters)
        known.push_back(plainPath(p.name));
    std::size_t body = 0;
    if (!q.parameters.empty()) body = sql.find(";\n") + 2;
    std::vector<MdbQueryParameter> added;
    for (std::size_t i = body; i < sql.size();) {
        const char c = sql[i];
        if (c == '"' || c == '\'') {
            const auto e = sql.find(c, i + 1);
            i = e == std::string::npos ? sql.size() : e + 1;
            continue;
        }
        const bool boundary = i == 0 || !(g_ascii_isalnum(sql[i - 1]) || sql[i - 1] == '_' ||
                                          sql[i - 1] == ']' || sql[i - 1] == '!' || sql[i - 1] == '.');
        std::size_t head = 0;
        for (std::string_view w : {"[Forms]!", "Forms!", "[Reports]!", "Reports!"})
            if (boundary && startsNoCase(sql, i, w)) head = w.size();
        if (!head) {
            // A bracketed name is stepped over whole: "[Forms!x]" inside one is a name.
            const auto close = c == '[' ? sql.find(']', i) : std::string::npos;
            i = c != '[' ? i + 1 : close == std::string::npos ? sql.size() : close + 1;
            continue;
        }
        std::size_t e = i + head;
        for (;;) {
            if (e < sql.size() && sql[e] == '[') {
                const auto close = sql.find(']', e);
                e = close == std::string::npos ? sql.size() : close + 1;
            } else {
                while (e < sql.size() && (g_ascii_isalnum(sql[e]) || sql[e] == '_'))
                    ++e;
            }
            if (e + 1 < sql.size() && (sql[e] == '!' || sql[e] == '.') &&
                (sql[e + 1] == '[' || g_ascii_isalnum(sql[e + 1]) || sql[e + 1] == '_'))
                ++e;
            else
                break;
        }
        const std::string name = plainPath(sql.substr(i, e - i));
        bool seen = false;
        for (const auto& k : known)
            seen = seen || g_ascii_strcasecmp(k.c_str(), name.c_str()) == 0;
        if (!seen) {
            known.push_back(name);
            added.push_back({name, 10});
        }
        i = e;
    }
    declareMore(q, sql, std::move(added));
}

namespace {

bool isWordChar(char c) {
    return g_ascii_isalnum(c) || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

// Walks the text outside its strings and dates, calling onName(name, start, end) for each
// bracketed name ([start, end) its brackets included) and onWord for each bare word.
void walkNames(const std::string& sql, std::size_t from,
               const std::function<void(const std::string&, std::size_t, std::size_t)>& onName,
               const std::function<void(std::size_t, std::size_t)>& onWord) {
    for (std::size_t i = from; i < sql.size();) {
        const char c = sql[i];
        if (c == '"' || c == '\'') {
            const auto e = sql.find(c, i + 1);
            i = e == std::string::npos ? sql.size() : e + 1;
        } else if (c == '#') {
            // A date literal is short and on one line; a lone '#' is left behind.
            const auto e = sql.find('#', i + 1);
            const bool date = e != std::string::npos && e - i < 40 && sql.find('\n', i) > e;
            i = date ? e + 1 : i + 1;
        } else if (c == '[') {
            const auto e = sql.find(']', i + 1);
            if (e == std::string::npos) return;
            onName(sql.substr(i + 1, e - i - 1), i, e + 1);
            i = e + 1;
        } else if (isWordChar(c)) {
            std::size_t e = i;
            while (e < sql.size() && isWordChar(sql[e]))
                ++e;
            onWord(i, e);
            i = e;
        } else {
            ++i;
        }
    }
}

// The word that ends just before `at`, blanks between skipped.
std::string wordBefore(const std::string& sql, std::size_t at) {
    std::size_t e = at;
    while (e > 0 && g_ascii_isspace(sql[e - 1]))
        --e;
    std::size_t b = e;
    while (b > 0 && isWordChar(sql[b - 1]))
        --b;
    return sql.substr(b, e - b);
}

char charBefore(const std::string& sql, std::size_t at) {
    while (at > 0 && g_ascii_isspace(sql[at - 1]))
        --at;
    return at > 0 ? sql[at - 1] : '\0';
}

char charAfter(const std::string& sql, std::size_t at) {
    while (at < sql.size() && g_ascii_isspace(sql[at]))
        ++at;
    return at < sql.size() ? sql[at] : '\0';
}

bool containsNoCase(const std::vector<std::string>& names, const std::string& name) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) {
        return g_ascii_strcasecmp(n.c_str(), name.c_str()) == 0;
    });
}

} // namespace

std::vector<std::string> MdbQueryDecoder::aliases(const std::string& sql) {
    std::vector<std::string> out;
    auto after = [&](std::size_t start) {
        return g_ascii_strcasecmp(wordBefore(sql, start).c_str(), "AS") == 0;
    };
    walkNames(
        sql, 0,
        [&](const std::string& name, std::size_t start, std::size_t) {
            if (after(start)) out.push_back(name);
        },
        [&](std::size_t start, std::size_t end) {
            if (after(start)) out.push_back(sql.substr(start, end - start));
        });
    return out;
}

// Access compiles a query against its tables and asks for every name it cannot resolve. Here
// only bracketed names are taken for prompts: a bare word may be a function or a keyword.
void MdbQueryDecoder::declarePrompts(MdbDecodedQuery& q, std::string& sql,
                                     const std::function<bool(const std::string&)>& isKnown) {
    std::vector<std::string> known;
    for (const auto& p : q.parameters)
        known.push_back(plainPath(p.name));
    const auto named = aliases(sql);
    known.insert(known.end(), named.begin(), named.end());
    const std::size_t body = q.parameters.empty() ? 0 : sql.find(";\n") + 2;
    std::vector<MdbQueryParameter> added;
    walkNames(
        sql, body,
        [&](const std::string& name, std::size_t start, std::size_t end) {
            // A part of a path (T.[c], [T].c, Forms![F]), an alias, a function: no prompt.
            const char before = charBefore(sql, start);
            const char next = end < sql.size() ? sql[end] : '\0';
            if (name.empty() || before == '.' || before == '!' || next == '.' || next == '!' ||
                charAfter(sql, end) == '(' || g_ascii_strcasecmp(wordBefore(sql, start).c_str(), "AS") == 0)
                return;
            if (containsNoCase(known, name) || isKnown(name)) return;
            known.push_back(name);
            added.push_back({name, 10, true});
        },
        [](std::size_t, std::size_t) {});
    declareMore(q, sql, std::move(added));
}

void MdbQueryDecoder::declareMore(MdbDecodedQuery& q, std::string& sql,
                                  std::vector<MdbQueryParameter> added) {
    if (added.empty()) return;
    const std::size_t body = q.parameters.empty() ? 0 : sql.find(";\n") + 2;
    std::string rest = sql.substr(body);
    for (auto& p : added)
        q.parameters.push_back(std::move(p));
    std::vector<std::string> declared;
    for (const auto& p : q.parameters)
        declared.push_back(parameterName(p.name, p.prompt) + " " + parameterTypeName(p.type));
    sql = "PARAMETERS " + joinList(declared) + ";\n" + rest;
}

MdbDecodedQuery MdbQueryDecoder::decode(const std::string& name, const std::vector<MdbQueryRow>& rows,
                                        const std::string& source, long objectFlags) {
    const auto types = rowsOf(rows, TypeRow);
    if (types.size() > 1) damaged(name, source, "it has more than one type row.");
    MdbQueryRow implied;
    if (types.empty()) {
        // The catalogue type (0 select, 16 crosstab, ... 128 union) as the type row's number.
        static constexpr int ByCatalogueType[] = {1, 6, 5, 4, 3, 2, 7, 8, 9};
        const long catalogueType = (objectFlags & 0xF0) >> 4;
        if (catalogueType > 8 || rows.empty()) damaged(name, source, "it has no type row.");
        implied.attribute = TypeRow;
        implied.flag = ByCatalogueType[catalogueType];
    }
    const MdbQueryRow& typeRow = types.empty() ? implied : *types[0];
    MdbDecodedQuery q;
    for (const auto* p : rowsOf(rows, Parameter))
        q.parameters.push_back({p->name1, static_cast<int>(p->flag)});
    std::string sql;
    if (!q.parameters.empty()) {
        std::vector<std::string> declared;
        for (const auto& p : q.parameters)
            declared.push_back(parameterName(p.name) + " " + parameterTypeName(p.type));
        sql = "PARAMETERS " + joinList(declared) + ";\n";
    }
    long options = 0;
    std::string topValue;
    for (const auto* f : rowsOf(rows, Flags)) {
        options = f->flag;
        topValue = f->name1;
    }
    auto selectHead = [&]() {
        std::string head = "SELECT ";
        if (options & Distinct)
            head += "DISTINCT ";
        else if (options & DistinctRow)
            head += "DISTINCTROW ";
        if ((options & Top) && !topValue.empty())
            head += "TOP " + topValue + ((options & Percent) ? " PERCENT " : " ");
        return head;
    };
    auto outputColumns = [&](bool skipCriteria) {
        std::vector<std::string> cols;
        for (const auto* c : rowsOf(rows, Column))
            if (!skipCriteria || (c->flag & CriteriaOnly) == 0) cols.push_back(column(*c));
        if (options & SelectStar) cols.push_back("*");
        return cols;
    };
    const std::string tail = (options & OwnerAccess) ? "\nWITH OWNERACCESS OPTION;" : ";";
    switch (typeRow.flag) {
    case 1: // select
        q.type = 0;
        sql += selectHead() + joinList(outputColumns(false)) + "\nFROM " + fromClause(name, rows, source) +
               clauses(rows, true) + tail;
        break;
    case 2: // make-table
        q.type = 80;
        sql += selectHead() + joinList(outputColumns(false)) + " INTO " + bracketed(typeRow.name1) +
               "\nFROM " + fromClause(name, rows, source) + clauses(rows, true) + tail;
        break;
    case 3: { // append
        q.type = 64;
        if (rowsOf(rows, Table).empty()) {
            // INSERT INTO t (columns) VALUES (values): no source tables, every column a value.
            std::vector<std::string> targets;
            std::vector<std::string> values;
            for (const auto* c : rowsOf(rows, Column)) {
                targets.push_back(bracketed(c->name2));
                values.push_back(c->expression);
            }
            if (values.empty()) damaged(name, source, "the append query has neither tables nor values.");
            sql += "INSERT INTO " + bracketed(typeRow.name1) + " (" + joinList(targets) + ")\nVALUES (" +
                   joinList(values) + ");";
            break;
        }
        std::vector<std::string> targets;
        bool complete = true;
        for (const auto* c : rowsOf(rows, Column)) {
            if (c->flag & CriteriaOnly) continue;
            if (c->name2.empty()) complete = false;
            targets.push_back(bracketed(c->name2));
        }
        // Without a target for every column, or with one named twice, the columns go by position.
        std::vector<std::string> sorted = targets;
        std::sort(sorted.begin(), sorted.end());
        complete = complete && std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end();
        sql += "INSERT INTO " + bracketed(typeRow.name1);
        if (complete && !targets.empty()) sql += " (" + joinList(targets) + ")";
        sql += "\n" + selectHead() + joinList(outputColumns(true)) + "\nFROM " +
               fromClause(name, rows, source) + clauses(rows, true) + tail;
        break;
    }
    case 4: { // update
        q.type = 48;
        std::vector<std::string> sets;
        for (const auto* c : rowsOf(rows, Column))
            sets.push_back(c->name2 + " = " + c->expression);
        sql += "UPDATE " + fromClause(name, rows, source) + "\nSET " + joinList(sets);
        for (const auto* w : rowsOf(rows, Where))
            sql += "\nWHERE " + w->expression;
        sql += ";";
        break;
    }
    case 5: // delete
        q.type = 32;
        sql += "DELETE " + joinList(outputColumns(false)) + "\nFROM " + fromClause(name, rows, source) +
               clauses(rows, true) + ";";
        break;
    case 6: { // crosstab
        q.type = 16;
        std::string value;
        std::string pivot;
        std::vector<std::string> headings;
        for (const auto* c : rowsOf(rows, Column)) {
            if (c->flag == 0)
                value = column(*c);
            else if (c->flag == 1)
                pivot = c->expression;
            else
                headings.push_back(column(*c));
        }
        if (value.empty() || pivot.empty())
            damaged(name, source, "the crosstab has no value or no column heading.");
        sql += "TRANSFORM " + value + "\n" + selectHead() + joinList(headings) + "\nFROM " +
               fromClause(name, rows, source) + clauses(rows, false) + "\nPIVOT " + pivot + ";";
        break;
    }
    case 7: // data definition
        q.type = 96;
        sql += typeRow.expression;
        break;
    case 8: // pass-through
        q.type = 112;
        q.connect = typeRow.name1;
        sql += typeRow.expression;
        break;
    case 9: { // union
        q.type = 128;
        std::vector<std::string> selects;
        for (const auto* t : rowsOf(rows, Table))
            if (!t->expression.empty())
                selects.push_back(std::string(TextUtil::trim(t->expression, " \t\r\n")));
        if (selects.size() != 2) damaged(name, source, "the union does not have two parts.");
        sql += selects[0] + "\nUNION " + ((options & Distinct) ? "" : "ALL ") + selects[1];
        std::vector<std::string> order;
        for (const auto* o : rowsOf(rows, OrderBy))
            order.push_back(o->expression + (o->name1 == "D" ? " DESC" : ""));
        if (!order.empty()) sql += "\nORDER BY " + joinList(order);
        sql += ";";
        break;
    }
    default:
        damaged(name, source, fmt::format("unknown query type {}.", typeRow.flag));
    }
    // Data definition and pass-through texts are stored with a terminating NUL.
    while (!sql.empty() && sql.back() == '\0')
        sql.pop_back();
    if (q.type != 96 && q.type != 112) declareFormReferences(q, sql);
    q.sql = std::move(sql);
    return q;
}

} // namespace qv::engine
