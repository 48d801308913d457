// Lookup and placeholder filling of the message catalogue. The filling is one pass over the
// template: a placeholder's replacement is never scanned again, so an argument or an error
// description that happens to contain "{1}" is shown as it is. Anything in braces that is not a
// known placeholder (the GUID pattern of message 113) is plain text.
#include "common/modGlobalization.h"

#include "common/AppConstants.h"

#include <algorithm>
#include <charconv>

namespace qv::modGlobalization {

namespace {

double gCountryCode = 0;
RuntimeError gCurrentError;

// Deep enough for {text N} chains; the catalogue nests at most one level.
constexpr int MaxNesting = 4;

std::string argText(const Variant& v) {
    if (v.isEmpty() || v.isNull() || v.isMissing()) return {};
    return v.toString();
}

std::string withoutAmpersands(std::string s) {
    s.erase(std::remove(s.begin(), s.end(), '&'), s.end());
    return s;
}

[[noreturn]] void notImplemented(int id) {
    throw NumberedError(err::NotImplemented, "modGlobalization",
                        "Text ID " + std::to_string(id) + " is not implemented!");
}

std::string build(Language language, int id, const RuntimeError& current, const Variant& arg1,
                  const Variant& arg2, int depth);

// Appends the replacement of the placeholder `name` (without braces); false when it is not one.
bool expand(std::string& out, std::string_view name, Language language, const RuntimeError& current,
            const Variant& arg1, const Variant& arg2, int depth) {
    if (name == "1") {
        out += argText(arg1);
    } else if (name == "2") {
        out += argText(arg2);
    } else if (name == "product") {
        out += APP_NAME;
    } else if (name == "title") {
        out += APP_TITLE;
    } else if (name == "description") {
        out += current.description;
    } else if (name == "number") {
        out += std::to_string(current.number);
    } else if (name == "support") {
        out += SUPPORT_EMAIL;
    } else if (name.starts_with("text ")) {
        std::string_view digits = name.substr(5);
        int n = 0;
        auto r = std::from_chars(digits.data(), digits.data() + digits.size(), n);
        if (r.ec != std::errc() || r.ptr != digits.data() + digits.size()) return false;
        std::string nested = build(language, n, current, {}, {}, depth + 1);
        out += (n == 122 || n == 124) ? withoutAmpersands(std::move(nested)) : nested;
    } else {
        return false;
    }
    return true;
}

std::string fill(std::string_view tpl, Language language, const RuntimeError& current, const Variant& arg1,
                 const Variant& arg2, int depth) {
    std::string out;
    out.reserve(tpl.size() + 32);
    std::size_t i = 0;
    while (i < tpl.size()) {
        std::size_t open = tpl.find('{', i);
        if (open == std::string_view::npos) {
            out.append(tpl.substr(i));
            break;
        }
        out.append(tpl.substr(i, open - i));
        std::size_t close = tpl.find('}', open + 1);
        if (close != std::string_view::npos &&
            expand(out, tpl.substr(open + 1, close - open - 1), language, current, arg1, arg2, depth)) {
            i = close + 1;
        } else {
            out += '{';
            i = open + 1;
        }
    }
    return out;
}

std::string build(Language language, int id, const RuntimeError& current, const Variant& arg1,
                  const Variant& arg2, int depth) {
    auto tpl = TextTemplate(id, language);
    if (!tpl || depth > MaxNesting) notImplemented(id);
    return fill(*tpl, language, current, arg1, arg2, depth);
}

} // namespace

void SetCountryCode(std::int32_t code) {
    gCountryCode = code;
}
double CountryCode() {
    return gCountryCode;
}
Language CurrentLanguage() {
    return gCountryCode == 31 ? Language::Dutch : Language::English;
}

std::optional<std::string_view> TextTemplate(int id, Language language) {
    auto table = TextTable();
    auto it = std::lower_bound(table.begin(), table.end(), id,
                               [](const TextEntry& e, int wanted) { return e.id < wanted; });
    if (it == table.end() || it->id != id) return std::nullopt;
    return std::string_view(language == Language::Dutch ? it->nl : it->en);
}

std::string GetTextIn(Language language, int id, const RuntimeError& current, const Variant& arg1,
                      const Variant& arg2) {
    return build(language, id, current, arg1, arg2, 0);
}

std::string GetText(int id, const Variant& arg1, const Variant& arg2) {
    return build(CurrentLanguage(), id, gCurrentError, arg1, arg2, 0);
}

std::string GetText(int id, const NumberedError& current, const Variant& arg1, const Variant& arg2) {
    return build(CurrentLanguage(), id, RuntimeError{current.number(), current.description()}, arg1, arg2, 0);
}

std::string GetFormControlText(const std::string& name) {
    for (const CaptionEntry& c : CaptionTable())
        if (name == c.name) return CurrentLanguage() == Language::Dutch ? c.nl : c.en;
    return {};
}

void SetCurrentError(const NumberedError& e) {
    gCurrentError = RuntimeError{e.number(), e.description()};
}
void ClearCurrentError() {
    gCurrentError = RuntimeError{};
}
const RuntimeError& CurrentError() {
    return gCurrentError;
}

CurrentErrorScope::CurrentErrorScope(const NumberedError& e) : mPrevious(gCurrentError) {
    SetCurrentError(e);
}
CurrentErrorScope::~CurrentErrorScope() {
    gCurrentError = std::move(mPrevious);
}

} // namespace qv::modGlobalization
