// The add-in's toolbar: a copy of the menu's top-level commands. In ribbon hosts it is hidden
// like the menu; in menu hosts it is the quick way to the commands.
#pragma once

#include "common/ICB.h"
#include "platform/host/IApplication.h"

#include <functional>

namespace qv {

class clsAux;

class clsCommandBar : public ICB {
  public:
    clsCommandBar(std::function<ApplicationPtr()> application, std::function<clsAux*()> aux, ICB& menu);

    // Builds the toolbar, or with reset clear reuses an existing one and only resets its states;
    // then shows it.
    void Create(bool reset);

    void AddObject() override;
    void DeleteObject() override;
    bool ObjectExists() override;
    CommandBarControlPtr FindControlByTag(const std::string& sTag) override;
    CBObject Object() override;

  private:
    CommandBarPtr bar();
    std::function<ApplicationPtr()> mApplication;
    std::function<clsAux*()> mAux;
    ICB& mMenu;
};

} // namespace qv
