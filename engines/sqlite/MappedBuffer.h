// A growable array of plain values in its own anonymous mapping. Growing remaps the pages
// instead of copying them (mremap), so that loading a million-row column costs no copy per
// doubling, which dominated the load time with std::vector. Small buffers stay on the heap, so
// that a record set of a few rows does not hold a mapping per column. No huge pages are asked
// for: on a virtual machine a fresh huge page often comes from memory the host has not backed
// yet, or from compaction, and the load then cost up to twice its time in faults. Mappings
// released go to the page reserve, and a buffer leaving the heap takes one from there first.
#pragma once

#include "engines/sqlite/PageReserve.h"
#include "platform/NumberedError.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <type_traits>
#include <utility>

namespace qv::engine {

template <class T> class MappedBuffer {
    static_assert(std::is_trivially_copyable_v<T>);

  public:
    MappedBuffer() = default;
    ~MappedBuffer() { release(); }
    MappedBuffer(const MappedBuffer&) = delete;
    MappedBuffer& operator=(const MappedBuffer&) = delete;
    MappedBuffer(MappedBuffer&& o) noexcept { swap(o); }
    MappedBuffer& operator=(MappedBuffer&& o) noexcept {
        if (this != &o) {
            release();
            swap(o);
        }
        return *this;
    }

    std::size_t size() const { return mSize; }
    std::size_t capacityBytes() const { return mBytes; }
    bool empty() const { return mSize == 0; }
    T* data() { return mData; }
    const T* data() const { return mData; }
    T& operator[](std::size_t i) { return mData[i]; }
    const T& operator[](std::size_t i) const { return mData[i]; }
    T& back() { return mData[mSize - 1]; }

    void push_back(const T& v) {
        if ((mSize + 1) * sizeof(T) > mBytes) grow(mSize + 1);
        mData[mSize++] = v;
    }
    void append(const T* p, std::size_t n) {
        if ((mSize + n) * sizeof(T) > mBytes) grow(mSize + n);
        if (n) std::memcpy(mData + mSize, p, n * sizeof(T));
        mSize += n;
    }
    void reserve(std::size_t n) {
        if (n * sizeof(T) > mBytes) grow(n);
    }
    // Gives back the pages past the end (in place, nothing is copied).
    void shrink() {
        const std::size_t want = roundUp(mSize * sizeof(T));
        if (want == 0) {
            release();
            return;
        }
        if (mMapped && want < mBytes) {
            // Past the end of a mapping taken from the reserve lie pages an earlier record set
            // wrote: they go back, in place, so that a small load taking a large mapping does not
            // cost the next large load its pages. A mapping of our own was never touched there.
            char* tail = reinterpret_cast<char*>(mData) + want;
            if (mFromReserve && mBytes - want >= MapFrom) {
                PageReserve::shared().give(tail, mBytes - want);
            } else {
                ::munmap(tail, mBytes - want);
            }
            mBytes = want;
            mFromReserve = false;
        }
    }

  private:
    static constexpr std::size_t Page = 4096;
    static constexpr std::size_t MapFrom = std::size_t(64) << 10;
    static std::size_t roundUp(std::size_t n) { return (n + Page - 1) / Page * Page; }

    void grow(std::size_t elements) {
        std::size_t bytes = mBytes ? mBytes : Page;
        while (bytes < elements * sizeof(T))
            bytes *= 2;
        void* p = nullptr;
        if (bytes < MapFrom) {
            p = std::realloc(mData, bytes);
            if (!p) outOfMemory();
        } else if (mMapped) {
            p = ::mremap(mData, mBytes, bytes, MREMAP_MAYMOVE);
            if (p == MAP_FAILED) outOfMemory();
            mFromReserve = false; // the end is new pages now
        } else {
            // Pages a released record set left behind are already the process's: no fault each.
            const PageReserve::Mapping kept = PageReserve::shared().take(bytes);
            if (kept.address) {
                p = kept.address;
                bytes = kept.bytes;
                mFromReserve = true;
            } else {
                p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
                if (p == MAP_FAILED) outOfMemory();
            }
            if (mData) std::memcpy(p, mData, mSize * sizeof(T));
            std::free(mData);
            mMapped = true;
        }
        mData = static_cast<T*>(p);
        mBytes = bytes;
    }
    [[noreturn]] static void outOfMemory() {
        throw ErrorCatalogue::make(err::OutOfMemory, "ADODB.Recordset");
    }
    void release() {
        if (mMapped) {
            PageReserve::shared().give(mData, mBytes);
        } else {
            std::free(mData);
        }
        mMapped = false;
        mFromReserve = false;
        mData = nullptr;
        mBytes = 0;
        mSize = 0;
    }
    void swap(MappedBuffer& o) noexcept {
        std::swap(mData, o.mData);
        std::swap(mBytes, o.mBytes);
        std::swap(mSize, o.mSize);
        std::swap(mMapped, o.mMapped);
        std::swap(mFromReserve, o.mFromReserve);
    }

    T* mData = nullptr;
    std::size_t mBytes = 0;
    std::size_t mSize = 0;
    bool mMapped = false;
    bool mFromReserve = false; // taken from the reserve and not grown since
};

} // namespace qv::engine
