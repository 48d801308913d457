// A named command bar: the host's menu bar, its task pane, or a toolbar that code added.
// The set that holds it is reached through a callback so that remove() needs no back pointer
// into the set's private state.
#pragma once

#include "platform/host/ICommandBars.h"
#include "spreadsheet/commandbars/CommandBarControls.h"

#include <functional>
#include <memory>
#include <string>

namespace qv::sheet {

class CommandBar : public ICommandBar {
  public:
    CommandBar(std::string name, bool builtIn, std::function<void(const CommandBar*)> onRemove);

    std::string name() const override { return mName; }
    bool visible() const override { return mVisible; }
    void setVisible(bool v) override { mVisible = v; }
    void remove() override; // error 5 for the host's own bars
    std::shared_ptr<ICommandBarControls> controls() override { return mControls; }
    CommandBarControlPtr findControl(const std::string& tag) override;

    bool builtIn() const { return mBuiltIn; }
    const std::shared_ptr<CommandBarControls>& controlList() const { return mControls; }

  private:
    std::string mName;
    bool mBuiltIn;
    bool mVisible = true;
    std::function<void(const CommandBar*)> mOnRemove;
    std::shared_ptr<CommandBarControls> mControls = std::make_shared<CommandBarControls>();
};

} // namespace qv::sheet
