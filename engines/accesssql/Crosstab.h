// A crosstab query (TRANSFORM value SELECT rows ... GROUP BY rows PIVOT heading [IN (...)]) as
// the plain SELECT SQLite can run: one column per heading value, each the TRANSFORM aggregate
// over the rows of that heading only (Sum(x) becomes Sum(IIf(heading = 'v', x, Null))). The
// headings are the IN list when the query has one; otherwise they are the data's distinct
// heading values, which only whoever holds the data can list (headingsSql), so expansion is a
// step of its own rather than part of translating a statement.
#pragma once

#include "platform/Variant.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::accesssql {

class Crosstab {
  public:
    struct Heading {
        std::string literal; // Access SQL literal compared with the heading ("'East'", "1995", "Null")
        std::string name;    // the column's name ("East", "1995", "<>" for Null as Access names it)
    };

    // The parts of a crosstab statement; nullopt for any other statement. Raises 3251 naming
    // what is missing for a TRANSFORM without SELECT, PIVOT or an aggregate.
    static std::optional<Crosstab> parse(std::string_view accessSql);

    // The IN list's headings, in their order; empty without an IN list.
    const std::vector<Heading>& fixedHeadings() const { return mFixed; }
    bool hasFixedHeadings() const { return !mFixed.empty(); }
    // An Access SQL SELECT listing the distinct heading values in order (PARAMETERS kept).
    std::string headingsSql() const;
    // The Access SQL SELECT with the row columns and one column per heading.
    std::string expand(const std::vector<Heading>& headings) const;
    // The heading for a value read back from headingsSql(): text quoted, numbers as written.
    static Heading textHeading(const std::string& text);
    static Heading numberHeading(const std::string& digits);
    static Heading nullHeading() { return {"Null", "<>"}; }
    // The heading for any value read back from headingsSql(): dates as #...# literals.
    static Heading headingOf(const Variant& value);

    // A crosstab gets as many columns as its heading has values; past this it is refused rather
    // than built as a statement SQLite would refuse less clearly.
    static constexpr std::size_t MaxColumns = 254;
    // Calls back with each value of the first column of the SQLite SELECT it is given, in order.
    using HeadingRows =
        std::function<void(const std::string& sqliteSql, const std::function<void(const Variant&)>&)>;
    // The headings the data holds: headingsSql() translated and run through readRows. Raises 3708
    // (under source) when listing them needs a parameter value, and 3251 past MaxColumns.
    std::vector<Heading> listHeadings(const std::string& source, const HeadingRows& readRows) const;

  private:
    std::string mPrefix;     // "PARAMETERS ...;" or ""
    std::string mValue;      // the TRANSFORM expression without its alias
    std::string mSelectList; // between SELECT and FROM
    std::string mFromWhere;  // FROM ... up to GROUP BY
    std::string mGrouping;   // GROUP BY ... up to PIVOT (HAVING and ORDER BY included)
    std::string mPivot;      // the heading expression
    std::vector<Heading> mFixed;
};

} // namespace qv::accesssql
