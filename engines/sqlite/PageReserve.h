// Memory pages kept between record sets. A million-row load writes a couple of hundred megabytes
// into fresh anonymous pages, and on the machines measured the kernel's work to hand out each
// new page (about two microseconds) was a fifth of the load; a reload of the same table, the
// common case of a form refreshed or shown again, finds the pages of the record set it replaces
// here instead. Kept pages are marked free to the kernel (MADV_FREE), so under memory pressure
// it takes them back without swapping, and the total kept is bounded.
#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

namespace qv::engine {

class PageReserve {
  public:
    struct Mapping {
        void* address = nullptr;
        std::size_t bytes = 0;
    };

    // What a process keeps at most.
    static constexpr std::size_t DefaultLimit = std::size_t(256) << 20;

    explicit PageReserve(std::size_t limit = DefaultLimit) : mLimit(limit) {}
    ~PageReserve();
    PageReserve(const PageReserve&) = delete;
    PageReserve& operator=(const PageReserve&) = delete;

    // The one the record sets share.
    static PageReserve& shared();

    // The largest kept mapping of at least minBytes, or none. Its contents are unspecified
    // (old bytes or zeros): the taker writes before it reads.
    Mapping take(std::size_t minBytes);
    // Keeps an anonymous private mapping of whole pages, or unmaps it when keeping it would pass
    // the limit (the oldest kept mappings go first to make room).
    void give(void* address, std::size_t bytes);
    std::size_t keptBytes() const;
    std::size_t keptCount() const;
    // Unmaps everything kept.
    void clear();

  private:
    std::size_t mLimit;
    mutable std::mutex mMutex;
    std::vector<Mapping> mKept; // oldest first
    std::size_t mKeptBytes = 0;
};

} // namespace qv::engine
