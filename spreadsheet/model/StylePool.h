// The interned cell styles of a workbook (index 0 = the default look). Bulk formatting never
// touches a style per cell: it maps each distinct style id of the target cells to the id of
// its changed copy once (StyleRemap) and rewrites the 32-bit ids.
#pragma once

#include "spreadsheet/model/CellStyle.h"

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

namespace qv::sheet {

class StylePool {
  public:
    StylePool();
    std::uint32_t intern(const CellStyle& style);
    const CellStyle& get(std::uint32_t id) const { return mStyles[id]; }
    const std::vector<CellStyle>& all() const { return mStyles; }

  private:
    std::vector<CellStyle> mStyles;
    std::unordered_map<CellStyle, std::uint32_t, CellStyleHash> mIndex;
};

// One formatting change applied to many style ids: each distinct id is changed and interned
// once; the last answer is kept so runs of equal ids cost one comparison.
class StyleRemap {
  public:
    StyleRemap(StylePool& pool, std::function<void(CellStyle&)> change)
        : mPool(pool), mChange(std::move(change)) {}
    std::uint32_t operator()(std::uint32_t id) { return id == mLastFrom ? mLastTo : lookup(id); }

  private:
    std::uint32_t lookup(std::uint32_t id) {
        auto it = mMap.find(id);
        std::uint32_t to;
        if (it != mMap.end()) {
            to = it->second;
        } else {
            CellStyle s = mPool.get(id);
            mChange(s);
            to = mPool.intern(s);
            mMap.emplace(id, to);
        }
        mLastFrom = id;
        mLastTo = to;
        return to;
    }

    StylePool& mPool;
    std::function<void(CellStyle&)> mChange;
    std::unordered_map<std::uint32_t, std::uint32_t> mMap;
    std::uint32_t mLastFrom = 0xFFFFFFFFu, mLastTo = 0;
};

} // namespace qv::sheet
