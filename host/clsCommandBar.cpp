#include "host/clsCommandBar.h"

#include "common/AppConstants.h"
#include "common/CommandBarTags.h"
#include "common/clsAux.h"
#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"

namespace qv {

namespace {
void copyControl(ICommandBarControl& from, ICommandBarControl& to) {
    to.setCaption(from.caption());
    to.setTag(from.tag());
    to.setFaceId(from.faceId());
    to.setOnAction(from.onAction());
    to.setBeginGroup(from.beginGroup());
    to.setParameter(from.parameter());
    to.setTooltipText(from.tooltipText());
}

void copyPopup(ICommandBarControl& from, ICommandBarControls& target) {
    CommandBarControlPtr copy = target.add(xl::ControlPopup);
    copyControl(from, *copy);
    auto items = from.controls();
    auto copies = copy->controls();
    for (long i = 1; items && i <= items->count(); ++i) {
        CommandBarControlPtr item = items->item(i);
        if (item->type() == xl::ControlPopup) {
            copyPopup(*item, *copies);
        } else {
            CommandBarControlPtr c = copies->add(item->type());
            copyControl(*item, *c);
        }
    }
}
} // namespace

clsCommandBar::clsCommandBar(std::function<ApplicationPtr()> application, std::function<clsAux*()> aux,
                             ICB& menu)
    : mApplication(std::move(application)), mAux(std::move(aux)), mMenu(menu) {}

CommandBarPtr clsCommandBar::bar() {
    ApplicationPtr app = mApplication ? mApplication() : nullptr;
    return app ? app->commandBars()->find(std::string(APP_NAME)) : nullptr;
}

void clsCommandBar::Create(bool reset) {
    if (ObjectExists() && !reset) {
        if (clsAux* aux = mAux ? mAux() : nullptr) aux->ResetCommandBar(*this);
    } else {
        AddObject();
    }
    if (CommandBarPtr b = bar()) b->setVisible(true);
}

void clsCommandBar::AddObject() {
    DeleteObject();
    CommandBarPtr toolbar = mApplication()->commandBars()->add(std::string(APP_NAME));
    auto target = toolbar->controls();
    std::shared_ptr<ICommandBarControls> source = mMenu.Object().controls();
    for (long i = 1; source && i <= source->count(); ++i) {
        CommandBarControlPtr c = source->item(i);
        const std::string tag = c->tag();
        if (c->type() == xl::ControlButton) {
            if (tag == tag::CloseApplication || tag == tag::DevControl) continue;
            CommandBarControlPtr copy = target->add(xl::ControlButton);
            copyControl(*c, *copy);
            copy->setEnabled(c->enabled());
            copy->setVisible(c->visible());
        } else if (c->type() == xl::ControlPopup) {
            if (tag == tag::Help) continue;
            copyPopup(*c, *target);
        } else {
            throw NumberedError(err::NotImplemented, std::string(APP_TITLE),
                                "CommandBarControltype is not implemented!");
        }
    }
    if (clsAux* aux = mAux ? mAux() : nullptr) aux->ResetCommandBar(*this);
}

void clsCommandBar::DeleteObject() {
    if (CommandBarPtr b = bar()) b->remove();
}

bool clsCommandBar::ObjectExists() {
    return bar() != nullptr;
}

CommandBarControlPtr clsCommandBar::FindControlByTag(const std::string& sTag) {
    CommandBarPtr b = bar();
    return b ? b->findControl(sTag) : nullptr;
}

CBObject clsCommandBar::Object() {
    return CBObject{nullptr, bar()};
}

} // namespace qv
