// The application controller: the one owner of the add-in's long-lived objects (form, command
// runner, menu, toolbar, registry access, utilities, the open data source). It tells the
// edition from the add-in workbook's revision number, builds the command surfaces at start-up
// and carries the small commands that belong to no form.
#pragma once

#include "platform/PlatformServices.h"
#include "platform/engine/IAdoRecordset.h"
#include "platform/host/IApplication.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qv {

class IDS;
class clsForm;
class clsCommand;
class clsMenuBarControl;
class clsCommandBar;
class clsRegistry;
class clsAux;
class clsSettings;
class ISettings;
class ICB;
class clsDSAccess;

class clsApplication {
  public:
    // The library's version, written as "Version" at the first start.
    static constexpr const char* LIBRARY_VERSION = "1.0";

    explicit clsApplication(const PlatformServices& services);
    ~clsApplication();
    clsApplication(const clsApplication&) = delete;
    clsApplication& operator=(const clsApplication&) = delete;

    // --- owned objects
    std::shared_ptr<IDS> DataSource() const { return mDataSource; }
    void SetDataSource(std::shared_ptr<IDS> ds) { mDataSource = std::move(ds); }
    clsForm& Form() { return *mForm; }
    clsCommand& Command() { return *mCommand; }
    clsMenuBarControl& MenuBar() { return *mMenuBar; }
    clsCommandBar& CommandBar() { return *mCommandBar; }
    clsRegistry& Registry() { return *mRegistry; }
    clsAux& Aux() { return *mAux; }
    ISettings& Settings() { return *mSettingsFace; }

    // --- edition
    std::int16_t RevisionNumber() const; // 0 when the add-in workbook is not known yet
    int DataSourceKind() const;          // 668 "No such version!" outside 11, 12, 21, 22
    static std::string DataSourceKindName(int kind);
    bool DataSourceExists() const { return mDataSource != nullptr; }
    bool FormIsLoaded() const;

    // --- operations
    void Initialize();
    void ShowFirstMessage();
    void GetDatabase();
    void ShowSettings();
    void ShowHelp();
    void ShowAllSheets();
    void ShellOpen(const std::string& address);
    void SetOtherSheetsVisible(int visibility);
    bool IsFirstRun();
    void InitializeFirstRun();
    // Opening a database that is already chosen: the password or logon loop, the catalogue of
    // tables and queries, and the new data source installed in place of the old one. Failures
    // are reported to the person; false when nothing was opened (also after a cancel).
    bool OpenDatabaseFile(const std::string& path);
    // Every row of a table of the open data source, detached; raises when there is none.
    AdoRecordsetPtr TableRecordset(const std::string& table);

    // --- opening a database and the interface workbook
    // Picks and connects a data source; true when a new one is installed. Reports its own
    // failures; a cancel answers false silently and leaves the previous data source in place.
    bool OpenDataSource();
    void ReleaseDataSource();
    // The first free path for the interface workbook in the temp folder: not held open by
    // another running host, not open in this one, and either absent or removable.
    std::string GetTempWorkbookPath();
    std::string BuildTempWorkbookPath(std::int16_t number) const;
    bool IsWorkbookOpen(const std::string& fileName) const;
    bool FileExists(const std::string& path) const;
    void FillDbObjectMenus();
    void ClearMenuPopup(ICB& bar, const std::string& tag);
    void FillTablesMenu(ICB& bar);
    void FillViewsMenu(ICB& bar);
    void FillQueriesMenu(ICB& bar);
    void SetFormControlsVisible(ICB& bar, bool visible);

    // The one routine that writes database rows into a sheet: field names in the header row,
    // the records below; answers the data range. On the form sheet also the captions and the
    // database's number formats.
    RangePtr FillSheetFromRecordset(IWorksheet& sheet, IAdoRecordset& rs, std::int32_t row,
                                    std::int16_t column);

    // The host application as the event sink sees it; null before Initialize.
    ApplicationPtr ExcelApp() const;

  private:
    // Runs a command a person started in the command trap; true when it ran to its end.
    template <class F> bool guarded(F&& f);
    std::shared_ptr<clsDSAccess> NewAccessDataSource();
    // The password or logon loop and the catalogue; false after a cancel or a reported failure.
    bool ConnectDataSource(clsDSAccess& ds);
    void BuildInterfaceWorkbook(IApplication& app);
    void ProtectInterface();
    void ReportDamagedSettings();

    PlatformServices mServices;
    std::shared_ptr<IDS> mDataSource;
    std::unique_ptr<clsForm> mForm;
    std::unique_ptr<clsCommand> mCommand;
    std::unique_ptr<clsMenuBarControl> mMenuBar;
    std::unique_ptr<clsCommandBar> mCommandBar;
    std::unique_ptr<clsRegistry> mRegistry;
    std::unique_ptr<clsSettings> mSettings;
    std::unique_ptr<ISettings> mSettingsFace;
    std::unique_ptr<clsAux> mAux;
};

} // namespace qv
