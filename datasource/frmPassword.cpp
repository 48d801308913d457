// Controls, captions and button behaviour of the password dialog.
#include "datasource/frmPassword.h"

#include "datasource/modDSMessages.h"

namespace qv {

namespace {

void cancel(DialogModel& m) {
    m.control("txtPassword").value = Variant(std::string());
    m.close(dialog::Cancelled);
}

} // namespace

frmPassword::frmPassword() : mModel("frmPassword") {
    mModel.add({.name = "lblDbPassword", .kind = ControlKind::Label});
    mModel.add({.name = "txtPassword",
                .kind = ControlKind::TextBox,
                .value = Variant(std::string()),
                .passwordChar = '*'});
    mModel.add({.name = "cmdOK", .kind = ControlKind::CommandButton, .caption = "OK", .isDefault = true});
    mModel.add({.name = "cmdCancel", .kind = ControlKind::CommandButton, .isCancel = true});

    mModel.onActivate([](DialogModel& m) {
        m.setCaption(DSCaption("frmPassword"));
        m.control("lblDbPassword").caption = DSCaption("lblDbPassword");
        m.control("cmdCancel").caption = DSText(msg::Cancel);
    });
    mModel.onClick("cmdOK", [](DialogModel& m) { m.close(dialog::Accepted); });
    mModel.onClick("cmdCancel", cancel);
    mModel.onQueryClose(cancel);
}

std::string frmPassword::Password() const {
    return mModel.control("txtPassword").value.toString();
}

void frmPassword::Show(IDialogToolkit& toolkit) {
    mModel.reopen();
    toolkit.showModal(mModel);
}

} // namespace qv
