// Bars are kept in creation order (the host's own first); names compare without regard to
// case, as the host's CommandBars("...") lookup does.
#include "spreadsheet/commandbars/CommandBarSet.h"

#include "platform/NumberedError.h"
#include "platform/TextUtil.h"
#include "platform/host/HostConstants.h"
#include "spreadsheet/commandbars/CommandBar.h"
#include "spreadsheet/commandbars/CommandBarControl.h"

#include <algorithm>

namespace qv::sheet {

struct CommandBarSet::Impl {
    std::vector<std::shared_ptr<CommandBar>> bars;
    CommandBarControlPtr action;

    std::shared_ptr<CommandBar> create(std::weak_ptr<Impl> self, const std::string& name, bool builtIn) {
        auto bar = std::make_shared<CommandBar>(name, builtIn, [self](const CommandBar* gone) {
            if (auto impl = self.lock())
                std::erase_if(impl->bars, [&](const auto& b) { return b.get() == gone; });
        });
        bars.push_back(bar);
        return bar;
    }
};

CommandBarSet::CommandBarSet() : mImpl(std::make_shared<Impl>()) {
    auto menu = mImpl->create(mImpl, WorksheetMenuBar, true);
    for (const char* caption :
         {"&File", "&Edit", "&View", "&Insert", "F&ormat", "&Tools", "&Data", "&Window", "&Help"}) {
        auto popup = menu->controls()->add(xl::ControlPopup, 0, false);
        popup->setCaption(caption);
    }
    mImpl->create(mImpl, TaskPaneBar, true);
}

CommandBarSet::~CommandBarSet() = default;

long CommandBarSet::count() const {
    return static_cast<long>(mImpl->bars.size());
}

CommandBarPtr CommandBarSet::item(long index) const {
    if (index < 1 || index > count()) throw ErrorCatalogue::make(err::SubscriptOutOfRange, "CommandBars");
    return mImpl->bars[static_cast<std::size_t>(index - 1)];
}

CommandBarPtr CommandBarSet::find(const std::string& name) const {
    for (const auto& b : mImpl->bars)
        if (TextUtil::equalsIgnoreCase(b->name(), name)) return b;
    return nullptr;
}

CommandBarPtr CommandBarSet::add(const std::string& name, bool) {
    if (name.empty())
        throw NumberedError(err::InvalidProcedureCall, "CommandBars",
                            "Invalid procedure call or argument: a bar needs a name");
    if (find(name))
        throw NumberedError(err::InvalidProcedureCall, "CommandBars",
                            "Invalid procedure call or argument: a bar named \"" + name +
                                "\" exists already");
    return mImpl->create(mImpl, name, false);
}

CommandBarControlPtr CommandBarSet::actionControl() const {
    return mImpl->action;
}

CommandBarControlPtr CommandBarSet::findControl(const std::string& tag) const {
    for (const auto& b : mImpl->bars)
        if (auto c = b->findControl(tag)) return c;
    return nullptr;
}

void CommandBarSet::setActionControl(CommandBarControlPtr c) {
    mImpl->action = std::move(c);
}

bool CommandBarSet::click(const CommandBarControlPtr& control, const MacroRunner& run) {
    if (!control || control->type() != xl::ControlButton || !control->enabled() || !control->visible() ||
        control->onAction().empty() || !run)
        return false;
    // A macro may click another control; the outer one is the action control again afterwards.
    struct Restore {
        Impl& impl;
        CommandBarControlPtr previous;
        ~Restore() { impl.action = std::move(previous); }
    } restore{*mImpl, mImpl->action};
    mImpl->action = control;
    run(control->onAction());
    return true;
}

} // namespace qv::sheet
