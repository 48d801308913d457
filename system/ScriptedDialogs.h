// The standard prompts answered from a DialogScript, for tests and the headless runner. What
// would have been shown is recorded in the script; an unanswerable prompt gets the answer that
// dismisses it without consent (Cancel, else No, else OK) and a recorded error.
#pragma once

#include "platform/IDialogs.h"
#include "system/DialogScript.h"

namespace qv {

class ScriptedDialogs : public IDialogs {
  public:
    explicit ScriptedDialogs(DialogScript& script) : mScript(script) {}

    int messageBox(const std::string& text, int flags, const std::string& title) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    std::optional<std::string> openFile(const std::string& title, const std::string& initialFolder,
                                        const std::vector<FileFilter>& filters) override;
    std::optional<std::string> saveAsFile(const std::string& title, const std::string& initialName,
                                          const std::vector<FileFilter>& filters) override;
    std::optional<long> pickColor(long initialOleColor) override;

    // The answer a person gives by dismissing a message box with these flags.
    static int dismissAnswer(int flags);

  private:
    std::optional<std::string> fileName(PromptKind kind, const std::string& title, const std::string& initial,
                                        const std::vector<FileFilter>& filters);
    DialogScript& mScript;
};

} // namespace qv
