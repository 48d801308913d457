// The switchable information message: a small modal dialog with the message text and the box
// "Don't show this message again". Each message belongs to one message switch (SettingName);
// ticking or clearing the box writes the switch at once, there is no cancel. The dialog is a
// platform DialogModel, so any toolkit (a window, a test script) can show it.
#pragma once

#include "platform/DialogModel.h"

#include <string>

namespace qv {

class ISettings;

class frmMessage {
  public:
    explicit frmMessage(ISettings& settings);

    const std::string& SettingName() const { return mSettingName; }
    void SetSettingName(std::string name) { mSettingName = std::move(name); }
    void SetText(const std::string& text);

    // Loads the dialog (title, captions, the box's start state, which may write the switch)
    // and shows it modally until OK or the window's close button.
    void Show(IDialogToolkit& toolkit);

    DialogModel& Model() { return mModel; }

  private:
    void Load();

    ISettings& mSettings;
    std::string mSettingName;
    DialogModel mModel;
};

} // namespace qv
