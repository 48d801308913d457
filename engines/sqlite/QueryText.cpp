// A scanner that knows quotes and brackets, not a parser: the clause and the first word are all
// that the catalogue needs, and the statement itself is left to the dialect translator.
#include "engines/sqlite/QueryText.h"

#include "engines/sqlite/TypeMapping.h"
#include "platform/NameQuote.h"
#include "platform/engine/DaoConstants.h"

#include <algorithm>
#include <cctype>
#include <strings.h>

namespace qv::engine {

namespace {

bool isWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || (c & 0x80);
}

void skipBlanks(std::string_view s, std::size_t& i) {
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
        ++i;
}

bool startsWord(std::string_view s, std::size_t i, std::string_view word) {
    if (s.size() - i < word.size() || strncasecmp(s.data() + i, word.data(), word.size()) != 0) return false;
    return i + word.size() == s.size() || !isWordChar(s[i + word.size()]);
}

// One past the "]" that closes the name opened at i; "]]" inside stands for one "]".
std::size_t bracketEnd(std::string_view s, std::size_t i) {
    for (std::size_t e = i + 1; e < s.size(); ++e) {
        if (s[e] != ']') continue;
        if (e + 1 < s.size() && s[e + 1] == ']') {
            ++e;
            continue;
        }
        return e + 1;
    }
    return s.size();
}

// The name between the brackets of s[i, end).
std::string bracketName(std::string_view s, std::size_t i, std::size_t end) {
    const bool closed = end > i + 1 && s[end - 1] == ']';
    return NameQuote::unquoted(s.substr(i, end - i))
        .value_or(std::string(s.substr(i + 1, end - i - (closed ? 2 : 1))));
}

// Upper-cased words outside quotes and brackets.
std::vector<std::string> words(std::string_view s) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < s.size();) {
        char c = s[i];
        if (c == '\'' || c == '"') {
            auto e = s.find(c, i + 1);
            i = e == std::string_view::npos ? s.size() : e + 1;
        } else if (c == '[') {
            i = bracketEnd(s, i);
        } else if (isWordChar(c)) {
            std::string w;
            while (i < s.size() && isWordChar(s[i]))
                w += static_cast<char>(std::toupper(static_cast<unsigned char>(s[i++])));
            out.push_back(std::move(w));
        } else {
            ++i;
        }
    }
    return out;
}

int typeOf(std::string_view body) {
    const auto w = words(body);
    if (w.empty()) return dao::QuerySelect;
    const std::string& first = w.front();
    if (first == "TRANSFORM") return dao::QueryCrosstab;
    if (first == "DELETE") return dao::QueryDelete;
    if (first == "UPDATE") return dao::QueryUpdate;
    if (first == "INSERT") return dao::QueryAppend;
    if (first == "CREATE" || first == "DROP" || first == "ALTER") return dao::QueryDDL;
    if (first == "SELECT" || first == "WITH") {
        bool into = false, fromSeen = false;
        for (const auto& x : w) {
            if (x == "FROM") fromSeen = true;
            if (x == "INTO" && !fromSeen) into = true;
            if (x == "UNION") return dao::QuerySetOperation;
        }
        return into ? dao::QueryMakeTable : dao::QuerySelect;
    }
    return dao::QuerySelect;
}

} // namespace

QueryText QueryText::parse(std::string_view sql) {
    QueryText q;
    std::size_t i = 0;
    skipBlanks(sql, i);
    if (startsWord(sql, i, "PARAMETERS")) {
        i += 10;
        while (i < sql.size()) {
            skipBlanks(sql, i);
            if (i < sql.size() && sql[i] == ';') {
                ++i;
                break;
            }
            if (i >= sql.size()) break; // "PARAMETERS a Text, " ends after its comma
            DeclaredParameter p;
            // A name, or a path of names such as Forms![Sales Dialog]!BeginningDate, named as the
            // dialect translator names it: the parts without brackets, joined by their '!' or '.'.
            for (;;) {
                if (i < sql.size() && sql[i] == '[') {
                    const std::size_t e = bracketEnd(sql, i);
                    p.name += bracketName(sql, i, e);
                    i = e;
                } else {
                    std::size_t s = i;
                    while (i < sql.size() && isWordChar(sql[i]))
                        ++i;
                    p.name += std::string(sql.substr(s, i - s));
                    if (i == s) {
                        ++i; // stray character: step over it
                        break;
                    }
                }
                if (i + 1 >= sql.size() || (sql[i] != '!' && sql[i] != '.') ||
                    (sql[i + 1] != '[' && !isWordChar(sql[i + 1])))
                    break;
                p.name += sql[i++];
            }
            skipBlanks(sql, i);
            std::size_t s = i;
            int depth = 0;
            while (i < sql.size() && (depth > 0 || (sql[i] != ',' && sql[i] != ';'))) {
                if (sql[i] == '(') ++depth;
                if (sql[i] == ')') --depth;
                ++i;
            }
            p.daoType = TypeMapping::daoTypeFromParameterName(sql.substr(s, i - s));
            if (!p.name.empty()) q.mParameters.push_back(std::move(p));
            if (i < sql.size() && sql[i] == ',') ++i;
        }
        skipBlanks(sql, i);
    }
    q.mBody = std::string(sql.substr(i));
    q.mType = typeOf(q.mBody);
    return q;
}

std::string QueryText::numberedBody() const {
    auto indexOf = [&](std::string_view name) -> int {
        for (std::size_t k = 0; k < mParameters.size(); ++k) {
            const auto& n = mParameters[k].name;
            if (n.size() == name.size() && strncasecmp(n.data(), name.data(), n.size()) == 0)
                return static_cast<int>(k) + 1;
        }
        return 0;
    };
    const std::string_view s = mBody;
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const char c = s[i];
        const bool qualified = i > 0 && s[i - 1] == '.';
        if (c == '\'' || c == '"') {
            auto e = s.find(c, i + 1);
            e = e == std::string_view::npos ? s.size() : e + 1;
            out.append(s.substr(i, e - i));
            i = e;
        } else if (c == '[') {
            const std::size_t e = bracketEnd(s, i);
            const int k = qualified ? 0 : indexOf(bracketName(s, i, e));
            const bool qualifies = e < s.size() && s[e] == '.';
            if (k > 0 && !qualifies) {
                out += "?" + std::to_string(k);
            } else {
                out.append(s.substr(i, e - i));
            }
            i = e;
        } else if (isWordChar(c)) {
            std::size_t e = i;
            while (e < s.size() && isWordChar(s[e]))
                ++e;
            const bool qualifies = e < s.size() && s[e] == '.';
            const int k = qualified || qualifies ? 0 : indexOf(s.substr(i, e - i));
            if (k > 0) {
                out += "?" + std::to_string(k);
            } else {
                out.append(s.substr(i, e - i));
            }
            i = e;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

} // namespace qv::engine
