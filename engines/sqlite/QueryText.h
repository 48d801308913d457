// The text of a saved query: its leading PARAMETERS clause ("PARAMETERS [Start Date] DateTime,
// Cust Text (255);"), the statement after it, the query type its first word gives, and the
// statement with every parameter reference turned into a numbered SQLite parameter.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qv::engine {

struct DeclaredParameter {
    std::string name;
    int daoType = 10;
};

class QueryText {
  public:
    static QueryText parse(std::string_view sql);

    const std::vector<DeclaredParameter>& parameters() const { return mParameters; }
    const std::string& body() const { return mBody; }
    // Catalogue query type: select 0, crosstab 16, delete 32, update 48, append 64, make-table 80,
    // data definition 96, union 128.
    int queryType() const { return mType; }
    // The body with "[Name]" and bare Name references of the declared parameters replaced by
    // "?1", "?2", ... in declaration order; text in quotes is left alone.
    std::string numberedBody() const;

  private:
    std::vector<DeclaredParameter> mParameters;
    std::string mBody;
    int mType = 0;
};

} // namespace qv::engine
