// The about dialog: the product name, the version ("Version" setting, a point and the revision
// number) and a button that starts the system information tool.
#pragma once

#include "platform/DialogModel.h"
#include "platform/PlatformServices.h"

#include <string>

namespace qv {

class clsAux;

class frmAbout {
  public:
    // Candidates for the system information tool, tried in order.
    static constexpr const char* SYSINFO_TOOLS[] = {"hardinfo", "gnome-system-monitor", "kinfocenter"};

    frmAbout(clsAux& aux, const PlatformServices& services);
    // "1.0.12"; the revision alone when no version was written yet.
    std::string VersionText() const;
    DialogModel& Model() { return mModel; }
    void Show();

  private:
    void startSystemInfo();
    clsAux& mAux;
    PlatformServices mServices;
    DialogModel mModel;
};

} // namespace qv
