// The application window: the host's File menu, the add-in's ribbon tab (or, in the menu
// edition, its classic menu and toolbar), the formula bar, the grid of the active sheet, the
// sheet tabs and the status bar with the host's status text. Every command a person starts
// runs through run(): timers the command queued run after it, a failure becomes the host's
// message box, and the window is brought up to date from the model afterwards.
#pragma once

#include "platform/NumberedError.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QTabBar;
class QVBoxLayout;

namespace qv::sheet {
class Worksheet;
}

namespace qv::app {

class CommandBarMenus;
class DesktopSession;
class RibbonBar;
class SheetView;

class MainWindow : public QMainWindow {
  public:
    explicit MainWindow(DesktopSession& session, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Runs one command of the person's; never throws.
    void run(const std::function<void()>& command);
    // Brings every part of the window up to date with the model.
    void sync();
    // A key of the host's key assignment (F6..F9): its bound macro, if any.
    void pressHostKey(const QString& key);
    void report(const NumberedError& e);
    // Picks the entry with this label in a ribbon drop-down, as a person would; false when the
    // drop-down or the entry is not there.
    bool pickRibbonEntry(const QString& controlId, const QString& label);

    SheetView* grid() const { return mGrid; }
    RibbonBar* ribbon() const { return mRibbon; }
    QTabBar* sheetTabs() const { return mTabs; }
    QLineEdit* formulaBar() const { return mFormula; }
    QLabel* statusText() const { return mStatus; }
    CommandBarMenus* classicMenus() const { return mClassic.get(); }

    // The host's File menu.
    void newWorkbook();
    void openWorkbook();
    void closeWorkbook();
    void saveWorkbookAs();
    void showAddins();
    // Opens a database through the add-in, as a file chosen in its picker would be opened.
    void openDatabase(const std::string& path);
    // An Access database (the one opened last, else one the person picks) written as a new
    // SQLite file the person names; the copy is then offered for opening.
    void saveCopyAsSqlite();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildFileMenu();
    // The ribbon strip follows the session's ribbon, which comes and goes with the add-ins.
    void syncRibbon();
    void dropRibbon();
    void openThroughAddin(const std::string& path);
    void buildFormulaBar();
    void syncTabs();
    void syncFormulaBar();
    void commitFormula();
    DesktopSession& mSession;
    SheetView* mGrid = nullptr;
    RibbonBar* mRibbon = nullptr;
    QVBoxLayout* mColumn = nullptr;
    QTabBar* mTabs = nullptr;
    QLineEdit* mFormula = nullptr;
    QLabel* mNameBox = nullptr;
    QLabel* mStatus = nullptr;
    std::unique_ptr<CommandBarMenus> mClassic;
    std::weak_ptr<sheet::Worksheet> mShown;
    bool mSyncing = false;
    int mDepth = 0;
    bool mAltAlone = false;
};

} // namespace qv::app
