// What the form needs of the application that owns it. The controller wires these; tests wire
// the real spreadsheet host and engine in-process. Getters rather than objects, because the
// host application and the data source change over the controller's life.
#pragma once

#include "platform/host/IApplication.h"

#include <functional>
#include <memory>

namespace qv {

class IDS;
class clsAux;
class ICB;
class IDialogs;
class IShell;
class IProgress;

struct FormContext {
    std::function<ApplicationPtr()> application;
    std::function<std::shared_ptr<IDS>()> dataSource;
    std::function<clsAux*()> aux; // settings, switchable messages, sheet formatting, control states
    IDialogs* dialogs = nullptr;
    IShell* shell = nullptr; // new GUIDs for added rows
    // The two command surfaces (menu and toolbar); a getter may answer null.
    std::function<ICB*()> menuBar;
    std::function<ICB*()> commandBar;
    // The event sink's update of the command surfaces for the active sheet; optional.
    std::function<void()> updateCommandSurfaces;
    // Whoever shows progress of long loads and offers Cancel; optional, may answer null.
    std::function<IProgress*()> progress;
};

} // namespace qv
