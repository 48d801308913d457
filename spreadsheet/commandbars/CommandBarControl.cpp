// A removed control stays usable as a plain object (its holder may still have it in a
// variable) but is no longer found or counted anywhere.
#include "spreadsheet/commandbars/CommandBarControl.h"

#include "platform/host/HostConstants.h"
#include "spreadsheet/commandbars/CommandBarControls.h"

namespace qv::sheet {

CommandBarControl::CommandBarControl(int type, bool temporary, std::weak_ptr<CommandBarControls> parent)
    : mType(type), mTemporary(temporary), mParent(std::move(parent)) {
    if (mType == xl::ControlPopup) mChildren = std::make_shared<CommandBarControls>();
}

long CommandBarControl::index() const {
    const auto parent = mParent.lock();
    return parent ? parent->indexOf(this) : 0;
}

void CommandBarControl::remove() {
    if (const auto parent = mParent.lock()) parent->erase(this); // may destroy *this last
}

std::shared_ptr<ICommandBarControls> CommandBarControl::controls() {
    return mChildren;
}

std::string CommandBarControl::tooltipText() const {
    if (!mTooltip.empty()) return mTooltip;
    std::string shown;
    for (std::size_t i = 0; i < mCaption.size(); ++i) {
        if (mCaption[i] != '&') {
            shown.push_back(mCaption[i]);
        } else if (i + 1 < mCaption.size() && mCaption[i + 1] == '&') {
            shown.push_back('&'); // "&&" shows one '&'
            ++i;
        }
    }
    return shown;
}

} // namespace qv::sheet
