// The script that answers prompts in tests and in the headless runner, and the record of every
// prompt shown. One script serves both the standard prompts (ScriptedDialogs) and the add-in's
// own dialogs (ScriptedToolkit), so a scenario reads in the order a person would meet them:
// a dialog's button may raise a message box, whose answer is simply the next step.
//
// A prompt that the next step does not match, or that finds no step left, is answered with
// the cancelling answer and recorded as an error; nothing ever waits for input.
#pragma once

#include "platform/DialogModel.h"
#include "platform/IDialogs.h"
#include "platform/Variant.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace qv {

enum class PromptKind { MessageBox, InputBox, OpenFile, SaveAsFile, PickColor, Dialog };

struct DialogAction {
    enum class Kind { SetValue, Click, Type, CloseWindow };
    Kind kind = Kind::Click;
    std::string control;
    Variant value; // SetValue: the value; Type: the text typed key by key
};

struct ScriptStep {
    PromptKind kind = PromptKind::MessageBox;
    // The prompt's text (message, prompt, dialog caption) or title must contain this; "" = any.
    std::string expectText;
    std::optional<int> expectFlags;  // message boxes: the exact flags
    std::string dialogName;          // dialogs: the model's name
    int answer = 0;                  // message boxes: xl::AnswerYes, ...
    std::optional<std::string> text; // input, file names; nothing = cancel
    std::optional<long> color;       // colour picker; nothing = cancel
    std::vector<DialogAction> actions;

    static ScriptStep messageBox(std::string containing, int answer);
    static ScriptStep input(std::string containing, std::optional<std::string> answer);
    static ScriptStep openFile(std::optional<std::string> path);
    static ScriptStep saveAsFile(std::optional<std::string> path);
    static ScriptStep pickColor(std::optional<long> oleColor);
    static ScriptStep dialog(std::string name);
    ScriptStep& flags(int exact);
    ScriptStep& set(std::string control, Variant value);
    ScriptStep& type(std::string control, std::string keys); // through the control's key filter
    ScriptStep& click(std::string control);
    ScriptStep& closeWindow();
};

struct PromptRecord {
    PromptKind kind = PromptKind::MessageBox;
    std::string text; // message or prompt; a dialog's caption
    std::string title;
    int flags = 0;
    std::string defaultText; // input default, initial folder or file name
    std::vector<FileFilter> filters;
    std::string dialogName;
    std::vector<DialogControl> controls; // as shown, after the dialog's activation
    std::string answer;                  // what the script answered, as text ("6", "C:\x.mdb", "cancel")
    std::string error;                   // why the script could not answer as written; "" when it could
};

class DialogScript {
  public:
    void push(ScriptStep step) { mSteps.push_back(std::move(step)); }
    // An answer for the very next prompt, ahead of those already written.
    void pushFront(ScriptStep step) { mSteps.push_front(std::move(step)); }
    DialogScript& operator<<(ScriptStep step) {
        push(std::move(step));
        return *this;
    }
    bool finished() const { return mSteps.empty(); }
    std::size_t remaining() const { return mSteps.size(); }

    const std::vector<PromptRecord>& records() const { return mRecords; }
    const std::vector<std::string>& errors() const { return mErrors; }

    // --- for the scripted prompt implementations
    // Records the prompt and hands out the step that answers it, or records why none does
    // (the step stays in place, so one unexpected prompt does not derail the rest).
    std::optional<ScriptStep> take(PromptRecord record);
    // The record just added by take(), to complete with the answer.
    PromptRecord& last() { return mRecords.back(); }
    std::size_t lastIndex() const { return mRecords.size() - 1; }
    PromptRecord& record(std::size_t index) { return mRecords[index]; }
    // Records an error against the last prompt, or against the prompt at recordIndex.
    void fail(const std::string& error);
    void fail(const std::string& error, std::size_t recordIndex);

  private:
    std::deque<ScriptStep> mSteps;
    std::vector<PromptRecord> mRecords;
    std::vector<std::string> mErrors;
};

} // namespace qv
