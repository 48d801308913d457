#include "spreadsheet/model/CellStyle.h"

namespace qv::sheet {

std::size_t CellStyleHash::operator()(const CellStyle& s) const noexcept {
    std::size_t h = std::hash<std::string>{}(s.numberFormat);
    auto mix = [&h](std::size_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); };
    mix(static_cast<std::size_t>(s.fillColor));
    mix(static_cast<std::size_t>(s.fontColor));
    mix(static_cast<std::size_t>(s.bold) | static_cast<std::size_t>(s.locked) << 1);
    mix(static_cast<std::size_t>(s.horizontalAlignment));
    for (const BorderLine* b : {&s.left, &s.top, &s.right, &s.bottom})
        mix(static_cast<std::size_t>(b->style) << 40 ^ static_cast<std::size_t>(b->weight) << 32 ^
            static_cast<std::uint32_t>(b->color));
    return h;
}

} // namespace qv::sheet
