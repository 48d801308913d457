// Until the dialect translator is linked in, statements pass unchanged except for the leading
// PARAMETERS clause, whose references become numbered parameters (QueryText).
#include "engines/sqlite/SqlDialect.h"

#include "engines/sqlite/QueryText.h"

namespace qv::engine {

DialectStatement SqlDialect::translate(std::string_view sql) {
    const QueryText text = QueryText::parse(sql);
    DialectStatement out;
    if (text.parameters().empty()) {
        out.sql = text.body();
        return out;
    }
    out.sql = text.numberedBody();
    int n = 0;
    for (const auto& p : text.parameters())
        out.parameters.push_back({p.name, p.daoType, "?" + std::to_string(++n)});
    return out;
}

void SqlDialect::prepareConnection(sqlite3*) {}

} // namespace qv::engine
