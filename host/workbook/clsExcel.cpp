#include "host/workbook/clsExcel.h"

#include "platform/host/IWorksheet.h"

namespace qv::xlam {

clsExcel::clsExcel(WorkbookGlobals& globals, std::function<void()> init)
    : g(globals), mInit(std::move(init)), mApp(globals.application) {
    if (auto app = mApp.lock()) app->addEventListener(this);
}

// An application that is going away has already dropped its listeners.
clsExcel::~clsExcel() {
    if (auto app = mApp.lock()) app->removeEventListener(this);
}

// The entry object's form sheet; an entry object that fails to answer counts as no form.
WorksheetPtr clsExcel::formSheet() const {
    try {
        return g.goQuorvel ? g.goQuorvel->Sheet() : nullptr;
    } catch (...) {
        return nullptr;
    }
}

void clsExcel::sheetActivate(const WorksheetPtr&) {
    mInit();
}

void clsExcel::sheetChange(const WorksheetPtr& sheet, const RangePtr&) {
    if (!g.goQuorvel) return;
    const WorksheetPtr form = formSheet();
    if (form && sheet && form.get() == sheet.get()) mInit();
}

void clsExcel::workbookActivate(const WorkbookPtr&) {
    mInit();
}

// Only once the library has closed the form itself.
void clsExcel::workbookBeforeClose(const WorkbookPtr&, bool&) {
    if (g.goQuorvel && !formSheet()) mInit();
}

void clsExcel::workbookBeforeSave(const WorkbookPtr& book, bool, bool&) {
    if (!g.goQuorvel) return;
    const WorksheetPtr form = formSheet();
    if (!form) {
        mInit();
        return;
    }
    const WorkbookPtr formBook = form->parent();
    if (formBook && book && formBook.get() == book.get()) mInit();
}

} // namespace qv::xlam
