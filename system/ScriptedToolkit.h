// Shows the add-in's dialog models from a DialogScript: the dialog is activated as a window
// would be, its controls are recorded as a person would have seen them, then the step's
// actions are played (values set, keys typed through the key filters, buttons clicked) until a
// handler closes it. A dialog the script does not expect, or one still open after its actions,
// is closed by the window's close box (cancel) and recorded as an error.
#pragma once

#include "platform/DialogModel.h"
#include "system/DialogScript.h"

namespace qv {

class ScriptedToolkit : public IDialogToolkit {
  public:
    explicit ScriptedToolkit(DialogScript& script) : mScript(script) {}
    int showModal(DialogModel& model) override;

  private:
    void play(DialogModel& model, const DialogAction& action, std::size_t record);
    DialogScript& mScript;
    std::string mFocus; // the control of the dialog being played that holds the focus
};

} // namespace qv
