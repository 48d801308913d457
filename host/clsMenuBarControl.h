// The add-in's popup menu on the host's worksheet menu bar. In ribbon hosts it stays invisible
// and its controls are the store of the ribbon's enabled and visible states, so its tags are
// the keys every other part of the add-in looks up.
#pragma once

#include "common/ICB.h"
#include "platform/host/IApplication.h"

#include <functional>
#include <string>

namespace qv {

class clsAux;

class clsMenuBarControl : public ICB {
  public:
    // application: the host (absent before the add-in is initialised); aux: for the bar reset.
    clsMenuBarControl(std::function<ApplicationPtr()> application, std::function<clsAux*()> aux,
                      std::function<int()> dataSourceKind);
    ~clsMenuBarControl() override;

    void AddObject() override;
    void DeleteObject() override;
    bool ObjectExists() override;
    CommandBarControlPtr FindControlByTag(const std::string& sTag) override;
    CBObject Object() override;

    CommandBarControlPtr FindSubmenuControlByTag(const CommandBarControlPtr& oSubMenuControl,
                                                 const std::string& sTag);
    // The popup's caption: the product name with its access key.
    static std::string Name();

  private:
    CommandBarControlPtr popup();
    std::function<ApplicationPtr()> mApplication;
    std::function<clsAux*()> mAux;
    std::function<int()> mDataSourceKind;
};

} // namespace qv
