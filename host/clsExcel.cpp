#include "host/clsExcel.h"

#include "common/clsAux.h"
#include "common/clsSettings.h"
#include "common/modErrors.h"
#include "form/clsForm.h"
#include "host/Globals.h"
#include "host/clsApplication.h"
#include "host/clsCommandBar.h"
#include "host/clsMenuBarControl.h"
#include "platform/IRegistryStore.h"

#include <algorithm>

namespace qv {

clsExcel::clsExcel(ApplicationPtr application) : moExcel(std::move(application)) {
    if (!moExcel) return;
    moExcel->addEventListener(this);
    SaveUserSettings();
}

clsExcel::~clsExcel() {
    if (moExcel) moExcel->removeEventListener(this);
}

void clsExcel::SaveUserSettings() {
    if (!goApplication || !moExcel) return;
    clsAux& aux = goApplication->Aux();
    aux.SaveSetting(reg::REG_DWORD, setting::UserMoveAfterReturnDirection,
                    Variant(moExcel->moveAfterReturnDirection()));
    CommandBarPtr taskPane = moExcel->commandBars()->find(TaskPaneBar);
    const bool visible = taskPane && taskPane->visible();
    aux.SaveSetting(reg::REG_SZ, setting::UserDisplayTaskPane, Variant(visible ? "True" : "False"));
}

void clsExcel::RestoreUserSettings() {
    if (!goApplication || !moExcel) return;
    clsAux& aux = goApplication->Aux();
    const Variant direction = aux.ReadSetting(setting::UserMoveAfterReturnDirection);
    if (!direction.isEmpty() && direction.isNumeric())
        moExcel->setMoveAfterReturnDirection(direction.toInt32());
    const Variant taskPane = aux.ReadSetting(setting::UserDisplayTaskPane);
    if (CommandBarPtr bar = moExcel->commandBars()->find(TaskPaneBar); bar && !taskPane.isEmpty())
        bar->setVisible(taskPane.toBool());
}

void clsExcel::RefreshStates() {
    UpdateSqlControl();
    UpdateRecordControls();
}

void clsExcel::UpdateSqlControl() {
    if (!goApplication || !moExcel) return;
    WorksheetPtr formSheet = goApplication->Form().Sheet();
    WorkbookPtr active = moExcel->activeWorkbook();
    const bool enabled = formSheet && active && formSheet->parent() == active;
    clsAux& aux = goApplication->Aux();
    aux.SetExecuteSqlEnabled(goApplication->MenuBar(), enabled);
    aux.SetExecuteSqlEnabled(goApplication->CommandBar(), enabled);
    if (mbRestoreUserSettings) {
        RestoreUserSettings();
        mbRestoreUserSettings = false;
    }
}

void clsExcel::UpdateRecordControls() {
    if (!goApplication || !moExcel) return;
    WorksheetPtr formSheet = goApplication->Form().Sheet();
    WorksheetPtr active = moExcel->activeSheet();
    const bool isActive = formSheet && active && formSheet == active;
    clsAux& aux = goApplication->Aux();
    aux.SetHotKeys(goApplication->MenuBar(), isActive);
    aux.SetHotKeys(goApplication->CommandBar(), isActive);
}

int clsExcel::FileFormatOfExtension(const std::string& extension) {
    std::string e = extension;
    std::transform(e.begin(), e.end(), e.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (e == "xls") return 56;
    if (e == "xml") return 46;
    if (e == "mht" || e == "mhtml") return 45;
    if (e == "htm" || e == "html") return 44;
    if (e == "txt") return -4158;
    if (e == "csv") return 6;
    return 0;
}

void clsExcel::sheetActivate(const WorksheetPtr&) {
    try {
        RefreshStates();
    } catch (const NumberedError& e) {
        if (goServices.dialogs) modErrors::ReportError(*goServices.dialogs, e);
    }
}

void clsExcel::workbookActivate(const WorkbookPtr&) {
    try {
        RefreshStates();
    } catch (const NumberedError& e) {
        if (goServices.dialogs) modErrors::ReportError(*goServices.dialogs, e);
    }
}

} // namespace qv
