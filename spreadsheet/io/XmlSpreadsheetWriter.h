// The XML Spreadsheet 2003 format (.xml, format 46): one XML document with styles, every
// sheet's table (typed cell data, formulas, comments), column and row layout, names,
// protection, frozen panes, filters and validation. Its references are R1C1, so the A1
// references of the model are translated on the way out.
#pragma once

#include "spreadsheet/io/ExportSheets.h"
#include "spreadsheet/io/FormatWriter.h"

#include <string>

namespace qv::sheet {

class XmlSpreadsheetWriter : public FormatWriter {
  public:
    // Each sheet's rows are formatted in blocks of `rowsPerBlock` on both cores.
    explicit XmlSpreadsheetWriter(long rowsPerBlock = ExportSheets::RowsPerBlock)
        : mRowsPerBlock(rowsPerBlock < 1 ? 1 : rowsPerBlock) {}
    void write(const IWorkbookExport& book, AtomicFile& file) const override;
    // A1 references in a formula or range list to R1C1, relative parts relative to (row, column);
    // with row 0 every reference is taken as absolute (ranges, names). Text in double quotes
    // and function names stay as they are.
    static std::string toR1C1(const std::string& a1, long row, long column);

  private:
    long mRowsPerBlock;
};

} // namespace qv::sheet
