// A dialog as the add-in defines it: named controls with captions, values and states, and
// handlers the add-in attaches. A toolkit renders the model (Qt in the desktop application, a
// script in tests), feeds the person's input back into the controls, calls the handlers, and
// returns when a handler closes the dialog. The add-in's dialog logic therefore runs the same
// way under every toolkit.
#pragma once

#include "platform/Variant.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qv {

enum class ControlKind {
    Label,
    TextBox,
    CheckBox,
    OptionButton,
    CommandButton,
    Frame,
    TabStrip,
    ListBox,
    ComboBox,
    Image
};

struct DialogControl {
    std::string name; // "txtUser", "chkDontShowAgain", "cmdOK"
    ControlKind kind = ControlKind::Label;
    std::string caption;
    Variant value; // text for text boxes, bool for check boxes, index for tab strips and lists
    std::vector<std::string> items; // list boxes, combo boxes, tab strip tabs
    std::string parent;             // frame or tab page the control sits on ("" = the dialog)
    int tabPage = -1;               // for controls on a tab strip page
    bool enabled = true;
    bool visible = true;
    bool isDefault = false; // Enter presses it
    bool isCancel = false;  // Escape presses it
    char passwordChar = 0;
    long backColor = -1; // OLE colour, -1 = the toolkit's own
    long foreColor = -1;
    int left = 0, top = 0, width = 0, height = 0; // points; a hint, toolkits may lay out themselves
};

class DialogModel {
  public:
    using Handler = std::function<void(DialogModel&)>;
    // Answers false to discard the key (the numeric text boxes use it).
    using KeyFilter = std::function<bool(DialogModel&, int keyCode)>;

    explicit DialogModel(std::string name = {}, std::string caption = {});

    const std::string& name() const { return mName; }
    const std::string& caption() const { return mCaption; }
    void setCaption(std::string c) { mCaption = std::move(c); }

    DialogControl& add(DialogControl control);
    DialogControl& control(const std::string& name); // error 9 when absent
    const DialogControl& control(const std::string& name) const;
    bool has(const std::string& name) const;
    const std::vector<DialogControl>& controls() const { return mControls; }

    // The control that holds the keyboard focus when the dialog shows; "" = the first one.
    void setFocus(std::string control) { mFocus = std::move(control); }
    const std::string& focus() const { return mFocus; }

    void onClick(const std::string& control, Handler h) { mClick[control] = std::move(h); }
    void onChange(const std::string& control, Handler h) { mChange[control] = std::move(h); }
    void onKey(const std::string& control, KeyFilter f) { mKey[control] = std::move(f); }
    void onActivate(Handler h) { mActivate = std::move(h); }
    // Called when the person closes the window without a button; default: cancel.
    void onQueryClose(Handler h) { mQueryClose = std::move(h); }

    // --- what toolkits call
    void activate();
    void click(const std::string& control);
    void setValue(const std::string& control, const Variant& v); // fires the change handler
    bool key(const std::string& control, int keyCode);
    void closeByWindow();

    // --- what handlers call
    void close(int result) {
        mClosed = true;
        mResult = result;
    }
    bool closed() const { return mClosed; }
    int result() const { return mResult; }
    void reopen() {
        mClosed = false;
        mResult = 0;
    }

  private:
    std::string mName, mCaption, mFocus;
    std::vector<DialogControl> mControls;
    std::map<std::string, Handler> mClick, mChange;
    std::map<std::string, KeyFilter> mKey;
    Handler mActivate, mQueryClose;
    bool mClosed = false;
    int mResult = 0;
};

// Dialog results the add-in's dialogs close with.
namespace dialog {
constexpr int Cancelled = 0;
constexpr int Accepted = 1;
} // namespace dialog

class IDialogToolkit {
  public:
    virtual ~IDialogToolkit() = default;
    // Shows the model modally; returns its result once a handler has closed it.
    virtual int showModal(DialogModel& model) = 0;
};

} // namespace qv
