// The ribbon as a strip of widgets built from the live ribbon's control states: a page per
// tab, a box per group, a widget per control. Clicks and picks go back to the ribbon's callbacks
// through the runner the window gives (so every failure is reported, never thrown into Qt); when
// the workbook invalidates the ribbon the strip is rebuilt from a fresh snapshot once control
// has returned to the event loop. Key tips: Alt shows them, the typed letters pick the tab and
// then the control.
#pragma once

#include <QPointer>
#include <QTabWidget>

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

class QLabel;

namespace qv::sheet {
class RibbonRuntime;
struct RibbonControlState;
} // namespace qv::sheet

namespace qv::app {

class RibbonBar : public QTabWidget {
  public:
    using Runner = std::function<void(const std::function<void()>&)>;
    RibbonBar(sheet::RibbonRuntime& ribbon, Runner run, QWidget* parent = nullptr);
    ~RibbonBar() override;

    // Rebuilds when the ribbon was invalidated since the last build.
    void refresh();
    void rebuild();
    // The widget of a control by its id (objectName), for tests and key tips.
    QWidget* controlWidget(const QString& id) const;
    // The strip stops asking its ribbon anything: the ribbon may be gone already.
    void detach() { mDetached = true; }
    // The live ribbon this strip shows.
    sheet::RibbonRuntime& runtime() const { return mRibbon; }

    // Key tips: shown or hidden, and one typed letter; answers whether it was taken.
    void setKeyTipsShown(bool shown);
    bool keyTipsShown() const { return mKeyTipsShown; }
    bool typeKeyTip(QChar letter);

  private:
    QWidget* buildControl(const sheet::RibbonControlState& s, QWidget* parent, bool enabled);
    QWidget* buildGroup(const sheet::RibbonControlState& g, QWidget* parent);
    void trigger(const QString& id);
    // Runs what a control of the strip started, through the window's runner.
    void act(const std::function<void()>& action);
    void invalidated();
    sheet::RibbonRuntime& mRibbon;
    Runner mRun;
    std::uint64_t mBuilt = ~std::uint64_t{0};
    bool mRebuildQueued = false;
    bool mDetached = false;
    int mActing = 0;                         // actions of the strip's controls under way
    std::vector<QPointer<QWidget>> mRetired; // pages replaced while an action ran
    struct KeyTip {
        QString keys;
        QString id; // control id; empty for a tab
        int tab = -1;
    };
    std::vector<KeyTip> mKeyTips;
    std::vector<QLabel*> mBadges;
    bool mKeyTipsShown = false;
    int mKeyTipTab = -1; // the tab chosen by its key tip, -1 while none
    QString mTyped;
};

} // namespace qv::app
