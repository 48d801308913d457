// The shared strings of a workbook. Cells hold a 32-bit id; the characters live once in large
// blocks, so a million text cells cost their characters plus about thirty bytes each instead
// of a heap string per cell. Equal texts share one id. A text longer than a block (a memo field
// of a database, say) gets a block of its own, so no length of text is refused.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace qv::sheet {

class StringPool {
  public:
    StringPool();
    std::uint32_t intern(std::string_view text);
    std::string_view get(std::uint32_t id) const;
    std::size_t size() const { return mEntries.size(); }
    std::size_t bytesUsed() const;

  private:
    struct Entry {
        std::uint32_t block;
        std::uint32_t offset;
        std::uint32_t length;
        std::uint32_t hash;
    };
    void rehash(std::size_t slots);
    std::vector<std::unique_ptr<char[]>> mBlocks;
    std::size_t mCurrent = 0;   // the block being filled; meaningful while mBlockUsed > 0
    std::size_t mBlockUsed = 0; // bytes used of the current block; 0 when there is none
    std::size_t mBlockBytes = 0;
    std::vector<Entry> mEntries;
    std::vector<std::uint64_t> mSlots; // open addressing: hash << 32 | (id + 1), 0 = free
};

} // namespace qv::sheet
