// Large flat arrays of a sheet (column slots, the string table) ask the kernel for transparent
// huge pages. Filling a million-row sheet touches a few hundred megabytes of fresh memory, and on
// a virtual machine a 4 KiB page fault costs microseconds: huge pages took about a quarter off
// the fill (bench_sheet_fill). A hint only; small arrays are left alone so small sheets stay small.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sys/mman.h>

namespace qv::sheet {

inline void adviseHugePages(const void* data, std::size_t bytes) {
    constexpr std::uintptr_t Huge = std::uintptr_t(2) << 20;
    if (bytes < 2 * Huge) return;
    const auto at = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (at + Huge - 1) & ~(Huge - 1);
    const std::uintptr_t end = (at + bytes) & ~(Huge - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

} // namespace qv::sheet
