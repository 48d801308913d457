#include "platform/DialogModel.h"

#include "platform/NumberedError.h"

namespace qv {

DialogModel::DialogModel(std::string name, std::string caption)
    : mName(std::move(name)), mCaption(std::move(caption)) {}

DialogControl& DialogModel::add(DialogControl c) {
    for (auto& existing : mControls)
        if (existing.name == c.name) return existing = std::move(c);
    mControls.push_back(std::move(c));
    return mControls.back();
}

DialogControl& DialogModel::control(const std::string& n) {
    for (auto& c : mControls)
        if (c.name == n) return c;
    throw NumberedError(err::SubscriptOutOfRange, mName, "Could not find the specified object: " + n);
}

const DialogControl& DialogModel::control(const std::string& n) const {
    return const_cast<DialogModel*>(this)->control(n);
}

bool DialogModel::has(const std::string& n) const {
    for (auto& c : mControls)
        if (c.name == n) return true;
    return false;
}

void DialogModel::activate() {
    if (mActivate) mActivate(*this);
}

void DialogModel::click(const std::string& n) {
    const DialogControl& c = control(n);
    if (!c.enabled || !c.visible) return;
    if (c.kind == ControlKind::CheckBox) {
        // A click on a check box toggles it, then the change handler sees the new value.
        setValue(n, Variant(!(c.value.isEmpty() ? false : c.value.toBool())));
    } else if (c.kind == ControlKind::OptionButton) {
        setValue(n, Variant(true));
    }
    auto it = mClick.find(n);
    if (it != mClick.end()) it->second(*this);
}

void DialogModel::setValue(const std::string& n, const Variant& v) {
    DialogControl& c = control(n);
    c.value = v;
    auto it = mChange.find(n);
    if (it != mChange.end()) it->second(*this);
}

bool DialogModel::key(const std::string& n, int keyCode) {
    auto it = mKey.find(n);
    return it == mKey.end() || it->second(*this, keyCode);
}

void DialogModel::closeByWindow() {
    if (mQueryClose)
        mQueryClose(*this);
    else
        close(dialog::Cancelled);
}

} // namespace qv
