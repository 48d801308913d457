// The workbook side's application event class: it only keeps the ribbon in step with what the
// person does. The add-in library's own event sink receives the same events and does the work.
#pragma once

#include "host/workbook/WorkbookGlobals.h"
#include "platform/host/IApplicationEvents.h"

#include <functional>

namespace qv::xlam {

class clsExcel : public IApplicationEvents {
  public:
    // Binds to the running application; `init` is the ribbon module's Init.
    clsExcel(WorkbookGlobals& globals, std::function<void()> init);
    ~clsExcel() override;
    clsExcel(const clsExcel&) = delete;
    clsExcel& operator=(const clsExcel&) = delete;

    void sheetActivate(const WorksheetPtr& sheet) override;
    void sheetChange(const WorksheetPtr& sheet, const RangePtr& target) override;
    void workbookActivate(const WorkbookPtr& book) override;
    void workbookBeforeClose(const WorkbookPtr& book, bool& cancel) override;
    void workbookBeforeSave(const WorkbookPtr& book, bool saveAsUI, bool& cancel) override;

  private:
    WorksheetPtr formSheet() const;

    WorkbookGlobals& g;
    std::function<void()> mInit;
    std::weak_ptr<IApplication> mApp;
};

} // namespace qv::xlam
