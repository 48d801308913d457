// The texts of one column copied in bulk into a workbook's StringPool. The first texts are
// interned; when most of them were new the column is taken for distinct values (keys, GUIDs,
// memos) and the rest are appended without a look-up, since a hash table over a million texts
// that never repeat costs more than the texts; where the record set shares the bytes of its texts
// the pool keeps those bytes and copies nothing. A column of few distinct values stays shared.
#pragma once

#include "platform/engine/IColumnarRecordset.h"
#include "spreadsheet/io/StringPool.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qv::sheet {

class ColumnTexts {
  public:
    // Texts interned before the column decides; more than half of them new means distinct.
    static constexpr std::size_t Sample = 1024;

    // `expected`: how many texts the column may bring at most, room the pool takes at once when
    // the column turns out distinct. `source`: where the texts lie, kept by the pool instead of
    // copying them once the column turns out distinct.
    explicit ColumnTexts(StringPool& pool, std::size_t expected = 0, ColumnTextStorage source = {})
        : mPool(pool), mSizeBefore(pool.size()), mExpected(expected), mSource(std::move(source)) {}

    std::uint32_t store(std::string_view text) {
        if (mAppending)
            return mSharedBlock != StringPool::NoBlock ? mPool.appendShared(mSharedBlock, text)
                                                       : mPool.append(text);
        const std::uint32_t id = mPool.intern(text);
        if (++mSeen == Sample && (mPool.size() - mSizeBefore) * 2 > Sample) {
            mAppending = true;
            if (mExpected > mSeen) mPool.reserve(mExpected - mSeen);
            if (mSource.bytes) mSharedBlock = mPool.shareBlock(std::move(mSource.bytes), mSource.size);
        }
        return id;
    }
    bool sharing() const { return mSharedBlock != StringPool::NoBlock; }
    bool appending() const { return mAppending; }

  private:
    StringPool& mPool;
    std::size_t mSizeBefore;
    std::size_t mExpected;
    ColumnTextStorage mSource;
    std::uint32_t mSharedBlock = StringPool::NoBlock;
    std::size_t mSeen = 0;
    bool mAppending = false;
};

} // namespace qv::sheet
