// The application's command bars: the built-in worksheet menu bar (with the host's own menus,
// "&Help" last), the "Task Pane" bar, and the bars that code adds. The set also runs a control's
// action the way the host does, with the clicked control readable as the action control for
// exactly the duration of the macro.
#pragma once

#include "platform/host/ICommandBars.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qv::sheet {

class CommandBarSet : public ICommandBars {
  public:
    // Runs a macro by name ("ThisWorkbook.Refresh"); typically IApplication::run.
    using MacroRunner = std::function<void(const std::string& macro)>;

    CommandBarSet();
    ~CommandBarSet() override;
    long count() const override;
    CommandBarPtr item(long index) const override;
    CommandBarPtr find(const std::string& name) const override;
    CommandBarPtr add(const std::string& name, bool temporary = true) override;
    CommandBarControlPtr actionControl() const override;
    CommandBarControlPtr findControl(const std::string& tag) const override;

    // The host runs a control's action: sets the action control for the duration of the call.
    void setActionControl(CommandBarControlPtr control);

    // A person clicks a control: runs its OnAction macro with the control as the action control,
    // and clears it afterwards, also when the macro fails (the failure goes to the caller).
    // Answers false, running nothing, for a popup, a disabled or hidden control, or one without
    // an action.
    bool click(const CommandBarControlPtr& control, const MacroRunner& run);

  private:
    struct Impl;
    std::shared_ptr<Impl> mImpl;
};

} // namespace qv::sheet
