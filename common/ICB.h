// The one face of the add-in's two command surfaces, the menu popup and the toolbar: both are
// built, removed and searched by tag the same way, so the controller and the utilities treat
// them alike. Object() answers the host object behind the surface, which is a popup control
// for the menu and a command bar for the toolbar; CBObject carries either.
#pragma once

#include "platform/host/ICommandBars.h"

#include <memory>
#include <string>

namespace qv {

struct CBObject {
    CommandBarControlPtr popup; // the menu's popup control
    CommandBarPtr bar;          // the toolbar

    bool exists() const { return popup != nullptr || bar != nullptr; }
    // The controls directly on the surface; null when it does not exist.
    std::shared_ptr<ICommandBarControls> controls() const {
        if (popup) return popup->controls();
        if (bar) return bar->controls();
        return nullptr;
    }
};

class ICB {
  public:
    virtual ~ICB() = default;
    // Builds the surface, deleting an older one first.
    virtual void AddObject() = 0;
    // Removes the surface; nothing when it does not exist.
    virtual void DeleteObject() = 0;
    virtual bool ObjectExists() = 0;
    // The control with this tag, or null.
    virtual CommandBarControlPtr FindControlByTag(const std::string& sTag) = 0;
    virtual CBObject Object() = 0;
};

} // namespace qv
