// The add-in's sink for the host application's events. It binds the add-in to the running
// host, saves the person's options that the form changes (and puts them back), and keeps the
// SQL and record commands in step with the active workbook and sheet.
#pragma once

#include "platform/NumberedError.h"
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
    // The save-as dialog's filter for the edition, in the current language.
    static std::string BuildSaveAsFilter(int revision);
    // The shared report of the event handlers: 5 is a second host instance (message 216),
    // a cancel shows nothing, anything else is unexpected (message 2).
    static void ReportError(const NumberedError& e);

    void sheetActivate(const WorksheetPtr& sheet) override;
    void workbookActivate(const WorkbookPtr& book) override;
    void sheetChange(const WorksheetPtr& sheet, const RangePtr& target) override;
    void workbookBeforeSave(const WorkbookPtr& book, bool saveAsUI, bool& cancel) override;
    void workbookBeforeClose(const WorkbookPtr& book, bool& cancel) override;

  private:
    // The interface workbook is being saved away or closed: the form lets go of its sheet and
    // table, the data source is released and the command surfaces return to their start.
    void EndDatabaseWork();
    // The workbook of the form sheet, when there is a form sheet.
    WorkbookPtr InterfaceWorkbook() const;

    ApplicationPtr moExcel;
    bool mbRestoreUserSettings = false;
};

} // namespace qv
