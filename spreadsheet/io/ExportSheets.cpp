// See ExportSheets.h.
#include "spreadsheet/io/ExportSheets.h"

#include "platform/NumberedError.h"

namespace qv::sheet {

long ExportSheets::activeSheet(const IWorkbookExport& book) {
    long firstVisible = -1;
    for (long i = 0; i < book.sheetCount(); ++i) {
        ExportSheet s = book.sheet(i);
        if (s.visibility != -1) continue;
        if (s.active) return i;
        if (firstVisible < 0) firstVisible = i;
    }
    if (firstVisible < 0)
        throw NumberedError(err::ApplicationDefined, "Workbook",
                            "The workbook has no visible sheet to save.");
    return firstVisible;
}

const std::string& ExportSheets::numberFormat(const std::vector<CellStyle>& styles, std::uint32_t style) {
    static const std::string general = "General";
    return style < styles.size() ? styles[style].numberFormat : general;
}

} // namespace qv::sheet
