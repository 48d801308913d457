// A web page of the workbook (.htm/.html, format 44): one table per visible sheet, with the
// cells' displayed text, fills, font colours, bold, alignment, borders and column widths.
// Hidden rows and columns are left out, as the page shows what the sheet shows.
#pragma once

#include "spreadsheet/io/FormatWriter.h"

namespace qv::sheet {

class OutputBuffer;

class HtmlWriter : public FormatWriter {
  public:
    void write(const IWorkbookExport& book, AtomicFile& file) const override;
    // The page itself, for the web archive that wraps it.
    static void writePage(const IWorkbookExport& book, OutputBuffer& out);
};

} // namespace qv::sheet
