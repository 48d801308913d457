// The command runner: saved queries, views and free SQL. One run at a time, nothing kept
// between runs. A statement that may change the database is confirmed first; returned rows go
// to a new sheet of the interface workbook, otherwise the number of records affected is shown.
#pragma once

#include "datasource/CommandContext.h"
#include "platform/NumberedError.h"
#include "platform/engine/IAdoCommand.h"

#include <cstdint>
#include <string>

namespace qv {

class clsCommand {
  public:
    explicit clsCommand(CommandContext context);

    // bSaved: a saved query (or view with bView) by its 1-based Index, or the clicked menu
    // control's when Index <= 0; otherwise free SQL asked for in an input box.
    void RunCommand(bool bView, bool bSaved, std::int16_t Index);
    // Runs and reports; every failure is shown here, none leaves.
    void ExecuteCommand(bool bView, bool bSaved, std::string& sql, std::int16_t Index);
    // Asks before anything that may change the database; false: the statement is not run.
    bool ConfirmStatement(const std::string& sql);
    static bool ReturnsRows(const std::string& sql);
    void ShowResultSheet(const AdoRecordsetPtr& rs, const std::string& queryName, bool bView);
    std::string ResultSheetName(const std::string& queryName, bool bView);
    bool SheetExists(const std::string& name);

    // The longest sheet name the host takes, in UTF-16 units.
    static constexpr long MaxSheetName = 31;

  private:
    ApplicationPtr app() const;
    WorkbookPtr interfaceWorkbook() const;
    int ask(int messageId, int flags) const;
    std::string savedQueryName(bool bView, std::int16_t Index) const;
    void report(const NumberedError& e, bool bSaved, const std::string& name, const std::string& sql);
    void cleanUp(AdoCommandPtr& command, AdoRecordsetPtr& rs);

    CommandContext mCtx;
};

} // namespace qv
