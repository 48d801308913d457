#include "app/HeadlessScript.h"

#include "platform/NumberedError.h"
#include "system/DialogScriptReader.h"

#include <fmt/format.h>

namespace qv::app {

namespace {

[[noreturn]] void refuse(int line, const std::string& why) {
    throw NumberedError(err::InvalidProcedureCall, "HeadlessScript", fmt::format("line {}: {}", line, why));
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (isBlank(s.front()) || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (isBlank(s.back()) || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// The first word and the rest after it, blanks around both removed.
std::pair<std::string_view, std::string_view> word(std::string_view s) {
    s = trim(s);
    std::size_t end = 0;
    while (end < s.size() && !isBlank(s[end]))
        ++end;
    return {s.substr(0, end), trim(s.substr(end))};
}

// "text" with \" and \\ escapes, or the bare rest of the line.
std::string textValue(std::string_view rest, int line) {
    if (rest.empty() || rest.front() != '"') return std::string(rest);
    std::string out;
    for (std::size_t i = 1; i < rest.size(); ++i) {
        const char c = rest[i];
        if (c == '\\' && i + 1 < rest.size()) {
            out += rest[++i];
        } else if (c == '"') {
            if (!trim(rest.substr(i + 1)).empty()) refuse(line, "text after the closing quote");
            return out;
        } else {
            out += c;
        }
    }
    refuse(line, "a quote is not closed");
}

bool plainName(std::string_view s) {
    if (s.empty() || s.size() > 64) return false;
    for (char c : s)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

// A1-style address or range ("B2", "A1:C3", "A:A"); its meaning is the host's to judge.
bool addressLike(std::string_view s) {
    if (s.empty() || s.size() > 64) return false;
    for (char c : s)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != ':' && c != '$' && c != ',') return false;
    return true;
}

std::vector<std::string> splitTabs(std::string_view row) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = row.find('\t', start);
        cells.emplace_back(
            row.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) return cells;
        start = tab + 1;
    }
}

bool isAction(std::string_view w) {
    return w == "pick" || w == "select" || w == "enter" || w == "paste" || w == "key" || w == "show";
}

} // namespace

std::vector<HeadlessAction> HeadlessScript::read(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) refuse(0, "the script holds a NUL character");
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t nl = text.find('\n', start);
        lines.push_back(
            text.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start));
        if (nl == std::string_view::npos) break;
        start = nl + 1;
    }
    std::vector<HeadlessAction> out;
    std::string answers;
    int answersFrom = 0;
    auto flushAnswers = [&] {
        if (answers.find_first_not_of(" \t\r\n") == std::string::npos) {
            answers.clear();
            return;
        }
        HeadlessAction a;
        a.line = answersFrom;
        try {
            a.answers = DialogScriptReader::read(answers);
        } catch (const NumberedError& e) {
            // The dialog reader counts lines from the start of the block.
            refuse(answersFrom, "in the answers from here: " + e.description());
        }
        out.push_back(std::move(a));
        answers.clear();
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int lineNo = static_cast<int>(i) + 1;
        const std::string_view raw = lines[i];
        const bool indented = !raw.empty() && isBlank(raw.front());
        auto [verb, rest] = word(raw);
        if (indented || !isAction(verb)) {
            if (answers.empty()) answersFrom = lineNo;
            answers.append(raw);
            answers += '\n';
            continue;
        }
        flushAnswers();
        HeadlessAction a;
        a.line = lineNo;
        if (verb == "pick") {
            auto [control, more] = word(rest);
            if (!plainName(control)) refuse(lineNo, "pick needs a control id");
            a.kind = HeadlessAction::Kind::Pick;
            a.target = std::string(control);
            if (!more.empty()) {
                auto [number, extra] = word(more);
                if (!extra.empty() || number.size() > 6 ||
                    number.find_first_not_of("0123456789") != std::string_view::npos)
                    refuse(lineNo, "a drop-down entry is a whole number");
                a.index = std::stoi(std::string(number));
            }
        } else if (verb == "select" || verb == "enter" || verb == "paste") {
            auto [address, more] = word(rest);
            if (!addressLike(address)) refuse(lineNo, std::string(verb) + " needs a cell or range address");
            a.target = std::string(address);
            if (verb == "select") {
                if (!more.empty()) refuse(lineNo, "select takes only an address");
                a.kind = HeadlessAction::Kind::Select;
            } else if (verb == "enter") {
                a.kind = HeadlessAction::Kind::Enter;
                a.text = textValue(more, lineNo);
            } else {
                if (!more.empty()) refuse(lineNo, "paste takes only an address; its rows follow");
                a.kind = HeadlessAction::Kind::Paste;
                bool ended = false;
                while (++i < lines.size()) {
                    std::string_view row = lines[i];
                    if (!row.empty() && row.back() == '\r') row.remove_suffix(1);
                    if (trim(row) == "end") {
                        ended = true;
                        break;
                    }
                    // Rows are written indented for the eye; the indent is not part of the cell.
                    while (!row.empty() && row.front() == ' ')
                        row.remove_prefix(1);
                    if (a.rows.size() == MaxPasteRows) refuse(lineNo, "the block has more rows than a sheet");
                    a.rows.push_back(splitTabs(row));
                    if (a.rows.back().size() > MaxPasteColumns)
                        refuse(static_cast<int>(i) + 1, "the row has more cells than a sheet has columns");
                }
                if (!ended) refuse(lineNo, "the paste block has no \"end\" line");
                if (a.rows.empty()) refuse(lineNo, "the paste block is empty");
            }
        } else if (verb == "key") {
            if (rest != "F6" && rest != "F7" && rest != "F8" && rest != "F9")
                refuse(lineNo, "key takes F6, F7, F8 or F9");
            a.kind = HeadlessAction::Kind::Key;
            a.target = std::string(rest);
        } else {
            auto [what, range] = word(rest);
            a.kind = HeadlessAction::Kind::Show;
            a.target = std::string(what);
            if (what == "message" || what == "status") {
                if (!range.empty()) refuse(lineNo, "show " + std::string(what) + " takes nothing more");
            } else if (what == "values" || what == "texts" || what == "colors" || what == "locks") {
                if (!addressLike(range))
                    refuse(lineNo, "show " + std::string(what) + " needs a range address");
                a.subject = std::string(range);
            } else {
                refuse(lineNo, "show takes values, texts, colors, locks, message or status");
            }
        }
        out.push_back(std::move(a));
    }
    flushAnswers();
    return out;
}

} // namespace qv::app
