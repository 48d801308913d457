// The password dialog for a database protected by a database password only. View model for a
// toolkit to render; Cancel empties the password so the caller stops asking.
#pragma once

#include "platform/DialogModel.h"

#include <string>

namespace qv {

class frmPassword {
  public:
    frmPassword();

    std::string Password() const;
    void Show(IDialogToolkit& toolkit);

    DialogModel& Model() { return mModel; }

  private:
    DialogModel mModel;
};

} // namespace qv
