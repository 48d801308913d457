// The add-in workbook's code: its three modules and their globals, attached to the workbook
// the host opened from the package. The host runs the modules only by macro name
// ("ThisWorkbook.Workbook_Open", "Ribbon.GetLabel"), as it would any workbook's code, and
// drops them when the workbook closes.
#pragma once

#include "host/workbook/Ribbon.h"
#include "host/workbook/ThisWorkbook.h"
#include "host/workbook/WorkbookGlobals.h"

#include <memory>

namespace qv::xlam {

class WorkbookProject {
  public:
    // Registers the modules' macros with the workbook's application. Does not open the
    // workbook: the host runs "ThisWorkbook.Workbook_Open" once it has loaded the ribbon.
    static std::shared_ptr<WorkbookProject> attach(const WorkbookPtr& book, const PlatformServices& services);

    WorkbookGlobals& globals() { return mGlobals; }
    Ribbon& ribbon() { return mRibbon; }
    ThisWorkbook& thisWorkbook() { return mThisWorkbook; }

  private:
    WorkbookProject() : mRibbon(mGlobals), mThisWorkbook(mGlobals, mRibbon) {}

    WorkbookGlobals mGlobals;
    Ribbon mRibbon;
    ThisWorkbook mThisWorkbook;
};

} // namespace qv::xlam
