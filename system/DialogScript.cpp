// Matching prompts against the script and keeping the record.
#include "system/DialogScript.h"

namespace qv {

namespace {

const char* kindName(PromptKind k) {
    switch (k) {
    case PromptKind::MessageBox:
        return "message box";
    case PromptKind::InputBox:
        return "input box";
    case PromptKind::OpenFile:
        return "open-file dialog";
    case PromptKind::SaveAsFile:
        return "save-as dialog";
    case PromptKind::PickColor:
        return "colour picker";
    case PromptKind::Dialog:
        return "dialog";
    }
    return "prompt";
}

std::string describe(const PromptRecord& r) {
    std::string d = kindName(r.kind);
    if (!r.dialogName.empty()) d += " " + r.dialogName;
    if (!r.text.empty()) d += " \"" + r.text + "\"";
    return d;
}

} // namespace

ScriptStep ScriptStep::messageBox(std::string containing, int answer) {
    ScriptStep s;
    s.kind = PromptKind::MessageBox;
    s.expectText = std::move(containing);
    s.answer = answer;
    return s;
}

ScriptStep ScriptStep::input(std::string containing, std::optional<std::string> answer) {
    ScriptStep s;
    s.kind = PromptKind::InputBox;
    s.expectText = std::move(containing);
    s.text = std::move(answer);
    return s;
}

ScriptStep ScriptStep::openFile(std::optional<std::string> path) {
    ScriptStep s;
    s.kind = PromptKind::OpenFile;
    s.text = std::move(path);
    return s;
}

ScriptStep ScriptStep::saveAsFile(std::optional<std::string> path) {
    ScriptStep s;
    s.kind = PromptKind::SaveAsFile;
    s.text = std::move(path);
    return s;
}

ScriptStep ScriptStep::pickColor(std::optional<long> oleColor) {
    ScriptStep s;
    s.kind = PromptKind::PickColor;
    s.color = oleColor;
    return s;
}

ScriptStep ScriptStep::dialog(std::string name) {
    ScriptStep s;
    s.kind = PromptKind::Dialog;
    s.dialogName = std::move(name);
    return s;
}

ScriptStep& ScriptStep::flags(int exact) {
    expectFlags = exact;
    return *this;
}

ScriptStep& ScriptStep::set(std::string control, Variant value) {
    actions.push_back({DialogAction::Kind::SetValue, std::move(control), std::move(value)});
    return *this;
}

ScriptStep& ScriptStep::type(std::string control, std::string keys) {
    actions.push_back({DialogAction::Kind::Type, std::move(control), Variant(std::move(keys))});
    return *this;
}

ScriptStep& ScriptStep::click(std::string control) {
    actions.push_back({DialogAction::Kind::Click, std::move(control), Variant()});
    return *this;
}

ScriptStep& ScriptStep::closeWindow() {
    actions.push_back({DialogAction::Kind::CloseWindow, {}, Variant()});
    return *this;
}

void DialogScript::fail(const std::string& error) {
    if (mRecords.empty()) {
        mErrors.push_back(error);
        return;
    }
    fail(error, mRecords.size() - 1);
}

void DialogScript::fail(const std::string& error, std::size_t recordIndex) {
    mErrors.push_back(error);
    if (recordIndex < mRecords.size() && mRecords[recordIndex].error.empty())
        mRecords[recordIndex].error = error;
}

std::optional<ScriptStep> DialogScript::take(PromptRecord record) {
    mRecords.push_back(std::move(record));
    const PromptRecord& r = mRecords.back();
    if (mSteps.empty()) {
        fail("No scripted answer left for the " + describe(r));
        return std::nullopt;
    }
    const ScriptStep& s = mSteps.front();
    std::string mismatch;
    if (s.kind != r.kind) {
        mismatch = std::string("the script expected a ") + kindName(s.kind) + " but the " + describe(r) +
                   " was shown";
    } else if (s.kind == PromptKind::Dialog && s.dialogName != r.dialogName) {
        mismatch = "the script expected dialog " + s.dialogName + " but the " + describe(r) + " was shown";
    } else if (!s.expectText.empty() && r.text.find(s.expectText) == std::string::npos &&
               r.title.find(s.expectText) == std::string::npos) {
        mismatch = "the script expected a " + std::string(kindName(s.kind)) + " containing \"" +
                   s.expectText + "\" but the " + describe(r) + " was shown";
    } else if (s.expectFlags && *s.expectFlags != r.flags) {
        mismatch = "the script expected flags " + std::to_string(*s.expectFlags) + " but the " + describe(r) +
                   " has flags " + std::to_string(r.flags);
    }
    if (!mismatch.empty()) {
        fail("Unexpected prompt: " + mismatch);
        return std::nullopt;
    }
    ScriptStep step = std::move(mSteps.front());
    mSteps.pop_front();
    return step;
}

} // namespace qv
