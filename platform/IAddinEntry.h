// The add-in's entry object as the host and the add-in workbook's code modules see it once
// they have created it by ProgID: the members they call by name. Collections come back as
// plain lists of names (one-based in the caller's eyes: item 1 is element 0).
#pragma once

#include "platform/IObjectFactory.h"
#include "platform/engine/IAdoRecordset.h"
#include "platform/host/IWorkbook.h"

#include <optional>
#include <string>
#include <vector>

namespace qv {

class IAddinEntry {
  public:
    virtual ~IAddinEntry() = default;
    virtual void Initialize(const WorkbookPtr& oWorkbook) = 0;
    virtual void AddinUninstall() = 0;
    virtual void GetDatabase() = 0;
    virtual void Show(int IndexRibbonDropDown) = 0;
    virtual void ExecuteView(int IndexRibbonDropDown) = 0;
    virtual void ExecuteQuery(int IndexRibbonDropDown) = 0;
    virtual void ExecuteSQL() = 0;
    virtual void AddRow() = 0;
    virtual void WriteData() = 0;
    virtual void DeleteRows() = 0;
    virtual void Refresh() = 0;
    virtual void ShowHelp() = 0;
    virtual void ShowInfo() = 0;
    virtual void ShowSettings() = 0;
    virtual void ShowAllSheets() = 0;
    virtual void CloseWorkbook() = 0;
    virtual void ShowFirstMessage() = 0;
    virtual void SayHello() = 0;
    virtual std::string GetLabel(const std::string& ControlID) = 0;
    virtual std::string GetImage(const std::string& ControlID) = 0;
    virtual bool GetEnabled(const std::string& ControlID) = 0;
    virtual bool GetVisible(const std::string& ControlID) = 0;
    // Nothing when there is no controller or no data source.
    virtual std::optional<std::vector<std::string>> TableList() const = 0;
    virtual std::optional<std::vector<std::string>> QueryList() const = 0;
    virtual std::optional<std::vector<std::string>> ViewList() const = 0;
    virtual bool DataSourceExists() const = 0;
    virtual WorksheetPtr Sheet() const = 0;

    // For hosts that drive the add-in from a script instead of its file dialog: opens the
    // database at path as "Open database" does once a file is chosen (password or logon
    // dialog, the catalogue), reporting any failure to the person. False when no database was
    // opened, also when the person cancelled.
    virtual bool OpenDatabaseFile(const std::string& path) = 0;
    // All rows of one table of the open database, detached from the connection; a failure is
    // reported to the person and answers null.
    virtual AdoRecordsetPtr TableRecordset(const std::string& table) = 0;
};

} // namespace qv
