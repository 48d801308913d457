// What a data source needs from the application that creates it. The controller owns all of
// these and keeps them alive for as long as the data source exists; the data source never
// reaches for process globals, so tests can wire their own engine, dialogs and form.
#pragma once

#include "platform/Variant.h"

#include <cstdint>
#include <functional>
#include <string>

namespace qv {

class IObjectFactory;
class IDialogToolkit;
class IDialogs;

struct DSContext {
    // The add-in workbook's revision number: 11 (.mdb driver, "DAO.DBEngine.36") or 12
    // (.mdb/.accdb driver, "DAO.DBEngine.120").
    std::int32_t RevisionNumber = 12;
    IObjectFactory* Objects = nullptr; // creates "ADODB.Connection", "ADODB.Command", the DAO engine
    IDialogToolkit* Toolkit = nullptr; // shows the logon and password dialogs
    IDialogs* Dialogs = nullptr;       // message box for a refused logon
    // The table the form currently shows; the table metadata always describes that table.
    std::function<std::string()> CurrentTableName;
    // The host's mouse pointer: 11 hourglass, 0 default. Optional.
    std::function<void(int)> SetMousePointer;
    // The host's typed input box (prompt, title, type 1 number, 2 text, 4 logical); answers the
    // logical value false on Cancel. Asks for the values of a saved query's parameters.
    std::function<Variant(const std::string& prompt, const std::string& title, int type)> InputBox;
};

} // namespace qv
