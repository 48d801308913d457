// Dialog answers for the host tests: each prompt takes the next scripted answer and records
// what was asked, so a test can check both the question and the effect of the answer.
#pragma once

#include "platform/IDialogs.h"
#include "platform/host/HostConstants.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace qv::test {

class ScriptedDialogs : public IDialogs {
public:
    std::deque<int> boxAnswers;
    std::deque<std::optional<std::string>> inputAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    std::deque<std::optional<long>> colorAnswers;
    struct Box {
        std::string text;
        int flags;
        std::string title;
    };
    std::vector<Box> boxes;
    std::vector<std::string> prompts;

    int messageBox(const std::string& text, int flags, const std::string& title) override {
        boxes.push_back({text, flags, title});
        if (boxAnswers.empty()) return xl::AnswerCancel;
        int a = boxAnswers.front();
        boxAnswers.pop_front();
        return a;
    }
    std::optional<std::string> inputBox(const std::string& prompt, const std::string&, const std::string&) override {
        prompts.push_back(prompt);
        return next(inputAnswers);
    }
    std::optional<std::string> openFile(const std::string&, const std::string&, const std::vector<FileFilter>&) override {
        return std::nullopt;
    }
    std::optional<std::string> saveAsFile(const std::string&, const std::string&, const std::vector<FileFilter>&) override {
        return next(saveAnswers);
    }
    std::optional<long> pickColor(long) override {
        if (colorAnswers.empty()) return std::nullopt;
        auto a = colorAnswers.front();
        colorAnswers.pop_front();
        return a;
    }

private:
    static std::optional<std::string> next(std::deque<std::optional<std::string>>& q) {
        if (q.empty()) return std::nullopt;
        auto a = q.front();
        q.pop_front();
        return a;
    }
};

} // namespace qv::test
