// The settings dialog: the ten colours of the worksheet form, the display switches, the
// large-load threshold, the column-width policy, and the two restore buttons. The dialog works
// on a copy: nothing reaches the settings until Apply, OK or "Apply default settings", and
// those re-format the open worksheet form at once through the controller's hook. A platform
// DialogModel, so any toolkit (a window, a test script) shows it.
#pragma once

#include "platform/DialogModel.h"

#include <array>
#include <functional>
#include <string>

namespace qv {

class clsAux;

class frmSettings {
  public:
    static constexpr int ColorCount = 10;
    // The palette entry the colour-edit dialog works on.
    static constexpr int EditPaletteIndex = 32;
    static constexpr long CellsWarningMin = 10000, CellsWarningMax = 500000;
    static constexpr long FixedWidthMin = 2, FixedWidthMax = 100;

    // `reformatForm` re-formats the open worksheet form with the settings as stored (it does
    // nothing when no form is open); the controller supplies it.
    frmSettings(clsAux& aux, std::function<void()> reformatForm);

    // Captions, then LoadSettingsIntoDialog, then modal until OK or Cancel.
    void Show();

    void LoadSettingsIntoDialog();
    // The nineteen form settings in catalogue order; with restoreDefaults the catalogue's own
    // values instead of the dialog's.
    void SaveAllSettings(bool restoreDefaults);
    void ApplySettings(bool closeAfterwards);

    long Color(int index) const { return mColors.at(static_cast<std::size_t>(index)); }
    DialogModel& Model() { return mModel; }

  private:
    void setCaptions();
    void setEnabledStates();
    void changeColor(int index);
    void applyDefaults();
    bool checkNumber(const std::string& box, long low, long high);
    std::string grouped(long value) const;

    clsAux& mAux;
    std::function<void()> mReformatForm;
    std::array<long, ColorCount> mColors{};
    DialogModel mModel;
};

} // namespace qv
