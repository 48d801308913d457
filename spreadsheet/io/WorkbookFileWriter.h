// Writes a workbook to a file in one of the host's save-as formats (xl::FileFormat numbers).
#pragma once

#include "spreadsheet/io/IWorkbookExport.h"

#include <string>

namespace qv::sheet {

class WorkbookFileWriter {
  public:
    // fileFormat 0 takes the format from the extension (.xlsx when the name has none). Raises
    // error 1004 with a readable description when the format is not supported (.xls among them),
    // the workbook cannot be stored in it, or the file cannot be written; a failed write leaves
    // no partial file behind and the file that was there untouched. Errors of the workbook
    // model itself reach the caller unchanged.
    static void write(const IWorkbookExport& book, const std::string& path, int fileFormat);
    // The format a path's extension stands for, 0 when unknown.
    static int formatForExtension(const std::string& path);
};

} // namespace qv::sheet
