// Decoding goes through utfcpp, which refuses overlong forms, encoded surrogates and code points
// past U+10FFFF as well as truncated sequences.
#include "spreadsheet/model/HostText.h"

#include <utf8.h>

namespace qv::sheet {

namespace {
std::size_t unitsOf(std::uint32_t codePoint) {
    return codePoint > 0xFFFF ? 2 : 1;
}
} // namespace

std::optional<std::size_t> HostText::length(std::string_view text) {
    if (utf8::find_invalid(text.begin(), text.end()) != text.end()) return std::nullopt;
    std::size_t units = 0;
    for (auto it = text.begin(); it != text.end();)
        units += unitsOf(utf8::unchecked::next(it));
    return units;
}

std::string HostText::prefix(std::string_view text, std::size_t maxUnits) {
    const auto valid = utf8::find_invalid(text.begin(), text.end());
    std::size_t units = 0;
    auto it = text.begin();
    while (it != valid) {
        auto next = it;
        const std::size_t n = unitsOf(utf8::unchecked::next(next));
        if (units + n > maxUnits) break;
        units += n;
        it = next;
    }
    return std::string(text.begin(), it);
}

} // namespace qv::sheet
