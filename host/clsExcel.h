// The add-in's sink for the host application's events. It binds the add-in to the running
// host, saves the person's options that the form changes (and puts them back), and keeps the
// SQL and record commands in step with the active workbook and sheet.
#pragma once

#include "platform/host/IApplication.h"

#include <string>

namespace qv {

class clsExcel : public IApplicationEvents {
  public:
    explicit clsExcel(ApplicationPtr application);
    ~clsExcel() override;
    clsExcel(const clsExcel&) = delete;
    clsExcel& operator=(const clsExcel&) = delete;

    // The running host; null when it is not usable.
    ApplicationPtr ExcelApp() const { return moExcel; }

    void SaveUserSettings();
    void RestoreUserSettings();
    void RefreshStates();
    void UpdateSqlControl();
    void UpdateRecordControls();
    void SetRestoreUserSettings(bool restore) { mbRestoreUserSettings = restore; }

    // File-format numbers of the host for a file extension, 0 when unknown.
    static int FileFormatOfExtension(const std::string& extension);

    void sheetActivate(const WorksheetPtr& sheet) override;
    void workbookActivate(const WorkbookPtr& book) override;

  private:
    ApplicationPtr moExcel;
    bool mbRestoreUserSettings = false;
};

} // namespace qv
