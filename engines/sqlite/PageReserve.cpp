#include "engines/sqlite/PageReserve.h"

#include <sys/mman.h>

namespace qv::engine {

PageReserve::~PageReserve() {
    clear();
}

PageReserve& PageReserve::shared() {
    // Never destroyed: record sets released by static destructors after this one would
    // otherwise give pages to a reserve that is gone.
    static PageReserve* reserve = new PageReserve();
    return *reserve;
}

PageReserve::Mapping PageReserve::take(std::size_t minBytes) {
    std::lock_guard<std::mutex> lock(mMutex);
    // The largest: the buffer that needs a mapping first is the one growing fastest, and on a
    // reload of the same table it is the one that held the largest mapping before.
    std::size_t best = mKept.size();
    for (std::size_t i = 0; i < mKept.size(); ++i) {
        if (mKept[i].bytes >= minBytes && (best == mKept.size() || mKept[i].bytes > mKept[best].bytes))
            best = i;
    }
    if (best == mKept.size()) return {};
    const Mapping m = mKept[best];
    mKept.erase(mKept.begin() + static_cast<std::ptrdiff_t>(best));
    mKeptBytes -= m.bytes;
    return m;
}

void PageReserve::give(void* address, std::size_t bytes) {
    if (!address || bytes == 0) return;
    if (bytes > mLimit) {
        ::munmap(address, bytes);
        return;
    }
    // Marked before a taker can see it; a page written after this is the taker's again.
    ::madvise(address, bytes, MADV_FREE);
    std::vector<Mapping> dropped;
    {
        std::lock_guard<std::mutex> lock(mMutex);
        std::size_t first = 0;
        while (mKeptBytes + bytes > mLimit) {
            dropped.push_back(mKept[first]);
            mKeptBytes -= mKept[first].bytes;
            ++first;
        }
        mKept.erase(mKept.begin(), mKept.begin() + static_cast<std::ptrdiff_t>(first));
        mKept.push_back({address, bytes});
        mKeptBytes += bytes;
    }
    for (const Mapping& m : dropped)
        ::munmap(m.address, m.bytes);
}

std::size_t PageReserve::keptBytes() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mKeptBytes;
}

std::size_t PageReserve::keptCount() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mKept.size();
}

void PageReserve::clear() {
    std::vector<Mapping> dropped;
    {
        std::lock_guard<std::mutex> lock(mMutex);
        dropped.swap(mKept);
        mKeptBytes = 0;
    }
    for (const Mapping& m : dropped)
        ::munmap(m.address, m.bytes);
}

} // namespace qv::engine
