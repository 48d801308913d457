// The host refuses what is not well-formed UTF-8 (overlong forms, encoded surrogates, code
// points past U+10FFFF, truncated sequences) rather than guessing what it meant.
#include "spreadsheet/model/HostText.h"

#include "platform/Utf8.h"

namespace qv::sheet {

std::optional<std::size_t> HostText::length(std::string_view text) {
    if (!Utf8::isValid(text)) return std::nullopt;
    return Utf8::utf16Length(text);
}

std::string HostText::prefix(std::string_view text, std::size_t maxUnits) {
    return std::string(Utf8::prefixUnits(text.substr(0, Utf8::firstInvalid(text)), maxUnits));
}

} // namespace qv::sheet
