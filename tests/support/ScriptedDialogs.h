#pragma once
// The host's dialogs for tests: each prompt takes the next scripted answer and is recorded, so a
// test can check both the question asked and the effect of the answer.
#include "platform/IDialogs.h"
#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace qv::test {

class ScriptedDialogs : public IDialogs {
  public:
    struct Box {
        std::string text;
        int flags;
        std::string title;
    };
    std::vector<Box> boxes;           // every message box, in order
    std::vector<std::string> prompts; // every input box prompt, in order

    std::deque<int> answers; // message box answers
    // The answer of a message box when `answers` has run dry; unset: Yes to a question, OK to
    // anything else.
    std::optional<int> dryAnswer;
    // Input box, picker and colour answers; nullopt is the person cancelling.
    std::deque<std::optional<std::string>> inputAnswers;
    std::deque<std::optional<std::string>> openAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    std::deque<std::optional<long>> colorAnswers;
    // A prompt with no answer queued fails the test with error 438, so a test that reaches
    // further than it meant to fails loudly; unset, it is the person cancelling.
    bool refuseUnscripted = true;

    int messageBox(const std::string& text, int flags, const std::string& title) override {
        boxes.push_back({text, flags, title});
        if (!answers.empty()) {
            int a = answers.front();
            answers.pop_front();
            return a;
        }
        if (dryAnswer) return *dryAnswer;
        return (flags & 7) == xl::MsgYesNo ? xl::AnswerYes : xl::AnswerOk;
    }
    std::optional<std::string> inputBox(const std::string& prompt, const std::string&,
                                        const std::string&) override {
        prompts.push_back(prompt);
        return next(inputAnswers);
    }
    std::optional<std::string> openFile(const std::string&, const std::string&,
                                        const std::vector<FileFilter>&) override {
        return next(openAnswers);
    }
    std::optional<std::string> saveAsFile(const std::string&, const std::string&,
                                          const std::vector<FileFilter>&) override {
        return next(saveAnswers);
    }
    std::optional<long> pickColor(long) override { return next(colorAnswers); }

  private:
    template <class T> std::optional<T> next(std::deque<std::optional<T>>& q) {
        if (q.empty()) {
            if (refuseUnscripted)
                throw NumberedError(438, "scripted dialogs",
                                    "Object doesn't support this property or method");
            return std::nullopt;
        }
        auto a = q.front();
        q.pop_front();
        return a;
    }
};

} // namespace qv::test
