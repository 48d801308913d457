// The logon dialog for a database secured by a workgroup information file: user name and
// password. Only the view model lives here; a toolkit renders it. Cancel empties the password,
// which is how the caller learns that the user gave up.
#pragma once

#include "platform/DialogModel.h"

#include <string>

namespace qv {

class frmLogon {
  public:
    frmLogon();

    void SetUser(const std::string& user);
    void SetPassword(const std::string& password);
    std::string User() const;
    std::string Password() const;

    // Shows the dialog modally through the toolkit; afterwards read User and Password.
    void Show(IDialogToolkit& toolkit);

    DialogModel& Model() { return mModel; }

  private:
    DialogModel mModel;
};

} // namespace qv
