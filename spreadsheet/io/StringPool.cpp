// Interning with open addressing; a slot holds the hash and the id (eight bytes), and the
// texts are never copied out of their blocks.
#include "spreadsheet/io/StringPool.h"

#include "platform/NumberedError.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>

namespace qv::sheet {

namespace {
constexpr std::size_t BlockSize = 1 << 20;
// Blocks double up to this size: a million-row copy then fills a few large blocks instead of a
// hundred small ones.
constexpr std::size_t LargestBlock = 16 << 20;
constexpr std::uint32_t Unindexed = 0x80000000u;

// The library's string hash reads eight bytes a step; a byte-at-a-time hash costs a multiply per
// character, which shows on the long texts of a million-row copy.
std::uint32_t hashText(std::string_view s) {
    const std::uint64_t h = std::hash<std::string_view>{}(s);
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}
} // namespace

StringPool::StringPool() {
    mSlots.assign(1024, 0);
    intern({}); // id 0 is the empty text
}

std::size_t StringPool::bytesUsed() const {
    return mBlockBytes + mEntries.capacity() * sizeof(Entry) + mSlots.capacity() * 8;
}

std::string_view StringPool::get(std::uint32_t id) const {
    const Entry& e = mEntries[id];
    if (e.length == 0) return {};
    return {mBlocks[e.block & ~Unindexed].get() + e.offset, e.length};
}

char* StringPool::newBlock(std::size_t bytes) {
    // Not zeroed: every byte is written before it is read.
    std::shared_ptr<char> block(new char[bytes], std::default_delete<char[]>());
    char* data = block.get();
    mBlocks.push_back(std::move(block));
    mSharedSizes.push_back(0);
    mBlockBytes += bytes;
    return data;
}

std::uint32_t StringPool::shareBlock(std::shared_ptr<const char> bytes, std::size_t size) {
    if (!bytes || size == 0 || size > std::numeric_limits<std::uint32_t>::max() ||
        mBlocks.size() >= Unindexed - 1)
        return NoBlock;
    mBlocks.push_back(std::move(bytes));
    mSharedSizes.push_back(size);
    mBlockBytes += size;
    return static_cast<std::uint32_t>(mBlocks.size() - 1);
}

std::uint32_t StringPool::appendShared(std::uint32_t block, std::string_view text) {
    if (block >= mBlocks.size() || mSharedSizes[block] == 0 || text.empty()) return append(text);
    const auto base = reinterpret_cast<std::uintptr_t>(mBlocks[block].get());
    const auto at = reinterpret_cast<std::uintptr_t>(text.data());
    if (at < base || at - base > mSharedSizes[block] || text.size() > mSharedSizes[block] - (at - base))
        return append(text);
    if (mEntries.size() >= 0xFFFFFFF0u)
        throw NumberedError(err::ApplicationDefined, "Workbook",
                            "The workbook holds too many different texts.");
    return addEntry(Entry{block | Unindexed, static_cast<std::uint32_t>(at - base),
                          static_cast<std::uint32_t>(text.size()), 0});
}

void StringPool::rehash(std::size_t slots) {
    std::vector<std::uint64_t> fresh(slots, 0);
    const std::size_t mask = slots - 1;
    for (std::uint32_t id = 0; id < mEntries.size(); ++id) {
        if (mEntries[id].block & Unindexed) continue;
        std::size_t i = mEntries[id].hash & mask;
        while (fresh[i] != 0)
            i = (i + 1) & mask;
        fresh[i] = static_cast<std::uint64_t>(mEntries[id].hash) << 32 | (id + 1);
    }
    mSlots.swap(fresh);
}

std::uint32_t StringPool::intern(std::string_view text) {
    const std::uint32_t h = hashText(text);
    const std::size_t mask = mSlots.size() - 1;
    std::size_t i = h & mask;
    // The slot carries the hash, so a mismatch costs no look at the entry or its text.
    while (mSlots[i] != 0) {
        if (static_cast<std::uint32_t>(mSlots[i] >> 32) == h) {
            std::uint32_t id = static_cast<std::uint32_t>(mSlots[i]) - 1;
            if (get(id) == text) return id;
        }
        i = (i + 1) & mask;
    }
    const std::uint32_t id = addEntry(store(text, h));
    mSlots[i] = static_cast<std::uint64_t>(h) << 32 | (id + 1);
    if (++mIndexed * 2 > mSlots.size()) rehash(mSlots.size() * 2);
    return id;
}

void StringPool::reserve(std::size_t more) {
    if (mEntries.size() + more <= mEntries.capacity()) return;
    // A copy in chunks asks again for every chunk: growing by half at least keeps that from
    // moving the whole table each time.
    mEntries.reserve(std::max(mEntries.size() + more, mEntries.capacity() + mEntries.capacity() / 2));
}

std::uint32_t StringPool::append(std::string_view text) {
    Entry e = store(text, 0);
    e.block |= Unindexed;
    return addEntry(e);
}

StringPool::Entry StringPool::store(std::string_view text, std::uint32_t hash) {
    // Cells and their ids are 32 bits wide; past that the workbook is full, which a person
    // must hear about rather than find texts missing.
    if (text.size() > std::numeric_limits<std::uint32_t>::max())
        throw NumberedError(err::ApplicationDefined, "Workbook",
                            "The text is too long to be stored in a cell.");
    if (mEntries.size() >= 0xFFFFFFF0u)
        throw NumberedError(err::ApplicationDefined, "Workbook",
                            "The workbook holds too many different texts.");
    Entry e{0, 0, static_cast<std::uint32_t>(text.size()), hash};
    if (text.size() > BlockSize) {
        // A block of its own; the block being filled stays current.
        char* data = newBlock(text.size());
        e.block = static_cast<std::uint32_t>(mBlocks.size() - 1);
        std::memcpy(data, text.data(), text.size());
    } else if (!text.empty()) {
        if (mBlockUsed == 0 || mBlockUsed + text.size() > mCurrentSize) {
            // Not zeroed: zeroing a block per megabyte of text was a pass over memory of its own.
            mCurrentSize = mCurrentSize == 0 ? BlockSize : std::min(LargestBlock, mCurrentSize * 2);
            mCurrentData = newBlock(mCurrentSize);
            mCurrent = mBlocks.size() - 1;
            mBlockUsed = 0;
        }
        e.block = static_cast<std::uint32_t>(mCurrent);
        e.offset = static_cast<std::uint32_t>(mBlockUsed);
        std::memcpy(mCurrentData + mBlockUsed, text.data(), text.size());
        mBlockUsed += text.size();
    }
    return e;
}

std::uint32_t StringPool::addEntry(const Entry& e) {
    const auto id = static_cast<std::uint32_t>(mEntries.size());
    mEntries.push_back(e);
    return id;
}

} // namespace qv::sheet
