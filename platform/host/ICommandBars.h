// Classic command bars: the menu bar and toolbars with buttons and popups. The add-in keeps
// its menu and toolbar invisible under a ribbon and uses their controls as the store of the
// ribbon's enabled and visible states, so find-by-tag must be exact.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace qv {

class ICommandBarControl;
using CommandBarControlPtr = std::shared_ptr<ICommandBarControl>;

// The controls of a bar or of a popup, 1-based.
class ICommandBarControls {
  public:
    virtual ~ICommandBarControls() = default;
    virtual long count() const = 0;
    virtual CommandBarControlPtr item(long index) const = 0; // error 9 when out of range
    // Adds a control of type xl::ControlButton or xl::ControlPopup before the 1-based position
    // `before` (0 = at the end).
    virtual CommandBarControlPtr add(int type, long before = 0, bool temporary = true) = 0;
    // The first control whose caption equals this text (captions keep their '&').
    virtual CommandBarControlPtr findByCaption(const std::string& caption) const = 0;
};

class ICommandBarControl {
  public:
    virtual ~ICommandBarControl() = default;
    virtual int type() const = 0;
    virtual long index() const = 0;
    virtual std::string tag() const = 0;
    virtual void setTag(const std::string&) = 0;
    virtual std::string caption() const = 0;
    virtual void setCaption(const std::string&) = 0;
    virtual std::string parameter() const = 0;
    virtual void setParameter(const std::string&) = 0;
    virtual int faceId() const = 0;
    virtual void setFaceId(int) = 0;
    virtual std::string onAction() const = 0;
    virtual void setOnAction(const std::string&) = 0;
    virtual std::string tooltipText() const = 0;
    virtual void setTooltipText(const std::string&) = 0;
    virtual bool beginGroup() const = 0;
    virtual void setBeginGroup(bool) = 0;
    virtual bool enabled() const = 0;
    virtual void setEnabled(bool) = 0;
    virtual bool visible() const = 0;
    virtual void setVisible(bool) = 0;
    virtual void remove() = 0;
    // Popups only; null for buttons.
    virtual std::shared_ptr<ICommandBarControls> controls() = 0;
};

class ICommandBar {
  public:
    virtual ~ICommandBar() = default;
    virtual std::string name() const = 0;
    virtual bool visible() const = 0;
    virtual void setVisible(bool) = 0;
    virtual void remove() = 0;
    virtual std::shared_ptr<ICommandBarControls> controls() = 0;
    // Depth-first search of the whole bar, popups included.
    virtual CommandBarControlPtr findControl(const std::string& tag) = 0;
};

using CommandBarPtr = std::shared_ptr<ICommandBar>;

class ICommandBars {
  public:
    virtual ~ICommandBars() = default;
    virtual long count() const = 0;
    virtual CommandBarPtr item(long index) const = 0;                              // 1-based
    virtual CommandBarPtr find(const std::string& name) const = 0;                 // null when absent
    virtual CommandBarPtr add(const std::string& name, bool temporary = true) = 0; // error 5 when taken
    // The control whose action is running now (ActionControl); null outside an action.
    virtual CommandBarControlPtr actionControl() const = 0;
    // Search all bars for a control by tag.
    virtual CommandBarControlPtr findControl(const std::string& tag) const = 0;
};

// The host's own bars carry these names.
inline constexpr const char* WorksheetMenuBar = "Worksheet Menu Bar";
inline constexpr const char* TaskPaneBar = "Task Pane";

} // namespace qv
