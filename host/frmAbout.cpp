#include "host/frmAbout.h"

#include "common/AppConstants.h"
#include "common/clsAux.h"
#include "common/clsSettings.h"
#include "common/modErrors.h"
#include "common/modGlobalization.h"
#include "platform/IShell.h"

namespace qv {

frmAbout::frmAbout(clsAux& aux, const PlatformServices& services)
    : mAux(aux), mServices(services), mModel("frmAbout", std::string(APP_NAME)) {
    using modGlobalization::GetFormControlText;
    const std::string caption = GetFormControlText("frmAbout");
    mModel.setCaption(caption.empty() ? std::string(APP_NAME) : caption + " " + std::string(APP_NAME));
    mModel.add({.name = "lblProduct", .kind = ControlKind::Label, .caption = std::string(APP_NAME)});
    mModel.add({.name = "lblVersion", .kind = ControlKind::Label, .caption = VersionText()});
    mModel.add({.name = "cmdSysInfo",
                .kind = ControlKind::CommandButton,
                .caption = GetFormControlText("cmdSysInfo")});
    mModel.add({.name = "cmdOK",
                .kind = ControlKind::CommandButton,
                .caption = "OK",
                .isDefault = true,
                .isCancel = true});
    mModel.onClick("cmdSysInfo", [this](DialogModel&) { startSystemInfo(); });
    mModel.onClick("cmdOK", [](DialogModel& d) { d.close(dialog::Accepted); });
}

std::string frmAbout::VersionText() const {
    const Variant version = mAux.ReadSetting(setting::Version);
    const std::string revision = std::to_string(mAux.RevisionNumber());
    const std::string v = version.isEmpty() ? std::string() : version.toString();
    return v.empty() ? revision : v + "." + revision;
}

void frmAbout::startSystemInfo() {
    IShell* shell = mServices.shell;
    if (shell)
        for (const char* tool : SYSINFO_TOOLS)
            if (shell->programAvailable(tool) && shell->startProgram(tool)) return;
    if (mServices.dialogs)
        modErrors::ShowMessage(*mServices.dialogs, modGlobalization::GetText(177),
                               modErrors::FlagsInformation);
}

void frmAbout::Show() {
    if (mServices.toolkit) mServices.toolkit->showModal(mModel);
}

} // namespace qv
