// One sheet of a workbook: its cells, protection, AutoFilter and display switches.
#pragma once

#include "platform/host/IRange.h"

#include <memory>
#include <string>

namespace qv {

class IWorkbook;

// One column's filter of a sheet's AutoFilter (Filters(i)).
struct FilterState {
    bool on = false;
    std::string criteria1;
    int op = 0;
    std::string criteria2;
};

class IWorksheet {
  public:
    virtual ~IWorksheet() = default;

    virtual std::string name() const = 0;
    // At most 31 characters, none of : \ / ? * [ ], not empty, not starting or ending with ',
    // unique in the workbook (case-insensitive). Raises error 1004 and changes nothing otherwise.
    virtual void setName(const std::string& name) = 0;
    virtual std::shared_ptr<IWorkbook> parent() const = 0;
    virtual long index() const = 0; // 1-based position in the workbook
    virtual void activate() = 0;
    virtual void select() = 0;
    virtual int visible() const = 0; // xl::SheetVisible, SheetHidden, SheetVeryHidden
    virtual void setVisible(int visibility) = 0;
    virtual int enableSelection() const = 0;
    virtual void setEnableSelection(int rule) = 0;

    // --- protection
    virtual void protect(const std::string& password, bool allowFormattingColumns = false,
                         bool allowFiltering = false) = 0;
    // Raises error 1004 ("The password you supplied is not correct.") on a wrong password.
    virtual void unprotect(const std::string& password = {}) = 0;
    virtual bool protectContents() const = 0;

    // --- AutoFilter
    virtual bool autoFilterMode() const = 0;
    virtual void setAutoFilterMode(bool on) = 0;  // only false is accepted, as in the host
    virtual bool filterMode() const = 0;          // a filter hides rows
    virtual RangePtr autoFilterRange() const = 0; // null when no AutoFilter
    virtual long filterCount() const = 0;
    virtual FilterState filter(long index) const = 0; // 1-based
    virtual void showAllData() = 0;

    // --- cells
    virtual RangePtr cells(long row, long column) = 0;
    virtual RangePtr range(const std::string& a1Address) = 0; // "A1", "A1:C3", "A:A", "1:1", "A1,C3"
    virtual RangePtr rangeOf(long row1, long column1, long row2, long column2) = 0;
    virtual RangePtr allCells() = 0; // Cells
    virtual RangePtr usedRange() = 0;
    virtual RangePtr rows(long first, long last) = 0;    // entire rows
    virtual RangePtr columns(long first, long last) = 0; // entire columns

    // --- view (the host keeps these per window; there is one window per workbook here)
    virtual bool displayHeadings() const = 0;
    virtual void setDisplayHeadings(bool show) = 0;
    virtual bool displayZeros() const = 0;
    virtual void setDisplayZeros(bool show) = 0;
    virtual bool displayGridlines() const = 0;
    virtual void setDisplayGridlines(bool show) = 0;
    // Freeze panes above and left of the given cell; (0, 0) or (1, 1) removes them.
    virtual void freezePanes(long row, long column) = 0;
    virtual long frozenRows() const = 0;
    virtual long frozenColumns() const = 0;
    virtual long scrollRow() const = 0;
    virtual void setScrollRow(long row) = 0;
    virtual long scrollColumn() const = 0;
    virtual void setScrollColumn(long column) = 0;
    // The whole sheet's default fill (cells without a fill of their own).
    virtual void setStandardFillColor(long oleColor) = 0;
};

using WorksheetPtr = std::shared_ptr<IWorksheet>;

} // namespace qv
