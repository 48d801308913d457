// Positions are 1-based as the host counts them; an insert position one past the end appends.
#include "spreadsheet/commandbars/CommandBarControls.h"

#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/commandbars/CommandBarControl.h"

#include <algorithm>
#include <fmt/format.h>

namespace qv::sheet {

long CommandBarControls::count() const {
    return static_cast<long>(mControls.size());
}

CommandBarControlPtr CommandBarControls::item(long index) const {
    if (index < 1 || index > count())
        throw ErrorCatalogue::make(err::SubscriptOutOfRange, "CommandBarControls");
    return mControls[static_cast<std::size_t>(index - 1)];
}

CommandBarControlPtr CommandBarControls::add(int type, long before, bool temporary) {
    if (type != xl::ControlButton && type != xl::ControlPopup)
        throw NumberedError(
            err::InvalidProcedureCall, "CommandBarControls",
            fmt::format("Invalid procedure call or argument: control type {} cannot be added", type));
    if (before < 0 || before > count() + 1)
        throw NumberedError(
            err::InvalidProcedureCall, "CommandBarControls",
            fmt::format("Invalid procedure call or argument: no position {} among {} controls", before,
                        count()));
    auto control = std::make_shared<CommandBarControl>(type, temporary, weak_from_this());
    const auto at = before == 0 ? mControls.end() : mControls.begin() + (before - 1);
    mControls.insert(at, control);
    return control;
}

CommandBarControlPtr CommandBarControls::findByCaption(const std::string& caption) const {
    for (const auto& c : mControls)
        if (c->caption() == caption) return c;
    return nullptr;
}

CommandBarControlPtr CommandBarControls::findByTag(const std::string& tag) const {
    for (const auto& c : mControls) {
        if (c->tag() == tag) return c;
        if (c->children())
            if (auto found = c->children()->findByTag(tag)) return found;
    }
    return nullptr;
}

long CommandBarControls::indexOf(const CommandBarControl* control) const {
    const auto it =
        std::find_if(mControls.begin(), mControls.end(), [&](const auto& c) { return c.get() == control; });
    return it == mControls.end() ? 0 : static_cast<long>(it - mControls.begin()) + 1;
}

void CommandBarControls::erase(const CommandBarControl* control) {
    std::erase_if(mControls, [&](const auto& c) { return c.get() == control; });
}

} // namespace qv::sheet
