// A sheet's AutoFilter: the list it works on (first row = headers) and one filter per column.
// Criteria are the host's texts: "=x", "<>x", ">5", "<=2020-01-01", "*part*", "=" (blanks),
// "<>" (non-blanks); two criteria joined by xl::FilterAnd / FilterOr; or a list of values
// (xl::FilterValues, criteria1 holds the values separated by line feeds).
#pragma once

#include "platform/Variant.h"
#include "platform/host/IWorksheet.h"
#include "spreadsheet/model/CellAddress.h"

#include <functional>
#include <string>
#include <vector>

namespace qv::sheet {

class AutoFilterState {
  public:
    explicit AutoFilterState(const Rect& list) : mList(list), mFilters(list.cols()) {}
    const Rect& list() const { return mList; }
    Rect& list() { return mList; }
    std::vector<FilterState>& filters() { return mFilters; }
    const std::vector<FilterState>& filters() const { return mFilters; }
    bool anyOn() const;

    // Whether a data cell passes one column's filter; text is the cell as displayed.
    static bool matches(const FilterState& f, const Variant& value, const std::string& text);

  private:
    Rect mList;
    std::vector<FilterState> mFilters;
};

} // namespace qv::sheet
