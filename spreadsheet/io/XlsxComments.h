// The comments of a worksheet in an .xlsx package: the comments part holds the text, and a
// legacy VML drawing gives each comment the note shape that the spreadsheet programs need
// to show it at all.
#pragma once

#include "spreadsheet/io/IWorkbookExport.h"

namespace qv::sheet {

class OutputBuffer;

class XlsxComments {
  public:
    static void writeComments(OutputBuffer& out, const std::vector<ExportComment>& comments);
    // `sheetNumber` (1-based) keeps the shape ids of different sheets apart.
    static void writeVml(OutputBuffer& out, const std::vector<ExportComment>& comments, long sheetNumber);
};

} // namespace qv::sheet
