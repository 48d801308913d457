// A rectangular block of cells on one sheet, or several blocks (areas) after a multi-area
// selection. Ranges are light handles: they refer to cells by position and stay valid while
// the sheet lives. Every operation works on all cells of every area unless it says otherwise.
// Row and column numbers are 1-based, as the host counts them.
#pragma once

#include "platform/Variant.h"
#include "platform/host/HostConstants.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qv {

class IWorksheet;
class IAdoRecordset;
class IComment;
class IValidation;

class IRange {
  public:
    virtual ~IRange() = default;

    // --- position
    virtual std::shared_ptr<IWorksheet> worksheet() const = 0;
    virtual long row() const = 0;         // first row of the first area
    virtual long column() const = 0;      // first column of the first area
    virtual long rowCount() const = 0;    // of the first area
    virtual long columnCount() const = 0; // of the first area
    virtual long long count() const = 0;  // cells in all areas
    virtual std::string address(bool rowAbsolute = true, bool columnAbsolute = true,
                                xl::ReferenceStyle style = xl::ReferenceStyle::A1) const = 0;

    // --- navigation (all relative to the first area)
    virtual std::shared_ptr<IRange> offset(long rows, long columns) const = 0;
    virtual std::shared_ptr<IRange> resize(long rows, long columns) const = 0;
    virtual std::shared_ptr<IRange> cell(long row, long column) const = 0; // 1-based within the range
    virtual std::shared_ptr<IRange> rowAt(long index) const = 0;           // Rows(index)
    virtual std::shared_ptr<IRange> columnAt(long index) const = 0;        // Columns(index)
    virtual std::shared_ptr<IRange> entireRow() const = 0;
    virtual std::shared_ptr<IRange> entireColumn() const = 0;
    virtual std::vector<std::shared_ptr<IRange>> areas() const = 0;
    // End(xlDown): the last non-empty cell of the block below, or the sheet's last row.
    virtual std::shared_ptr<IRange> endDown() const = 0;

    // --- values
    virtual Variant value() const = 0;                  // top-left cell
    virtual void setValue(const Variant& v) = 0;        // every cell
    virtual VariantMatrix values() const = 0;           // first area
    virtual void setValues(const VariantMatrix& m) = 0; // from the top-left cell
    virtual std::string formula() const = 0;
    virtual void setFormula(const std::string& f) = 0;
    virtual std::string text() const = 0; // the top-left cell as displayed with its number format
    // Writes the record set's remaining rows from the top-left cell; answers the rows written.
    virtual long copyFromRecordset(IAdoRecordset& rs, long maxRows = -1, long maxColumns = -1) = 0;
    virtual void clear() = 0;
    virtual void clearContents() = 0;

    // --- structure
    virtual void deleteCells() = 0; // on entire rows or columns: removes them and shifts the rest
    virtual void insertCells() = 0; // on entire rows: inserts as many rows above
    virtual void select() = 0;
    virtual void activate() = 0;

    // --- cell format. Reads answer the top-left cell's value; a Variant null when cells differ.
    virtual Variant locked() const = 0;
    virtual void setLocked(bool locked) = 0;
    virtual Variant fillColor() const = 0; // OLE colour, or null
    virtual void setFillColor(long oleColor) = 0;
    virtual Variant fillColorIndex() const = 0; // xl::ColorNone when no fill
    virtual void setFillColorIndex(int index) = 0;
    virtual Variant fontColor() const = 0;
    virtual void setFontColor(long oleColor) = 0;
    virtual Variant fontColorIndex() const = 0;
    virtual void setFontColorIndex(int index) = 0;
    virtual Variant fontBold() const = 0;
    virtual void setFontBold(bool bold) = 0;
    virtual std::string numberFormat() const = 0;
    virtual void setNumberFormat(const std::string& format) = 0;
    virtual void setStyle(const std::string& builtinName) = 0; // "Comma", "Percent", "Normal"
    virtual int horizontalAlignment() const = 0;
    virtual void setHorizontalAlignment(int alignment) = 0;
    virtual void setBorder(xl::BorderEdge edge, int lineStyle, int weight, long oleColor) = 0;

    // --- columns
    virtual double columnWidth() const = 0; // characters, of the first column
    virtual void setColumnWidth(double width) = 0;
    virtual bool columnHidden() const = 0;
    virtual void setColumnHidden(bool hidden) = 0;
    virtual bool rowHidden() const = 0;
    virtual void setRowHidden(bool hidden) = 0;
    virtual void autoFitColumns() = 0;

    // --- comments (top-left cell)
    virtual std::shared_ptr<IComment> comment() const = 0; // null when none
    virtual std::shared_ptr<IComment> addComment(const std::string& text) = 0;
    virtual void clearComments() = 0;

    // --- data validation (the handle reads the top-left cell and writes every cell)
    virtual std::shared_ptr<IValidation> validation() = 0;
    // Copy the validation of this range's top-left cell onto every cell of target
    // (Copy followed by PasteSpecial validation).
    virtual void copyValidationTo(IRange& target) = 0;

    // --- AutoFilter on this range as the list (first row = headers)
    // With op xl::FilterValues, criteria1 holds the accepted values separated by line feeds
    // ("=a\n=b"; the '=' is optional). An empty criteria1 with another op clears the column's filter.
    virtual void autoFilter() = 0; // toggles the sheet's AutoFilter on this range
    virtual void autoFilter(int field, const std::string& criteria1, int op = xl::FilterAnd,
                            const std::string& criteria2 = {}) = 0;

    // --- bulk number rewrite (first area)
    // Every number cell takes f(its value), in place; dates, booleans, texts, errors and empty
    // cells stay as they are. What a column of a million rounded values needs without a Variant
    // per cell read and written back. Refused like setValues on locked cells of a protected sheet
    // (before anything changes), and the change event is raised once when a number changed.
    virtual void transformNumbers(const std::function<double(double)>& f) = 0;
};

using RangePtr = std::shared_ptr<IRange>;

class IComment {
  public:
    virtual ~IComment() = default;
    virtual std::string text() const = 0;
    virtual void setText(const std::string& text) = 0;
    virtual void setShapeSize(double widthPoints, double heightPoints) = 0;
    virtual void setFillColor(long oleColor) = 0;
    virtual void setFontBold(bool bold) = 0;
    virtual void setFontSize(double points) = 0;
    virtual void setVisible(bool visible) = 0;
    virtual void remove() = 0;
};

class IValidation {
  public:
    virtual ~IValidation() = default;
    // Raises when a validation already exists on any of the cells (delete first), as the host does.
    virtual void add(xl::ValidationType type, xl::ValidationAlert alert, xl::ValidationOperator op,
                     const std::string& formula1, const std::string& formula2 = {}) = 0;
    virtual void remove() = 0;
    virtual bool exists() const = 0;
    virtual xl::ValidationType type() const = 0;
    virtual xl::ValidationAlert alertStyle() const = 0;
    virtual xl::ValidationOperator op() const = 0;
    virtual std::string formula1() const = 0;
    virtual std::string formula2() const = 0;
    virtual void setErrorTitle(const std::string& title) = 0;
    virtual void setErrorMessage(const std::string& message) = 0;
    virtual std::string errorTitle() const = 0;
    virtual std::string errorMessage() const = 0;
    virtual void setInputTitle(const std::string& title) = 0;
    virtual void setInputMessage(const std::string& message) = 0;
    virtual void setIgnoreBlank(bool ignore) = 0;
    virtual void setInCellDropdown(bool dropdown) = 0;
    virtual void setShowError(bool show) = 0;
};

} // namespace qv
