// The worksheet form: one per add-in, reused for every table, view or query shown. Until the
// form is built, its commands exist and end with the not-implemented error, so every caller
// already reports them by the common convention.
#pragma once

#include "platform/host/IWorksheet.h"

#include <string>

namespace qv {

class clsForm {
  public:
    // The form's worksheet; null while no form sheet exists.
    WorksheetPtr Sheet() const { return mSheet; }
    // The form holds a loaded matrix.
    bool HasMatrix() const { return false; }
    // Edits not yet written back.
    bool HasChanges() const { return false; }
    // The data source allows adding, writing and deleting rows of the shown table.
    bool AllowsChanges() const { return false; }

    void Show(const std::string& tableName, int index);
    void AddRow();
    void WriteData();
    void DeleteRows();
    void Refresh();
    void CloseWorkbook();

  private:
    WorksheetPtr mSheet;
};

} // namespace qv
