// Interning keeps one copy of each distinct look; the pool only grows, which is what the
// file writers expect (a style index handed out stays valid).
#include "spreadsheet/model/StylePool.h"

namespace qv::sheet {

StylePool::StylePool() {
    intern(CellStyle{});
}

std::uint32_t StylePool::intern(const CellStyle& style) {
    auto it = mIndex.find(style);
    if (it != mIndex.end()) return it->second;
    const auto id = static_cast<std::uint32_t>(mStyles.size());
    mStyles.push_back(style);
    mIndex.emplace(style, id);
    return id;
}

} // namespace qv::sheet
