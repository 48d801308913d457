// The unit the translator rebuilds a statement from: one level of a statement (the text between
// a pair of parentheses, or the whole statement) becomes a list of items, in which every
// parenthesised group is one already-translated atom, and so are qualified names
// ([Orders].[Date]) and function calls (Left([Name], 3)). Operator rewriting then only ever
// looks at the items of one level.
#pragma once

#include "engines/accesssql/Keyword.h"
#include "engines/accesssql/Token.h"

#include <cstdint>
#include <string>

namespace qv::accesssql {

enum class ItemKind : std::uint8_t { Atom, Op, Keyword, Comma };

// What an expression is known to yield without looking at the data. It decides how `+` and
// `-` translate (text concatenation, date arithmetic or numbers).
enum class TypeHint : std::uint8_t { Unknown, Number, Text, Date, Bool };

enum class AtomKind : std::uint8_t {
    None,
    Identifier,
    Function,
    Group,
    Number,
    String,
    Date,
    Null,
    Bool,
    Parameter
};

struct SqlItem {
    ItemKind kind = ItemKind::Atom;
    AtomKind atom = AtomKind::None;
    Op op = Op::None;
    Kw kw = Kw::None;
    TypeHint type = TypeHint::Unknown;
    bool spaceBefore = false;
    bool subquery = false;   // a Group that holds a SELECT
    bool bracketed = false;  // an Identifier whose last part was [bracketed]
    std::uint32_t first = 0; // token range, for error messages
    std::uint32_t last = 0;
    std::string text;      // SQLite text of an atom; the raw text of an operator or keyword
    std::string value;     // String: the literal's value; Identifier: the last name part; Function: its name
    std::string qualifier; // Identifier: the raw name parts before the last one ("T", "dbo.T")
    std::string path;      // Identifier: the raw name parts joined by their separators (for PARAMETERS)
    double number = 0;     // Number: its value; Bool: 1 or 0
};

} // namespace qv::accesssql
