// Long work in the window. The add-in runs on the one thread that also paints, so the task's
// own progress calls keep the window alive: each report (and each question whether the person
// cancelled) lets the event loop run for a moment, at most every few milliseconds, so the window
// repaints and a click on Cancel is seen well within 200 ms. Work that ends within a second
// shows nothing; past that a progress bar with Cancel appears in the status bar. While the task
// runs the rest of the window takes no input, so no second command can start inside the first.
#pragma once

#include "platform/IProgress.h"

#include <QElapsedTimer>

#include <functional>
#include <string>

class QProgressBar;
class QPushButton;
class QLabel;
class QWidget;

namespace qv::app {

class QtProgress : public IProgress {
  public:
    QtProgress() = default;
    ~QtProgress() override;
    // Where the bar shows and which part of the window stops taking input while work runs.
    void attach(QWidget* barHost, QWidget* blocked);

    void Report(double fraction, const std::string& text) override;
    bool Cancelled() const override;

    // The host calls these around every command of the person's; a task without reports
    // therefore never leaves a bar behind.
    void begin();
    void end();
    bool visible() const;
    void cancel() { mCancelled = true; }
    QPushButton* cancelButton() const { return mCancel; }
    QProgressBar* bar() const { return mBar; }

    static constexpr int ShowAfterMs = 1000;
    static constexpr int PumpEveryMs = 15;

  private:
    void pump() const;
    void show();
    QWidget* mHost = nullptr;
    QWidget* mBlocked = nullptr;
    QProgressBar* mBar = nullptr;
    QLabel* mText = nullptr;
    QPushButton* mCancel = nullptr;
    QElapsedTimer mStarted;
    mutable QElapsedTimer mPumped;
    bool mCancelled = false;
    bool mShown = false;
    int mDepth = 0;
};

} // namespace qv::app
