// The workbook module: the workbook's events, the start-up that creates the entry object, and
// the routines the library binds to F6-F9 ("ThisWorkbook.AddRow" and so on).
#pragma once

#include "host/workbook/Ribbon.h"
#include "host/workbook/WorkbookGlobals.h"
#include "host/workbook/clsExcel.h"

#include <memory>

namespace qv::xlam {

class ThisWorkbook {
  public:
    ThisWorkbook(WorkbookGlobals& globals, Ribbon& ribbon) : g(globals), mRibbon(ribbon) {}

    void registerMacros(IApplication& app, const WorkbookPtr& owner, const std::shared_ptr<void>& keepAlive);

    void Workbook_Open() { Initialize(); }
    void Workbook_AddinUninstall();
    void ShowFirstMessage();
    // The hot keys: no trap of their own, as the host reports a failing key macro itself.
    void AddRow();
    void WriteData();
    void DeleteRows();
    void Refresh();

    // Creates the entry object (registering a present but unregistered library once) and
    // hands it this workbook; any failure is told to the person and leaves goQuorvel empty.
    void Initialize();

  private:
    IAddinEntry& quorvel();
    void createQuorvel(int revision);
    void report(const std::string& text);

    WorkbookGlobals& g;
    Ribbon& mRibbon;
    std::unique_ptr<clsExcel> mExcel;
};

} // namespace qv::xlam
