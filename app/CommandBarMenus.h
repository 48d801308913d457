// The classic menu and toolbars of the menu edition, drawn from the host's command bars: the
// popups that code added to the worksheet menu bar become menus of the window's menu bar, and
// every visible bar that code added becomes a toolbar. A click runs the control's action through
// the host, with the control as the action control for the duration of the macro.
#pragma once

#include <functional>
#include <memory>
#include <vector>

class QMainWindow;
class QMenu;
class QToolBar;

namespace qv {
class ICommandBarControls;
namespace sheet {
class Application;
}
} // namespace qv

namespace qv::app {

class CommandBarMenus {
  public:
    using Runner = std::function<void(const std::function<void()>&)>;
    CommandBarMenus(QMainWindow& window, sheet::Application& app, Runner run);
    // Builds the menus and toolbars afresh from the command bars' current state.
    void rebuild();
    const std::vector<QMenu*>& menus() const { return mMenus; }
    const std::vector<QToolBar*>& toolbars() const { return mToolbars; }

  private:
    void fill(QMenu* menu, const std::shared_ptr<ICommandBarControls>& controls);
    QMainWindow& mWindow;
    sheet::Application& mApp;
    Runner mRun;
    std::vector<QMenu*> mMenus;
    std::vector<QToolBar*> mToolbars;
};

} // namespace qv::app
