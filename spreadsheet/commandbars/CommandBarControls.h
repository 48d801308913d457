// The ordered controls of a bar or of a popup. Controls keep a weak link back to the list
// that holds them, so a control can remove itself and report its position without the list
// and its controls keeping each other alive.
#pragma once

#include "platform/host/ICommandBars.h"

#include <memory>
#include <string>
#include <vector>

namespace qv::sheet {

class CommandBarControl;

class CommandBarControls : public ICommandBarControls,
                           public std::enable_shared_from_this<CommandBarControls> {
  public:
    long count() const override;
    CommandBarControlPtr item(long index) const override;
    CommandBarControlPtr add(int type, long before = 0, bool temporary = true) override;
    CommandBarControlPtr findByCaption(const std::string& caption) const override;

    // Depth-first: a control, then the controls of its popup, then its next sibling.
    CommandBarControlPtr findByTag(const std::string& tag) const;
    long indexOf(const CommandBarControl* control) const; // 0 when not here
    void erase(const CommandBarControl* control);

  private:
    std::vector<std::shared_ptr<CommandBarControl>> mControls;
};

} // namespace qv::sheet
