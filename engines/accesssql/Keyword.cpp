// The keyword table, sorted so a lookup is a bisection without copying or upper-casing the word.
#include "engines/accesssql/Keyword.h"

#include <algorithm>
#include <array>

namespace qv::accesssql {

namespace {

struct Entry {
    std::string_view word; // upper case, sorted
    Kw kw;
};

constexpr std::array kEntries{
    Entry{"ADD", Kw::Add},
    Entry{"ALIKE", Kw::ALike},
    Entry{"ALL", Kw::All},
    Entry{"ALTER", Kw::Alter},
    Entry{"AND", Kw::And},
    Entry{"ANY", Kw::Any},
    Entry{"AS", Kw::As},
    Entry{"ASC", Kw::Asc},
    Entry{"BETWEEN", Kw::Between},
    Entry{"BY", Kw::By},
    Entry{"CASE", Kw::Case},
    Entry{"COLUMN", Kw::Column},
    Entry{"CONSTRAINT", Kw::Constraint},
    Entry{"CREATE", Kw::Create},
    Entry{"CROSS", Kw::Cross},
    Entry{"DELETE", Kw::Delete},
    Entry{"DESC", Kw::Desc},
    Entry{"DISTINCT", Kw::Distinct},
    Entry{"DISTINCTROW", Kw::DistinctRow},
    Entry{"DROP", Kw::Drop},
    Entry{"ELSE", Kw::Else},
    Entry{"END", Kw::End},
    Entry{"EQV", Kw::Eqv},
    Entry{"EXEC", Kw::Exec},
    Entry{"EXECUTE", Kw::Execute},
    Entry{"EXISTS", Kw::Exists},
    Entry{"FALSE", Kw::False},
    Entry{"FOREIGN", Kw::Foreign},
    Entry{"FROM", Kw::From},
    Entry{"FULL", Kw::Full},
    Entry{"GROUP", Kw::Group},
    Entry{"HAVING", Kw::Having},
    Entry{"IMP", Kw::Imp},
    Entry{"IN", Kw::In},
    Entry{"INDEX", Kw::Index},
    Entry{"INNER", Kw::Inner},
    Entry{"INSERT", Kw::Insert},
    Entry{"INTO", Kw::Into},
    Entry{"IS", Kw::Is},
    Entry{"JOIN", Kw::Join},
    Entry{"KEY", Kw::Key},
    Entry{"LEFT", Kw::Left},
    Entry{"LIKE", Kw::Like},
    Entry{"MOD", Kw::Mod},
    Entry{"NO", Kw::No},
    Entry{"NOT", Kw::Not},
    Entry{"NULL", Kw::Null},
    Entry{"OFF", Kw::Off},
    Entry{"ON", Kw::On},
    Entry{"OPTION", Kw::Option},
    Entry{"OR", Kw::Or},
    Entry{"ORDER", Kw::Order},
    Entry{"OUTER", Kw::Outer},
    Entry{"OWNERACCESS", Kw::OwnerAccess},
    Entry{"PARAMETERS", Kw::Parameters},
    Entry{"PERCENT", Kw::Percent},
    Entry{"PIVOT", Kw::Pivot},
    Entry{"PRIMARY", Kw::Primary},
    Entry{"PROCEDURE", Kw::Procedure},
    Entry{"REFERENCES", Kw::References},
    Entry{"RIGHT", Kw::Right},
    Entry{"SELECT", Kw::Select},
    Entry{"SET", Kw::Set},
    Entry{"SOME", Kw::Some},
    Entry{"TABLE", Kw::Table},
    Entry{"THEN", Kw::Then},
    Entry{"TOP", Kw::Top},
    Entry{"TRANSFORM", Kw::Transform},
    Entry{"TRUE", Kw::True},
    Entry{"UNION", Kw::Union},
    Entry{"UNIQUE", Kw::Unique},
    Entry{"UPDATE", Kw::Update},
    Entry{"VALUES", Kw::Values},
    Entry{"VIEW", Kw::View},
    Entry{"WHEN", Kw::When},
    Entry{"WHERE", Kw::Where},
    Entry{"WITH", Kw::With},
    Entry{"XOR", Kw::Xor},
    Entry{"YES", Kw::Yes},
};

static_assert(std::is_sorted(kEntries.begin(), kEntries.end(),
                             [](const Entry& a, const Entry& b) { return a.word < b.word; }),
              "the keyword table is searched by bisection");

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

// Compares a word with an upper-case table entry without copying the word.
int compareUpper(std::string_view word, std::string_view entry) {
    const std::size_t n = std::min(word.size(), entry.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char a = upper(word[i]);
        if (a != entry[i]) return a < entry[i] ? -1 : 1;
    }
    return word.size() == entry.size() ? 0 : (word.size() < entry.size() ? -1 : 1);
}

} // namespace

Kw Keyword::lookup(std::string_view word) {
    if (word.size() < 2 || word.size() > 11) return Kw::None;
    auto it =
        std::lower_bound(kEntries.begin(), kEntries.end(), word,
                         [](const Entry& e, std::string_view w) { return compareUpper(w, e.word) > 0; });
    if (it != kEntries.end() && compareUpper(word, it->word) == 0) return it->kw;
    return Kw::None;
}

bool Keyword::equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i])) return false;
    return true;
}

} // namespace qv::accesssql
