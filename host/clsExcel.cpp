#include "host/clsExcel.h"

#include "common/HostStateGuard.h"
#include "common/clsAux.h"
#include "common/clsSettings.h"
#include "common/modErrors.h"
#include "common/modGlobalization.h"
#include "datasource/IDS.h"
#include "datasource/ITable.h"
#include "form/clsForm.h"
#include "host/Globals.h"
#include "host/clsApplication.h"
#include "host/clsCommandBar.h"
#include "host/clsMenuBarControl.h"
#include "platform/IRegistryStore.h"
#include "platform/IShell.h"

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

std::string clsExcel::BuildSaveAsFilter(int revision) {
    const bool legacy = revision == 11 || revision == 21;
    const std::string native = legacy ? "xls" : "xlsx";
    const std::string workbook = modGlobalization::GetText(9);
    std::string filter = "Excel" + workbook + " (*." + native + "),*." + native + ",";
    if (!legacy) filter += "Excel 97-2003" + workbook + " (*.xls),*.xls,";
    for (int id = 197; id <= 201; ++id)
        filter += modGlobalization::GetText(id);
    return filter;
}

void clsExcel::ReportError(const NumberedError& e) {
    if (!goServices.dialogs || e.number() == err::Cancelled) return;
    try {
        if (e.number() == err::InvalidProcedureCall) {
            modErrors::ShowMessage(*goServices.dialogs, modGlobalization::GetText(216),
                                   modErrors::FlagsExclamation);
            return;
        }
        modErrors::ReportUnexpected(*goServices.dialogs, e);
    } catch (...) {
        // Nothing may reach the host from an event.
    }
}

namespace {
// Runs an event handler's work under the one trap: numbered errors pass, foreign ones are
// wrapped, and every one is reported.
template <class F> void trapped(F&& f) {
    try {
        modErrors::Numbered("clsExcel", std::forward<F>(f));
    } catch (const NumberedError& e) {
        clsExcel::ReportError(e);
    }
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}
} // namespace

void clsExcel::sheetActivate(const WorksheetPtr&) {
    trapped([this] { RefreshStates(); });
}

void clsExcel::workbookActivate(const WorkbookPtr&) {
    trapped([this] { RefreshStates(); });
}

WorkbookPtr clsExcel::InterfaceWorkbook() const {
    if (!goApplication) return nullptr;
    WorksheetPtr sheet = goApplication->Form().Sheet();
    return sheet ? sheet->parent() : nullptr;
}

void clsExcel::sheetChange(const WorksheetPtr& sheet, const RangePtr& target) {
    trapped([&] {
        if (!goApplication || !sheet || !target) return;
        clsForm& form = goApplication->Form();
        WorksheetPtr formSheet = form.Sheet();
        if (!formSheet || formSheet != sheet) return;
        std::shared_ptr<IDS> ds = goApplication->DataSource();
        // A table without a primary key is shown read-only; its edits are not tracked.
        if (!ds || !form.HasMatrix() || !ds->Table().HasPrimaryKey()) return;
        form.OnSheetChange(target);
    });
}

void clsExcel::workbookBeforeClose(const WorkbookPtr& book, bool& cancel) {
    trapped([&] {
        WorkbookPtr own = InterfaceWorkbook();
        if (!own || own != book) return;
        clsForm& form = goApplication->Form();
        if (!goApplication->Aux().ConfirmWorkbookAction("close", form.HasEdits(), book->worksheetCount())) {
            cancel = true;
            return;
        }
        // The generated sheets are not kept: the host must not ask to save them.
        book->setSaved(true);
        EndDatabaseWork();
    });
}

void clsExcel::workbookBeforeSave(const WorkbookPtr& book, bool, bool& cancel) {
    trapped([&] {
        WorkbookPtr own = InterfaceWorkbook();
        if (!own || own != book) return;
        // The interface workbook is never saved in place: only a copy under another name.
        cancel = true;
        clsForm& form = goApplication->Form();
        clsAux& aux = goApplication->Aux();
        if (!aux.ConfirmWorkbookAction("save", form.HasEdits(), book->worksheetCount())) return;
        const int revision = goApplication->RevisionNumber();
        std::string folder = goServices.shell ? goServices.shell->documentsFolder() : std::string();
        if (!folder.empty() && folder.back() != '/') folder += '/';
        const Variant answer =
            moExcel->getSaveAsFilename(folder + book->name(), BuildSaveAsFilter(revision), "");
        // The picker answers false on cancel; only a path goes on.
        if (!answer.isString() || answer.str().empty()) return;
        const std::string path = answer.str();
        {
            HostStateGuard guard(moExcel, HostStateGuard::OnExit::RestorePrevious);
            moExcel->setEnableEvents(false);
            form.ClearFormatting();
            const std::string extension = lower(clsAux::FileExtension(path));
            const std::string native = revision == 11 || revision == 21 ? "xls" : "xlsx";
            const int format = extension == native ? 0 : FileFormatOfExtension(extension);
            book->saveAs(path, format);
        }
        EndDatabaseWork();
    });
}

void clsExcel::EndDatabaseWork() {
    clsForm& form = goApplication->Form();
    form.SetSheet(nullptr);
    form.SetListsSheet(nullptr);
    form.Release();
    if (std::shared_ptr<IDS> ds = goApplication->DataSource()) {
        try {
            ds->DisconnectADO();
            ds->DisconnectDAO();
        } catch (const NumberedError&) {
            // The data source goes either way; a failing disconnect leaves nothing to keep.
        }
        goApplication->SetDataSource(nullptr);
    }
    mbRestoreUserSettings = true;
    clsAux& aux = goApplication->Aux();
    aux.ResetCommandBar(goApplication->MenuBar());
    aux.ResetCommandBar(goApplication->CommandBar());
    aux.SetHotKeys(goApplication->MenuBar(), false);
    aux.SetHotKeys(goApplication->CommandBar(), false);
}

} // namespace qv
