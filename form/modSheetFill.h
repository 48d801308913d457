// Writing a record set into a sheet: the header row of field names, the records below it in
// one bulk copy, then per column the rounding of floating values, left-aligned text and, on the
// form sheet, the captions and the number formats the database's Format property asks for.
// The controller's FillSheetFromRecordset is this routine with the form's sheet and matrix;
// the form, the lookup lists and the query results all fill through it.
#pragma once

#include "platform/Variant.h"
#include "platform/engine/IAdoRecordset.h"
#include "platform/host/IWorksheet.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qv {

class clsMatrix;
class IProgress;

namespace modSheetFill {

// What is known of the form when a sheet is filled: its sheet and matrix (both may be null).
struct FormFields {
    WorksheetPtr formSheet;
    const clsMatrix* matrix = nullptr;
};

// Answers the data range (row + 1 .. row + n, across the fields); for an empty record set the
// header row's cells. Raises 666 (message 31) before writing anything when the records do not
// fit the sheet; with a progress, 665 when the person cancels between chunks. A value the sheet
// cannot hold becomes an empty cell; any other failure of the copy is raised.
RangePtr FillSheetFromRecordset(IWorksheet& sheet, IAdoRecordset& rs, std::int32_t row, std::int16_t column,
                                const FormFields& form = {}, IProgress* progress = nullptr);

std::vector<std::string> GetFieldNames(const IAdoRecordset& rs);

// One column, one row per cell of the range: non-empty values rounded (half to even).
VariantMatrix RoundColumnValues(const IRange& range, int decimals);

// The number format (or style, as "style:Comma") the database's Format property asks for on a
// column of the ADO type; empty for none.
std::string AccessNumberFormat(const std::string& format, int typeADO);

// A text the sheet keeps as written: a leading "=" never starts a formula, digits never become
// a number.
Variant LiteralText(const std::string& text);

} // namespace modSheetFill
} // namespace qv
