// What the host tells a listener about the person's actions. Events arrive on the one thread,
// only while the application's events switch is on.
#pragma once

#include "platform/host/IWorkbook.h"

namespace qv {

class IApplicationEvents {
  public:
    virtual ~IApplicationEvents() = default;
    virtual void sheetChange(const WorksheetPtr& sheet, const RangePtr& target) {}
    virtual void sheetActivate(const WorksheetPtr& sheet) {}
    virtual void sheetSelectionChange(const WorksheetPtr& sheet, const RangePtr& target) {}
    virtual void workbookActivate(const WorkbookPtr& book) {}
    virtual void workbookDeactivate(const WorkbookPtr& book) {}
    virtual void workbookBeforeSave(const WorkbookPtr& book, bool saveAsUI, bool& cancel) {}
    virtual void workbookBeforeClose(const WorkbookPtr& book, bool& cancel) {}
    virtual void workbookOpen(const WorkbookPtr& book) {}
    virtual void newWorkbook(const WorkbookPtr& book) {}
};

} // namespace qv
