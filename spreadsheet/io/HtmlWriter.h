// A web page of the workbook (.htm/.html, format 44): one table per visible sheet, with the
// cells' displayed text, fills, font colours, bold, alignment, borders and column widths.
// Hidden rows and columns are left out, as the page shows what the sheet shows.
#pragma once

#include "spreadsheet/io/BlockPipeline.h"
#include "spreadsheet/io/ExportSheets.h"
#include "spreadsheet/io/FormatWriter.h"

#include <functional>
#include <string>

namespace qv::sheet {

class OutputBuffer;

class HtmlWriter : public FormatWriter {
  public:
    // Table rows are formatted in blocks of `rowsPerBlock` on both cores (see BlockPipeline).
    explicit HtmlWriter(long rowsPerBlock = ExportSheets::RowsPerBlock)
        : mRowsPerBlock(rowsPerBlock < 1 ? 1 : rowsPerBlock) {}
    void write(const IWorkbookExport& book, AtomicFile& file) const override;
    // The page itself, on the calling thread.
    static void writePage(const IWorkbookExport& book, OutputBuffer& out);
    // The page in pieces, each of them whole lines: the head, then every visible sheet's table
    // in blocks of rows, then the end. `encode` (when set) rewrites each piece before `write`
    // gets it, on the thread that formatted it: the web archive encodes the page that way.
    static void writePage(const IWorkbookExport& book, long rowsPerBlock,
                          const std::function<void(std::string& piece)>& encode,
                          const BlockPipeline::Write& write, unsigned threads = 0);

  private:
    long mRowsPerBlock;
};

} // namespace qv::sheet
