// Reads a dialog script from text, for the headless runner (and for tests that read better as a
// scenario). One step per line; the actions of a dialog follow it on its own line or on lines
// of their own:
//
//   # a comment
//   message "records updated" OK            answer: OK Cancel Yes No Abort Retry Ignore or a number
//   message "" Yes flags 65572              optional exact flags
//   input "Enter parameter" "1998"          or: input "SQL" cancel
//   open "/data/orders.mdb"                 or: open cancel; saveas likewise
//   color 65535                             or: color cancel
//   dialog frmLogon
//     set txtUser "jan"                     values: "text", true, false or a whole number
//     type txtPort "8080"                   keys through the control's key filter
//     click cmdOK
//     close                                 the window's close box
//
// A line that cannot be read is error 5 with its line number: a script that silently meant
// something else would make a test pass for the wrong reason.
#pragma once

#include "system/DialogScript.h"

#include <string_view>
#include <vector>

namespace qv {

class DialogScriptReader {
  public:
    static std::vector<ScriptStep> read(std::string_view text);
};

} // namespace qv
