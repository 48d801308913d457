#include "app/HeadlessErrors.h"

#include "common/modGlobalization.h"

#include <array>
#include <cctype>

namespace qv::app {

namespace {
constexpr int IconMask = 0x70;
constexpr int IconCritical = 16;

// The error-number line of a catalogue text, split around the number.
struct NumberLine {
    std::string before;
    std::string after;
};

NumberLine numberLine(modGlobalization::Language language, int id) {
    constexpr std::int32_t Marker = 987654321;
    const std::string text = modGlobalization::GetTextIn(language, id, {Marker, ""});
    const std::size_t cut = text.find_last_of("\r\n");
    const std::string line = cut == std::string::npos ? text : text.substr(cut + 1);
    const std::size_t at = line.find(std::to_string(Marker));
    if (at == std::string::npos) return {};
    return {line.substr(0, at), line.substr(at + std::to_string(Marker).size())};
}

bool endsWithNumberLine(std::string_view text) {
    // Messages 1 and 2 in both languages: the runner's language and the add-in's may differ
    // when the host's country code is changed by a script.
    static const std::array<NumberLine, 4> lines = {numberLine(modGlobalization::Language::English, 1),
                                                    numberLine(modGlobalization::Language::English, 2),
                                                    numberLine(modGlobalization::Language::Dutch, 1),
                                                    numberLine(modGlobalization::Language::Dutch, 2)};
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    const std::size_t cut = text.find_last_of("\r\n");
    const std::string_view last = cut == std::string_view::npos ? text : text.substr(cut + 1);
    for (const NumberLine& l : lines) {
        if (l.before.empty() || last.size() <= l.before.size() + l.after.size()) continue;
        if (last.substr(0, l.before.size()) != l.before ||
            last.substr(last.size() - l.after.size()) != l.after)
            continue;
        std::string_view number =
            last.substr(l.before.size(), last.size() - l.before.size() - l.after.size());
        if (number.front() == '-') number.remove_prefix(1);
        bool digits = !number.empty();
        for (char c : number)
            digits = digits && std::isdigit(static_cast<unsigned char>(c));
        if (digits) return true;
    }
    return false;
}

// A database's own error as the add-in cleans it up: "Message <data source kind>:" on the first
// line, the engine's text below.
bool startsWithDatabaseMessage(std::string_view text) {
    static const std::array<std::string, 2> heads = {
        modGlobalization::GetTextIn(modGlobalization::Language::English, 7, {}) + " ",
        modGlobalization::GetTextIn(modGlobalization::Language::Dutch, 7, {}) + " "};
    const std::size_t cut = text.find_first_of("\r\n");
    if (cut == std::string_view::npos) return false;
    const std::string_view first = text.substr(0, cut);
    for (const std::string& head : heads)
        if (first.size() > head.size() + 1 && first.substr(0, head.size()) == head && first.back() == ':')
            return true;
    return false;
}
} // namespace

std::string HeadlessErrors::reported(std::string_view text, int flags) {
    if ((flags & IconMask) != IconCritical && !endsWithNumberLine(text) && !startsWithDatabaseMessage(text))
        return {};
    std::string reason;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (!reason.empty() && reason.back() != ' ') reason += ' ';
        } else {
            reason += text[i];
        }
    }
    while (!reason.empty() && reason.back() == ' ')
        reason.pop_back();
    return reason.empty() ? std::string("an error without a text") : reason;
}

} // namespace qv::app
