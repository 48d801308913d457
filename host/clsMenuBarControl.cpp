#include "host/clsMenuBarControl.h"

#include "common/AppConstants.h"
#include "common/CommandBarTags.h"
#include "common/clsAux.h"
#include "common/modGlobalization.h"
#include "platform/Variant.h"
#include "platform/host/HostConstants.h"

namespace qv {

namespace {
struct MenuItem {
    int type;
    int textId;          // 0: caption given
    const char* caption; // when textId is 0
    const char* tag;
    int faceId;
    const char* onAction;
    bool beginGroup;
};

ICommandBarControl& addControl(ICommandBarControls& controls, const MenuItem& m, const std::string& caption) {
    CommandBarControlPtr c = controls.add(m.type);
    c->setCaption(caption);
    if (m.faceId) c->setFaceId(m.faceId);
    if (m.tag && *m.tag) c->setTag(m.tag);
    if (m.onAction && *m.onAction) c->setOnAction(m.onAction);
    c->setBeginGroup(m.beginGroup);
    return *c;
}
} // namespace

clsMenuBarControl::clsMenuBarControl(std::function<ApplicationPtr()> application,
                                     std::function<clsAux*()> aux, std::function<int()> dataSourceKind)
    : mApplication(std::move(application)), mAux(std::move(aux)), mDataSourceKind(std::move(dataSourceKind)) {
}

clsMenuBarControl::~clsMenuBarControl() {
    // Releasing the menu object removes the menu; the host may already be gone at unload.
    try {
        DeleteObject();
    } catch (...) {
    }
}

std::string clsMenuBarControl::Name() {
    // 'Q' is free on the host's menu bar (File, Edit, View, Insert, Format, Tools, Data, Window, Help).
    return "&" + std::string(APP_NAME);
}

CommandBarControlPtr clsMenuBarControl::popup() {
    ApplicationPtr app = mApplication ? mApplication() : nullptr;
    if (!app) return nullptr;
    CommandBarPtr bar = app->commandBars()->find(WorksheetMenuBar);
    if (!bar) return nullptr;
    return bar->controls()->findByCaption(Name());
}

void clsMenuBarControl::AddObject() {
    using namespace modGlobalization;
    DeleteObject();
    ApplicationPtr app = mApplication();
    CommandBarPtr bar = app->commandBars()->find(WorksheetMenuBar);
    if (!bar)
        throw NumberedError(err::ApplicationDefined, std::string(APP_TITLE),
                            "The worksheet menu bar is missing");
    auto topControls = bar->controls();
    // Before the host's own Help menu; at the end when the bar has none.
    long before = 0;
    if (CommandBarControlPtr help = topControls->findByCaption(GetText(136))) before = help->index();
    CommandBarControlPtr menu = topControls->add(xl::ControlPopup, before);
    menu->setCaption(Name());
    auto controls = menu->controls();

    const bool sqlServer = mDataSourceKind && mDataSourceKind() == 1;
    int openFace = 264;
    // Compared as the automation model compares text with a number: no number is error 13.
    if (sqlServer) openFace = Variant(app->version()).toDouble() <= 10 ? 6457 : 9965;

    const MenuItem items[] = {
        {xl::ControlButton, 122, nullptr, tag::OpenDatabase, openFace, "ThisWorkbook.GetDatabase", false},
        {xl::ControlPopup, 124, nullptr, tag::Tables, 0, nullptr, false},
        {xl::ControlPopup, 0, "&Views", tag::Views, 0, nullptr, false}, // server edition only
        {xl::ControlPopup, 0, sqlServer ? "&Stored procedures" : "&Queries", tag::Queries, 0, nullptr, false},
        {xl::ControlButton, 125, nullptr, tag::RowAdd, 539, "ThisWorkbook.AddRow", true},
        {xl::ControlButton, 126, nullptr, tag::RowUpdate, 538, "ThisWorkbook.WriteData", false},
        {xl::ControlButton, 127, nullptr, tag::RowDelete, 644, "ThisWorkbook.DeleteRows", false},
        {xl::ControlButton, 128, nullptr, tag::RefreshData, 1020, "ThisWorkbook.Refresh", false},
        {xl::ControlButton, 133, nullptr, tag::ExecuteSql, 528, "ThisWorkbook.ExecuteSQL", true},
        {xl::ControlButton, 134, nullptr, tag::Settings, 548, "ThisWorkbook.ShowSettings", false},
    };
    for (const MenuItem& m : items) {
        if (std::string(m.tag) == tag::Views && !sqlServer) continue;
        addControl(*controls, m, m.textId ? GetText(m.textId) : std::string(m.caption));
    }
    ICommandBarControl& help =
        addControl(*controls, {xl::ControlPopup, 136, nullptr, tag::Help, 0, nullptr, false}, GetText(136));
    auto helpControls = help.controls();
    addControl(*helpControls, {xl::ControlButton, 136, nullptr, "", 984, "ThisWorkbook.ShowHelp", false},
               GetText(136));
    addControl(*helpControls, {xl::ControlButton, 135, nullptr, "", 487, "ThisWorkbook.ShowInfo", false},
               GetText(135));
    addControl(
        *controls,
        {xl::ControlButton, 138, nullptr, tag::CloseApplication, 923, "ThisWorkbook.CloseWorkbook", true},
        GetText(138));

    if (clsAux* aux = mAux ? mAux() : nullptr) aux->ResetCommandBar(*this);
}

void clsMenuBarControl::DeleteObject() {
    if (CommandBarControlPtr p = popup()) p->remove();
}

bool clsMenuBarControl::ObjectExists() {
    return popup() != nullptr;
}

CommandBarControlPtr clsMenuBarControl::FindControlByTag(const std::string& sTag) {
    return FindSubmenuControlByTag(popup(), sTag);
}

CommandBarControlPtr clsMenuBarControl::FindSubmenuControlByTag(const CommandBarControlPtr& oSubMenuControl,
                                                                const std::string& sTag) {
    if (!oSubMenuControl) return nullptr;
    auto controls = oSubMenuControl->controls();
    if (!controls) return nullptr;
    for (long i = 1; i <= controls->count(); ++i) {
        CommandBarControlPtr c = controls->item(i);
        if (c->tag() == sTag) return c;
    }
    return nullptr;
}

CBObject clsMenuBarControl::Object() {
    return CBObject{popup(), nullptr};
}

} // namespace qv
