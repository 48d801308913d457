// What the command runner needs from the controller that owns it. The runner lives with the
// data sources but writes into the host's sheets and reports through the add-in's messages, so
// everything outside the data source folder comes in here as a getter or a routine.
#pragma once

#include "platform/engine/IAdoRecordset.h"
#include "platform/host/IApplication.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace qv {

class IDS;
class ICB;
class IDialogs;
class clsAux;

struct CommandContext {
    std::function<ApplicationPtr()> Application;
    std::function<std::shared_ptr<IDS>()> DataSource; // null while no database is open
    clsAux* Aux = nullptr;
    IDialogs* Dialogs = nullptr;
    // The form's worksheet, or null while there is none; result sheets go after it.
    std::function<WorksheetPtr()> FormSheet;
    // The controller's one routine that writes a record set into a sheet: field names at
    // (row, column), the records below; answers the data range.
    std::function<RangePtr(const WorksheetPtr& sheet, const AdoRecordsetPtr& rs, std::int32_t row,
                           std::int16_t column)>
        FillSheetFromRecordset;
    // The menu and the toolbar; either may be absent.
    std::function<ICB*()> MenuBar;
    std::function<ICB*()> ToolBar;
    // 0 for the Access edition, 1 for the SQL Server edition.
    std::function<int()> DataSourceKind;
};

} // namespace qv
