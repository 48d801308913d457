// The box starts ticked only for the database hint, so that hint silences itself after its
// first showing unless the person clears the box; the other messages start with the box clear.
// Setting the start state goes through the model's change handler exactly when the value
// changes, the way a check box raises its click event, so the switch is written the same way
// as by a person's click.
#include "common/frmMessage.h"

#include "common/AppConstants.h"
#include "common/ISettings.h"
#include "common/SettingNames.h"
#include "common/modGlobalization.h"

namespace qv {

namespace {
constexpr const char* CheckBox = "chkDontShowAgain";
constexpr const char* TextLabel = "lblText";
constexpr const char* OkButton = "cmdOK";
constexpr int RegSz = 1;
} // namespace

frmMessage::frmMessage(ISettings& settings) : mSettings(settings), mModel("frmMessage") {
    mModel.add(
        {.name = TextLabel, .kind = ControlKind::Label, .left = 12, .top = 12, .width = 300, .height = 60});
    mModel.add(
        {.name = "Line1", .kind = ControlKind::Frame, .left = 12, .top = 80, .width = 300, .height = 1});
    mModel.add({.name = CheckBox,
                .kind = ControlKind::CheckBox,
                .value = Variant(false),
                .left = 12,
                .top = 90,
                .width = 220,
                .height = 18});
    mModel.add({.name = OkButton,
                .kind = ControlKind::CommandButton,
                .caption = "OK",
                .isDefault = true,
                .isCancel = true,
                .left = 240,
                .top = 88,
                .width = 72,
                .height = 22});

    mModel.onChange(CheckBox, [this](DialogModel& m) {
        bool ticked = m.control(CheckBox).value.toBool();
        mSettings.SaveSetting(RegSz, mSettingName, Variant(ticked ? "False" : "True"));
    });
    mModel.onClick(OkButton, [](DialogModel& m) { m.close(dialog::Accepted); });
    mModel.onQueryClose([](DialogModel& m) { m.close(dialog::Accepted); });
}

void frmMessage::SetText(const std::string& text) {
    mModel.control(TextLabel).caption = text;
}

void frmMessage::Load() {
    mModel.setCaption(std::string(APP_NAME));
    mModel.control(CheckBox).caption = modGlobalization::GetFormControlText(CheckBox);
    bool ticked = mSettingName == setting::ShowMessageSelectDb;
    if (mModel.control(CheckBox).value.toBool() != ticked) mModel.setValue(CheckBox, Variant(ticked));
}

void frmMessage::Show(IDialogToolkit& toolkit) {
    Load();
    toolkit.showModal(mModel);
}

} // namespace qv
