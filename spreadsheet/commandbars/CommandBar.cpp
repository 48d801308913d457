// The host refuses to delete its own bars; code may only hide them.
#include "spreadsheet/commandbars/CommandBar.h"

#include "platform/NumberedError.h"

namespace qv::sheet {

CommandBar::CommandBar(std::string name, bool builtIn, std::function<void(const CommandBar*)> onRemove)
    : mName(std::move(name)), mBuiltIn(builtIn), mOnRemove(std::move(onRemove)) {}

void CommandBar::remove() {
    if (mBuiltIn)
        throw NumberedError(err::InvalidProcedureCall, "CommandBar",
                            "Invalid procedure call or argument: the bar \"" + mName +
                                "\" belongs to the host");
    if (mOnRemove) {
        auto onRemove = std::move(mOnRemove); // *this may be destroyed by the call
        onRemove(this);
    }
}

CommandBarControlPtr CommandBar::findControl(const std::string& tag) {
    return mControls->findByTag(tag);
}

} // namespace qv::sheet
