// The application's command bars: the built-in worksheet menu bar (with its "&Help" menu), the
// "Task Pane" bar, and the bars that code adds.
#pragma once

#include "platform/host/ICommandBars.h"

#include <memory>
#include <vector>

namespace qv::sheet {

class CommandBarSet : public ICommandBars {
public:
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

private:
    struct Impl;
    std::unique_ptr<Impl> mImpl;
};

} // namespace qv::sheet
