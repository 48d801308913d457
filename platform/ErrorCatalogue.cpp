#include "platform/ErrorCatalogue.h"

#include "platform/NumberedError.h"

#include <algorithm>
#include <array>

namespace qv {

namespace {
#define QV_ERROR_ENTRY(name, number, text) ErrorEntry{number, #name, text},
constexpr std::array kEntries{QV_ERROR_CATALOGUE(QV_ERROR_ENTRY)};
#undef QV_ERROR_ENTRY

constexpr bool numbersAreUnique() {
    for (std::size_t i = 0; i < kEntries.size(); ++i)
        for (std::size_t j = i + 1; j < kEntries.size(); ++j)
            if (kEntries[i].number == kEntries[j].number) return false;
    return true;
}
static_assert(numbersAreUnique(), "one number, one name");
} // namespace

std::span<const ErrorEntry> ErrorCatalogue::entries() {
    return kEntries;
}

const ErrorEntry* ErrorCatalogue::find(std::int32_t number) {
    auto it = std::find_if(kEntries.begin(), kEntries.end(),
                           [&](const ErrorEntry& e) { return e.number == number; });
    return it == kEntries.end() ? nullptr : &*it;
}

std::string ErrorCatalogue::text(std::int32_t number) {
    const ErrorEntry* e = find(number);
    return e ? std::string(e->text) : std::string();
}

NumberedError ErrorCatalogue::make(std::int32_t number, std::string source) {
    return NumberedError(number, std::move(source), text(number));
}

} // namespace qv
