#include "spreadsheet/WorkbookFileWriter.h"

#include "platform/NumberedError.h"

namespace qv::sheet {

void WorkbookFileWriter::write(const IWorkbookExport&, const std::string& path, int) {
    throw NumberedError(err::ApplicationDefined, "Workbook", "Saving files is not available yet: " + path);
}

int WorkbookFileWriter::formatForExtension(const std::string&) { return 0; }

} // namespace qv::sheet
