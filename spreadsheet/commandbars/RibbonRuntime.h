// The live ribbon: answers a window's questions about each control (label, image, enabled,
// visible, pressed, drop-down items) by asking the workbook's callbacks through
// IApplication::run, keeps the answers until the workbook invalidates the ribbon or a control,
// and turns a click or a pick into the control's onAction call with the arguments of its kind.
// A state callback that fails never breaks the window: the control keeps its static value or
// default and the failure is kept for the caller to show; an action that fails is raised.
#pragma once

#include "platform/NumberedError.h"
#include "platform/host/IApplication.h"
#include "platform/host/IRibbonUI.h"
#include "spreadsheet/commandbars/RibbonDefinition.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qv::sheet {

struct RibbonItemState {
    std::string id;
    std::string label;
    std::string image;
};

// What a window draws for one control; children follow the definition's order. The states
// are each control's own: a window hides or disables the children of a hidden or disabled
// container itself, as click() and select() do.
struct RibbonControlState {
    std::string id;
    std::string tag;
    std::string sizeString; // drop-downs and edit boxes: the text their width is made for
    RibbonControlKind kind = RibbonControlKind::Button;
    bool builtIn = false;
    std::string label, image, imageMso, screentip, supertip, keytip, description;
    std::string size = "normal"; // "normal" or "large"
    bool enabled = true;
    bool visible = true;
    bool pressed = false;
    bool showLabel = true;
    bool showImage = true;
    std::vector<RibbonItemState> items;
    int selectedIndex = -1; // -1: nothing selected
    std::string text;       // edit boxes and combo boxes
    std::vector<RibbonControlState> children;
};

class RibbonRuntime {
  public:
    // Does not call onLoad yet: start() does, once the workbook's macros are registered.
    RibbonRuntime(IApplication& app, RibbonDefinition definition);
    ~RibbonRuntime();
    RibbonRuntime(const RibbonRuntime&) = delete;
    RibbonRuntime& operator=(const RibbonRuntime&) = delete;

    // Parses (error 1004 for a definition the host refuses) and starts.
    static std::unique_ptr<RibbonRuntime> load(IApplication& app, const std::string& xml);

    // Calls onLoad with the ribbon's handle (see RibbonUIHandles). A failing onLoad is kept
    // with the callback errors; the ribbon still shows.
    void start();

    const RibbonDefinition& definition() const { return mDefinition; }
    RibbonUIPtr ui() const { return mUI; }
    std::int64_t handle() const { return mHandle; }

    // The tabs with every control's current state; asks the callbacks of whatever was
    // invalidated since the last call.
    std::vector<RibbonControlState> snapshot();
    // One control and its children; error 5 for an unknown id.
    RibbonControlState state(const std::string& controlId);

    // A person presses a button, toggle button or check box. Answers false, calling nothing,
    // when the control or one of its containers is disabled or hidden, or it has no onAction.
    bool click(const std::string& controlId);
    // A person picks item `index` (0-based) of a drop-down, gallery or combo box; error 9
    // when there is no such item.
    bool select(const std::string& controlId, int index);
    // A person confirms text in an edit box or combo box (onChange).
    bool change(const std::string& controlId, const std::string& text);

    // Called after every invalidation, so a window can redraw. It may run during a callback;
    // a window should schedule its redraw rather than ask snapshot() from inside it.
    void setInvalidationListener(std::function<void()> listener);
    // Increases with every invalidation.
    std::uint64_t revision() const;

    // Failures of state callbacks and onLoad since the last call, oldest first.
    std::vector<NumberedError> takeCallbackErrors();

  private:
    struct State;
    class UI;

    const RibbonNode& node(const std::string& controlId) const;
    const RibbonControlState& own(const RibbonNode& n);
    RibbonControlState compute(const RibbonNode& n);
    RibbonControlState tree(const RibbonNode& n);
    bool reachable(const RibbonNode& n);
    Variant run(const std::string& macro, const std::vector<Variant>& args);

    IApplication& mApp;
    RibbonDefinition mDefinition;
    std::shared_ptr<State> mState;
    RibbonUIPtr mUI;
    std::int64_t mHandle = 0;
};

} // namespace qv::sheet
