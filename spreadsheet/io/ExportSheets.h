// Small shared choices of the single-table formats: which sheet a one-sheet format saves
// and the number format of a cell's style.
#pragma once

#include "spreadsheet/io/IWorkbookExport.h"

namespace qv::sheet {

class ExportSheets {
  public:
    // Rows a writer formats as one block: large enough that handing blocks between threads
    // costs nothing noticeable, small enough that the blocks in flight stay a few MiB.
    static constexpr long RowsPerBlock = 2048;
    // The active sheet when it is visible, otherwise the first visible one (as the host saves
    // text formats: one sheet only). Raises 1004 when no sheet is visible.
    static long activeSheet(const IWorkbookExport& book);
    static const std::string& numberFormat(const std::vector<CellStyle>& styles, std::uint32_t style);
};

} // namespace qv::sheet
