// The add-in's own dialogs (message with "don't show again", settings, logon, password, about)
// shown as Qt windows. The window is built from the dialog model: every control becomes a widget
// of its kind, a person's input goes back into the model through its handlers, and after each
// handler the widgets are brought up to date from the model, so captions, values, enabled and
// visible states the add-in changes show at once. The call returns when a handler closes the
// model.
#pragma once

#include "platform/DialogModel.h"

#include <functional>

class QDialog;
class QWidget;

namespace qv::app {

class QtDialogToolkit : public IDialogToolkit {
  public:
    explicit QtDialogToolkit(QWidget* parent = nullptr) : mParent(parent) {}
    void setParent(QWidget* parent) { mParent = parent; }
    int showModal(DialogModel& model) override;

    // Tests answer a dialog the way a person would, by its widgets: called once the window shows.
    void setShownHook(std::function<void(QDialog&)> hook) { mShown = std::move(hook); }

  private:
    QWidget* mParent;
    std::function<void(QDialog&)> mShown;
};

} // namespace qv::app
