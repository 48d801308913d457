// The shared strings of a workbook. Cells hold a 32-bit id; the characters live once in large
// blocks, so a million text cells cost their characters plus about thirty bytes each instead
// of a heap string per cell. Equal interned texts share one id; a bulk copy of distinct texts
// appends instead (ColumnTexts). A text longer than a block (a memo field of a database, say)
// gets a block of its own, so no length of text is refused.
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
    // Stores the text under a new id without looking for an equal one (nor letting intern find it
    // later); for copies of many texts that are mostly distinct.
    std::uint32_t append(std::string_view text);
    // Room for `more` texts beyond those stored, so a bulk copy grows the table once.
    void reserve(std::size_t more);
    // Keeps bytes held elsewhere as a block, so that texts lying in them are stored without a
    // copy (appendShared); answers the block, or NoBlock when the bytes cannot be addressed.
    static constexpr std::uint32_t NoBlock = 0xFFFFFFFFu;
    std::uint32_t shareBlock(std::shared_ptr<const char> bytes, std::size_t size);
    // Like append; a text that does not lie inside the block is copied.
    std::uint32_t appendShared(std::uint32_t block, std::string_view text);
    std::string_view get(std::uint32_t id) const;
    std::size_t size() const { return mEntries.size(); }
    std::size_t bytesUsed() const;

  private:
    struct Entry {
        std::uint32_t block; // high bit: appended, not in the slots
        std::uint32_t offset;
        std::uint32_t length;
        std::uint32_t hash;
    };
    void rehash(std::size_t slots);
    Entry store(std::string_view text, std::uint32_t hash);
    std::uint32_t addEntry(const Entry& e);
    char* newBlock(std::size_t bytes);
    // Blocks of our own and bytes kept for others (a record set's texts), which are never written.
    std::vector<std::shared_ptr<const char>> mBlocks;
    std::size_t mCurrent = 0;     // the block being filled; meaningful while mBlockUsed > 0
    char* mCurrentData = nullptr; // its bytes
    std::size_t mBlockUsed = 0;   // bytes used of the current block; 0 when there is none
    std::size_t mCurrentSize = 0; // size of the current block
    std::size_t mBlockBytes = 0;
    std::vector<Entry> mEntries;
    std::vector<std::uint64_t> mSlots;     // open addressing: hash << 32 | (id + 1), 0 = free
    std::size_t mIndexed = 0;              // entries that have a slot
    std::vector<std::size_t> mSharedSizes; // by block; 0 for a block of our own
};

} // namespace qv::sheet
