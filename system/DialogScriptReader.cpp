// The dialog script reader: a small tokenizer (words and double-quoted texts with \" and \\)
// and one rule per keyword.
#include "system/DialogScriptReader.h"

#include "platform/NumberedError.h"
#include "platform/host/HostConstants.h"

#include <charconv>

namespace qv {

namespace {

struct Token {
    std::string text;
    bool quoted = false;
};

[[noreturn]] void bad(int line, const std::string& why) {
    throw NumberedError(err::InvalidProcedureCall, "DialogScript",
                        "Script line " + std::to_string(line) + ": " + why);
}

std::vector<Token> tokenize(std::string_view s, int line) {
    std::vector<Token> out;
    std::size_t i = 0;
    while (i < s.size()) {
        if (s[i] == ' ' || s[i] == '\t' || s[i] == '\r') {
            ++i;
            continue;
        }
        if (s[i] == '#') break;
        Token t;
        if (s[i] == '"') {
            t.quoted = true;
            ++i;
            bool closed = false;
            while (i < s.size()) {
                char c = s[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && i < s.size() && (s[i] == '"' || s[i] == '\\')) c = s[i++];
                t.text += c;
            }
            if (!closed) bad(line, "a text without its closing quote");
        } else {
            while (i < s.size() && s[i] != ' ' && s[i] != '\t' && s[i] != '\r')
                t.text += s[i++];
        }
        out.push_back(std::move(t));
    }
    return out;
}

std::optional<long> number(const std::string& s) {
    long v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

int answerOf(const Token& t, int line) {
    static const std::pair<const char*, int> names[] = {
        {"OK", xl::AnswerOk}, {"Cancel", xl::AnswerCancel}, {"Abort", 3},        {"Retry", 4},
        {"Ignore", 5},        {"Yes", xl::AnswerYes},       {"No", xl::AnswerNo}};
    for (const auto& [name, value] : names)
        if (t.text == name) return value;
    if (auto n = number(t.text)) return static_cast<int>(*n);
    bad(line, "'" + t.text + "' is not an answer");
}

Variant valueOf(const Token& t, int line) {
    if (t.quoted) return Variant(t.text);
    if (t.text == "true") return Variant(true);
    if (t.text == "false") return Variant(false);
    if (auto n = number(t.text)) return Variant::longValue(static_cast<std::int32_t>(*n));
    bad(line, "'" + t.text + "' is not a value (write texts in double quotes)");
}

// Reads the dialog actions in toks from position i onwards.
void readActions(ScriptStep& step, const std::vector<Token>& toks, std::size_t i, int line) {
    auto need = [&](std::size_t n) {
        if (i + n > toks.size()) bad(line, "'" + toks[i].text + "' needs more words");
    };
    while (i < toks.size()) {
        const std::string& verb = toks[i].text;
        if (verb == "set" || verb == "type") {
            need(3);
            if (verb == "set")
                step.set(toks[i + 1].text, valueOf(toks[i + 2], line));
            else
                step.type(toks[i + 1].text, toks[i + 2].text);
            i += 3;
        } else if (verb == "click") {
            need(2);
            step.click(toks[i + 1].text);
            i += 2;
        } else if (verb == "close") {
            step.closeWindow();
            i += 1;
        } else {
            bad(line, "'" + verb + "' is not a dialog action");
        }
    }
}

std::optional<std::string> textOrCancel(const std::vector<Token>& toks, std::size_t i, int line) {
    if (i >= toks.size()) bad(line, "an answer is missing");
    if (i + 1 < toks.size()) bad(line, "unexpected words after the answer");
    if (!toks[i].quoted && toks[i].text == "cancel") return std::nullopt;
    if (!toks[i].quoted) bad(line, "write the answer in double quotes, or cancel");
    return toks[i].text;
}

} // namespace

std::vector<ScriptStep> DialogScriptReader::read(std::string_view text) {
    std::vector<ScriptStep> steps;
    int line = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        const std::size_t nl = text.find('\n', pos);
        std::string_view l =
            text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        pos = nl == std::string_view::npos ? text.size() + 1 : nl + 1;
        ++line;
        const auto toks = tokenize(l, line);
        if (toks.empty()) continue;
        const std::string& kw = toks[0].text;
        if (kw == "set" || kw == "type" || kw == "click" || kw == "close") {
            if (steps.empty() || steps.back().kind != PromptKind::Dialog)
                bad(line, "a dialog action outside a dialog");
            readActions(steps.back(), toks, 0, line);
        } else if (kw == "message") {
            if (toks.size() < 3 || !toks[1].quoted) bad(line, "message \"text\" answer [flags n]");
            ScriptStep s = ScriptStep::messageBox(toks[1].text, answerOf(toks[2], line));
            if (toks.size() == 5 && toks[3].text == "flags" && number(toks[4].text))
                s.flags(static_cast<int>(*number(toks[4].text)));
            else if (toks.size() != 3)
                bad(line, "message \"text\" answer [flags n]");
            steps.push_back(std::move(s));
        } else if (kw == "input") {
            if (toks.size() < 2 || !toks[1].quoted) bad(line, "input \"prompt\" \"answer\"|cancel");
            steps.push_back(ScriptStep::input(toks[1].text, textOrCancel(toks, 2, line)));
        } else if (kw == "open") {
            steps.push_back(ScriptStep::openFile(textOrCancel(toks, 1, line)));
        } else if (kw == "saveas") {
            steps.push_back(ScriptStep::saveAsFile(textOrCancel(toks, 1, line)));
        } else if (kw == "color") {
            if (toks.size() != 2) bad(line, "color n|cancel");
            if (toks[1].text == "cancel") {
                steps.push_back(ScriptStep::pickColor(std::nullopt));
            } else if (auto n = number(toks[1].text)) {
                steps.push_back(ScriptStep::pickColor(*n));
            } else {
                bad(line, "'" + toks[1].text + "' is not a colour");
            }
        } else if (kw == "dialog") {
            if (toks.size() < 2) bad(line, "dialog name [actions]");
            steps.push_back(ScriptStep::dialog(toks[1].text));
            readActions(steps.back(), toks, 2, line);
        } else {
            bad(line, "'" + kw + "' is not a step");
        }
    }
    return steps;
}

} // namespace qv
