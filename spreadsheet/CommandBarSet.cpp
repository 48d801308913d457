#include "spreadsheet/CommandBarSet.h"

#include "platform/NumberedError.h"

namespace qv::sheet {

// Placeholder until the command-bar model lands: no bars at all.
struct CommandBarSet::Impl {
    CommandBarControlPtr action;
};

CommandBarSet::CommandBarSet() : mImpl(std::make_unique<Impl>()) {}
CommandBarSet::~CommandBarSet() = default;
long CommandBarSet::count() const { return 0; }
CommandBarPtr CommandBarSet::item(long) const { throw NumberedError(err::SubscriptOutOfRange, "CommandBars", "Subscript out of range"); }
CommandBarPtr CommandBarSet::find(const std::string&) const { return nullptr; }
CommandBarPtr CommandBarSet::add(const std::string&, bool) { throw NumberedError(err::NotImplemented, "CommandBars", "Command bars are not available yet"); }
CommandBarControlPtr CommandBarSet::actionControl() const { return mImpl->action; }
CommandBarControlPtr CommandBarSet::findControl(const std::string&) const { return nullptr; }
void CommandBarSet::setActionControl(CommandBarControlPtr c) { mImpl->action = std::move(c); }

} // namespace qv::sheet
