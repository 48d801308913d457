// The words of the Access dialect that steer translation. Words not listed here are names or
// function names. Lookup is case-insensitive and allocation-free.
#pragma once

#include <cstdint>
#include <string_view>

namespace qv::accesssql {

enum class Kw : std::uint8_t {
    None,
    // Clause words: they end an expression.
    Select,
    All,
    Distinct,
    DistinctRow,
    Top,
    Percent,
    From,
    Where,
    Group,
    By,
    Having,
    Order,
    Asc,
    Desc,
    Union,
    Into,
    Insert,
    Values,
    Update,
    Set,
    Delete,
    Inner,
    Left,
    Right,
    Outer,
    Full,
    Cross,
    Join,
    On,
    As,
    With,
    OwnerAccess,
    Option,
    Create,
    Drop,
    Alter,
    Table,
    Index,
    Column,
    Add,
    Constraint,
    Primary,
    Key,
    Unique,
    References,
    Foreign,
    Transform,
    Pivot,
    Parameters,
    Procedure,
    View,
    Execute,
    Exec,
    // Expression words.
    And,
    Or,
    Not,
    Xor,
    Eqv,
    Imp,
    Like,
    ALike,
    Is,
    Null,
    Between,
    In,
    Exists,
    Mod,
    True,
    False,
    Yes,
    No,
    Off,
    Any,
    Some,
    Case,
    When,
    Then,
    Else,
    End,
};

class Keyword {
  public:
    static Kw lookup(std::string_view word);
    // True for the words that end an expression (clause words).
    static bool isClause(Kw kw) { return kw != Kw::None && kw < Kw::And; }
    static bool equalsNoCase(std::string_view a, std::string_view b);
};

} // namespace qv::accesssql
