// Controls, captions and button behaviour of the logon dialog.
#include "datasource/frmLogon.h"

#include "datasource/modDSMessages.h"

namespace qv {

namespace {

void cancel(DialogModel& m) {
    m.control("txtPassword").value = Variant(std::string());
    m.close(dialog::Cancelled);
}

} // namespace

frmLogon::frmLogon() : mModel("frmLogon") {
    mModel.add({.name = "lblName", .kind = ControlKind::Label});
    mModel.add({.name = "txtUser", .kind = ControlKind::TextBox, .value = Variant(std::string())});
    mModel.add({.name = "lblPassword", .kind = ControlKind::Label});
    mModel.add({.name = "txtPassword",
                .kind = ControlKind::TextBox,
                .value = Variant(std::string()),
                .passwordChar = '*'});
    mModel.add({.name = "cmdOK", .kind = ControlKind::CommandButton, .caption = "OK", .isDefault = true});
    mModel.add({.name = "cmdCancel", .kind = ControlKind::CommandButton, .isCancel = true});

    mModel.onActivate([](DialogModel& m) {
        m.setCaption(DSCaption("frmLogon"));
        m.control("lblName").caption = DSText(msg::Name);
        m.control("lblPassword").caption = DSText(msg::Password) + ": ";
        m.control("cmdCancel").caption = DSText(msg::Cancel);
        // A user named by the shortcut only needs the password.
        if (!m.control("txtUser").value.toString().empty() &&
            m.control("txtPassword").value.toString().empty())
            m.setFocus("txtPassword");
    });
    mModel.onClick("cmdOK", [](DialogModel& m) { m.close(dialog::Accepted); });
    mModel.onClick("cmdCancel", cancel);
    mModel.onQueryClose(cancel);
}

void frmLogon::SetUser(const std::string& user) {
    mModel.control("txtUser").value = Variant(user);
}
void frmLogon::SetPassword(const std::string& password) {
    mModel.control("txtPassword").value = Variant(password);
}
std::string frmLogon::User() const {
    return mModel.control("txtUser").value.toString();
}
std::string frmLogon::Password() const {
    return mModel.control("txtPassword").value.toString();
}

void frmLogon::Show(IDialogToolkit& toolkit) {
    mModel.reopen();
    toolkit.showModal(mModel);
}

} // namespace qv
