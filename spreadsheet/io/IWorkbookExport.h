// What a file writer reads from a workbook. The writers stream from this view, so writing a
// million-row sheet never builds a second copy of it; the workbook model implements it over
// its column store.
#pragma once

#include "platform/Variant.h"
#include "spreadsheet/model/CellStyle.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qv::sheet {

struct ExportCell {
    Variant value;           // empty cells are skipped by forEachCell
    std::uint32_t style = 0; // index into IWorkbookExport::styles()
    std::string formula;     // without the leading '=', "" when the cell holds a constant
};

struct ExportColumn {
    long index = 0;    // 1-based
    double width = -1; // characters; -1 = the sheet's default
    bool hidden = false;
    std::uint32_t style = 0; // style of the whole column (cells without their own)
};

struct ExportValidation {
    std::string sqref;              // "B2:B100 D2"
    int type = 0;                   // xl::ValidationType
    int alertStyle = 1;             // xl::ValidationAlert
    int op = 1;                     // xl::ValidationOperator
    std::string formula1, formula2; // without '='
    std::string errorTitle, errorMessage, inputTitle, inputMessage;
    bool ignoreBlank = true, inCellDropdown = true, showError = true, showInput = true;
};

struct ExportComment {
    long row = 0, column = 0;
    std::string author;
    std::string text;
};

struct ExportProtection {
    bool on = false;
    std::string passwordHash; // the host's 16-bit legacy hash as 4 hex digits, "" when none
    bool allowFormatColumns = false;
    bool allowAutoFilter = false;
    bool selectLockedCells = true;
    bool selectUnlockedCells = true;
};

struct ExportSheet {
    std::string name;
    int visibility = -1;               // xl::SheetVisible / SheetHidden / SheetVeryHidden
    long lastRow = 0, lastColumn = 0;  // used extent, 0 when empty
    std::vector<ExportColumn> columns; // only columns that differ from the default
    std::vector<long> hiddenRows;
    long frozenRows = 0, frozenColumns = 0;
    bool showHeadings = true, showZeros = true, showGridlines = true;
    std::string autoFilterRef; // "A1:D100", "" when none
    std::vector<ExportValidation> validations;
    std::vector<ExportComment> comments;
    ExportProtection protection;
    bool active = false;
};

struct ExportName {
    std::string name;
    std::string refersToA1; // "'Sheet 1'!$A$1:$A$5" without '='
    bool hidden = false;
};

class IWorkbookExport {
  public:
    virtual ~IWorkbookExport() = default;
    virtual std::vector<CellStyle> styles() const = 0; // index 0 is the default style
    virtual long sheetCount() const = 0;
    virtual ExportSheet sheet(long index) const = 0; // 0-based
    // Calls `visit` for every non-empty cell (or cell with a non-default style) of the sheet,
    // row by row, columns ascending within a row. Rows without such cells are not visited.
    virtual void
    forEachCell(long sheetIndex,
                const std::function<void(long row, long column, const ExportCell&)>& visit) const = 0;
    // The same for rows first..last only. Writers that format blocks of rows on two threads call
    // it from both at once, so an implementation may only read here. This default walks the
    // whole sheet; the workbook's own view goes to the rows straight away.
    virtual void
    forEachCellInRows(long sheetIndex, long firstRow, long lastRow,
                      const std::function<void(long row, long column, const ExportCell&)>& visit) const {
        forEachCell(sheetIndex, [&](long r, long c, const ExportCell& cell) {
            if (r >= firstRow && r <= lastRow) visit(r, c, cell);
        });
    }
    virtual std::vector<ExportName> names() const = 0;
    virtual bool structureProtected() const = 0;
    virtual std::string structurePasswordHash() const = 0;
    virtual std::string title() const = 0;
    // Built-in document properties as text ("Revision Number", "Author", ...).
    virtual std::vector<std::pair<std::string, std::string>> documentProperties() const = 0;
    // The workbook's own (custom) document properties as text.
    virtual std::vector<std::pair<std::string, std::string>> customProperties() const { return {}; }
    // Ribbon definitions of an add-in package: (true for the 2010 part, XML text).
    virtual std::vector<std::pair<bool, std::string>> customUIParts() const { return {}; }
    // The workbook's window is very hidden (an add-in's, which nobody is meant to see).
    virtual bool windowHidden() const { return false; }
};

} // namespace qv::sheet
