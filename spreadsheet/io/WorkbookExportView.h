// The export view over a workbook: what the file writers read, answered straight from the
// column stores and rule lists without copying the cells.
#pragma once

#include "spreadsheet/io/IWorkbookExport.h"

namespace qv::sheet {

class Workbook;

class WorkbookExportView : public IWorkbookExport {
  public:
    explicit WorkbookExportView(const Workbook& book) : mBook(book) {}
    std::vector<CellStyle> styles() const override;
    long sheetCount() const override;
    ExportSheet sheet(long index) const override;
    void
    forEachCell(long sheetIndex,
                const std::function<void(long row, long column, const ExportCell&)>& visit) const override;
    void forEachCellInRows(
        long sheetIndex, long firstRow, long lastRow,
        const std::function<void(long row, long column, const ExportCell&)>& visit) const override;
    std::vector<ExportName> names() const override;
    bool structureProtected() const override;
    std::string structurePasswordHash() const override;
    std::string title() const override;
    std::vector<std::pair<std::string, std::string>> documentProperties() const override;
    std::vector<std::pair<std::string, std::string>> customProperties() const override;
    std::vector<std::pair<bool, std::string>> customUIParts() const override;
    bool windowHidden() const override;

  private:
    const Workbook& mBook;
};

} // namespace qv::sheet
