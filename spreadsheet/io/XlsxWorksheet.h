// One worksheet part of an .xlsx package, streamed row by row from the export view: the
// sheet data is never held in memory, only the current row's state.
#pragma once

#include "spreadsheet/io/IWorkbookExport.h"

#include <set>
#include <string>

namespace qv::sheet {

class OutputBuffer;
class XlsxStyles;

class XlsxWorksheet {
  public:
    // The longest cell text the file format holds, in UTF-16 units; a longer one refuses the save.
    static constexpr std::size_t MaxCellText = 32767;
    // `legacyDrawingRel`: the relationship id of the comments' drawing, "" when the sheet has none.
    static void write(OutputBuffer& out, const IWorkbookExport& book, long index, const ExportSheet& sheet,
                      const XlsxStyles& styles, const std::set<std::string>& definedNames,
                      const std::string& legacyDrawingRel);
    // The validation formula as the file stores it: list sources that are neither a reference
    // nor a defined name are literal lists and get quoted.
    static std::string validationFormula(const ExportValidation& v, const std::string& formula,
                                         const std::set<std::string>& definedNames);
    // 'Sheet name' with inner quotes doubled, as references spell it.
    static std::string quotedSheetName(const std::string& name);
    // An OLE date as the file's serial number (the file counts a 29 February 1900 that OLE
    // dates skip); false for dates the file cannot hold (before 1900).
    static bool serialFromOleDate(double ole, double& serial);
};

} // namespace qv::sheet
