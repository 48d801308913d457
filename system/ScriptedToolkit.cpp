// Scripted dialogs. Actions go through the model's own operations (click, setValue, key), so
// the add-in's handlers run exactly as under the desktop toolkit.
#include "system/ScriptedToolkit.h"

#include <utility>

namespace qv {

namespace {

void forceClose(DialogModel& model) {
    if (!model.closed()) model.closeByWindow();
    // A close handler may refuse (the dialog insists on an answer); a script has none to give.
    if (!model.closed()) model.close(dialog::Cancelled);
}

} // namespace

void ScriptedToolkit::play(DialogModel& model, const DialogAction& a, std::size_t record) {
    const std::string where = "dialog " + model.name();
    if (a.kind == DialogAction::Kind::CloseWindow) {
        model.closeByWindow();
        return;
    }
    if (!model.has(a.control)) {
        mScript.fail("The " + where + " has no control " + a.control, record);
        return;
    }
    const DialogControl& c = model.control(a.control);
    // Moving to another control first leaves the focused one, which may keep the focus.
    // The cancel button is pressed with Escape, which leaves the focus where it is.
    const bool escape = a.kind == DialogAction::Kind::Click && c.isCancel;
    if (!escape && !mFocus.empty() && mFocus != a.control && model.has(mFocus) && !model.leave(mFocus))
        return;
    if (!c.enabled || !c.visible) {
        // A person could not reach it; the action is skipped as the window would ignore it.
        mScript.fail("Control " + a.control + " of the " + where + " is " +
                         (c.enabled ? "hidden" : "disabled") + " and cannot be used",
                     record);
        return;
    }
    if (!escape) mFocus = a.control;
    switch (a.kind) {
    case DialogAction::Kind::SetValue:
        model.setValue(a.control, a.value);
        break;
    case DialogAction::Kind::Click:
        model.click(a.control);
        break;
    case DialogAction::Kind::Type: {
        std::string text = c.value.isEmpty() ? std::string() : c.value.toString();
        for (char k : a.value.str()) {
            if (!model.key(a.control, static_cast<unsigned char>(k))) continue; // the filter discarded it
            text += k;
            model.setValue(a.control, Variant(text));
        }
        break;
    }
    case DialogAction::Kind::CloseWindow:
        break;
    }
}

int ScriptedToolkit::showModal(DialogModel& model) {
    if (model.closed()) model.reopen(); // a model shown before is shown afresh
    model.activate();
    // A dialog opened from a handler has a focus of its own; the outer one's comes back after.
    const std::string outerFocus = std::exchange(mFocus, model.focus());
    PromptRecord r;
    r.kind = PromptKind::Dialog;
    r.text = model.caption();
    r.dialogName = model.name();
    r.controls = model.controls();
    auto step = mScript.take(std::move(r));
    const std::size_t record = mScript.lastIndex();
    if (step) {
        for (const auto& action : step->actions) {
            if (model.closed()) {
                mScript.fail("The dialog " + model.name() +
                                 " closed before all its scripted actions were played",
                             record);
                break;
            }
            play(model, action, record);
        }
        if (!model.closed())
            mScript.fail("The dialog " + model.name() + " is still open after its scripted actions", record);
    }
    forceClose(model);
    mFocus = outerFocus;
    mScript.record(record).answer = std::to_string(model.result());
    return model.result();
}

} // namespace qv
