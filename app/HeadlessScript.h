// The runner's script: what a person does and what they look at, one line each, with the
// answers to the dialogs those actions bring up written after them. Answer lines use the dialog
// script's own syntax; those after an action answer the prompts of that action in order, those
// before the first action answer the start-up and the command line's database and table.
//
//   pick cmdOpenDB                 a ribbon button (cmdRowAdd, cmdRowUpdate, cmdRowDelete,
//   pick cboTables 2                 cmdRefresh, cmdExecSql, cmdSettings, cmdHelp, cmdClose, ...)
//                                    or an entry of a drop-down (cboTables, cboQueries, cboViews)
//   select B2:C4                   select a range of the active sheet
//   enter B2 "Zoë"                 type into a cell (unquoted: the rest of the line)
//   paste B2                       paste tab-separated rows at B2, one per line, until "end"
//     12<TAB>Ada
//   end
//   key F7                         press a key the add-in binds (F6 to F9)
//   show values A1:C3              what is there: values, texts (as displayed), colors (fill),
//   show texts A1:C3                 locks; the last message shown; the status bar text
//   show message
//   show status
//   open "/data/shop.sqlite"       any other line is a dialog answer (see DialogScriptReader)
//
// A line that cannot be read is error 5 with its line number, and nothing of the script runs.
#pragma once

#include "system/DialogScript.h"

#include <string>
#include <string_view>
#include <vector>

namespace qv::app {

struct HeadlessAction {
    enum class Kind { Answers, Pick, Select, Enter, Paste, Key, Show };
    Kind kind = Kind::Answers;
    int line = 0;
    std::string target;                         // control id, range address, key name or what to show
    int index = 0;                              // the drop-down entry (1-based) of a pick
    std::string text;                           // what is entered
    std::string subject;                        // of show: the range
    std::vector<std::vector<std::string>> rows; // of paste
    std::vector<ScriptStep> answers;
};

class HeadlessScript {
  public:
    // A script's lines and paste blocks are bounded so that a wrong file cannot exhaust the
    // runner: a sheet has no more rows and columns than these.
    static constexpr std::size_t MaxPasteRows = 1048576;
    static constexpr std::size_t MaxPasteColumns = 16384;

    static std::vector<HeadlessAction> read(std::string_view text);
};

} // namespace qv::app
