// Scripted standard prompts.
#include "system/ScriptedDialogs.h"

#include "platform/host/HostConstants.h"

namespace qv {

int ScriptedDialogs::dismissAnswer(int flags) {
    switch (flags & 0xF) {
    case xl::MsgOk:
        return xl::AnswerOk;
    case xl::MsgYesNo:
        return xl::AnswerNo;
    case 2:
        return 3; // abort, retry, ignore: Abort
    default:
        return xl::AnswerCancel; // every other set has a Cancel button
    }
}

int ScriptedDialogs::messageBox(const std::string& text, int flags, const std::string& title) {
    PromptRecord r;
    r.kind = PromptKind::MessageBox;
    r.text = text;
    r.flags = flags;
    r.title = title;
    auto step = mScript.take(std::move(r));
    const int answer = step ? step->answer : dismissAnswer(flags);
    mScript.last().answer = std::to_string(answer);
    return answer;
}

std::optional<std::string> ScriptedDialogs::inputBox(const std::string& prompt, const std::string& title,
                                                     const std::string& defaultText) {
    PromptRecord r;
    r.kind = PromptKind::InputBox;
    r.text = prompt;
    r.title = title;
    r.defaultText = defaultText;
    auto step = mScript.take(std::move(r));
    std::optional<std::string> answer = step ? step->text : std::nullopt;
    mScript.last().answer = answer.value_or("cancel");
    return answer;
}

std::optional<std::string> ScriptedDialogs::fileName(PromptKind kind, const std::string& title,
                                                     const std::string& initial,
                                                     const std::vector<FileFilter>& filters) {
    PromptRecord r;
    r.kind = kind;
    r.title = title;
    r.defaultText = initial;
    r.filters = filters;
    auto step = mScript.take(std::move(r));
    std::optional<std::string> answer = step ? step->text : std::nullopt;
    mScript.last().answer = answer.value_or("cancel");
    return answer;
}

std::optional<std::string> ScriptedDialogs::openFile(const std::string& title,
                                                     const std::string& initialFolder,
                                                     const std::vector<FileFilter>& filters) {
    return fileName(PromptKind::OpenFile, title, initialFolder, filters);
}

std::optional<std::string> ScriptedDialogs::saveAsFile(const std::string& title,
                                                       const std::string& initialName,
                                                       const std::vector<FileFilter>& filters) {
    return fileName(PromptKind::SaveAsFile, title, initialName, filters);
}

std::optional<long> ScriptedDialogs::pickColor(long initialOleColor) {
    PromptRecord r;
    r.kind = PromptKind::PickColor;
    r.defaultText = std::to_string(initialOleColor);
    auto step = mScript.take(std::move(r));
    std::optional<long> answer = step ? step->color : std::nullopt;
    mScript.last().answer = answer ? std::to_string(*answer) : "cancel";
    return answer;
}

} // namespace qv
