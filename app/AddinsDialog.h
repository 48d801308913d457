// File > Add-Ins...: every package of the host's add-in list with a check box for whether it is
// installed, the selected one's title and file below, Browse... to list another package (picked
// through the open-file contract), and OK to install and uninstall as the boxes say. Cancel
// changes no installation; a package listed through Browse stays listed, as the host keeps it.
#pragma once

#include "platform/NumberedError.h"

#include <QDialog>

#include <vector>

class QLabel;
class QListWidget;

namespace qv {
class IDialogs;
namespace sheet {
class AddIns;
}
} // namespace qv

namespace qv::app {

class AddinsDialog : public QDialog {
  public:
    AddinsDialog(sheet::AddIns& list, IDialogs& dialogs, QWidget* parent = nullptr);

    // Installs the checked packages that are not and uninstalls the unchecked ones that are,
    // trying each; answers what failed.
    std::vector<NumberedError> apply();
    // Lists the package the person picks; a refused file is told and the list stays as it was.
    void browse();

    QListWidget* items() const { return mItems; }

  private:
    void fill();
    void showSelected();
    sheet::AddIns& mList;
    IDialogs& mDialogs;
    QListWidget* mItems = nullptr;
    QLabel* mAbout = nullptr;
};

} // namespace qv::app
